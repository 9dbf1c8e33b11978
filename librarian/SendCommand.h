#pragma once

#include <string>
#include <vector>

namespace qvr {

// qvrlib send: a file, or one preset of it, to a device over MIDI.
std::string SendHelpText();
int RunSend(const std::vector<std::string>& args);

} // namespace qvr
