#pragma once

#include "librarian/Send.h"

#include <memory>
#include <string>
#include <vector>

namespace qvr {

// The MIDI side of qvrlib send. `api` is "alsa", "jack" or empty for the default (see
// TMidiApi). Both throw std::runtime_error with the MIDI system's words, or, in a build
// without MIDI, saying so.

// The MIDI output ports, in the system's order.
std::vector<std::string> ListMidiOutputs(const std::string& api);

// A target that sends to the output port whose name contains `port`; `opened` is set to the
// port's whole name.
std::unique_ptr<ISendTarget> OpenMidiTarget(const std::string& api, const std::string& port,
                                            std::string& opened);

} // namespace qvr
