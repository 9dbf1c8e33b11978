#pragma once

#include "midi/Capture.h"
#include "midi/MidiPorts.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What qvrcapture was asked to do.
struct TCaptureOptions {
    bool List = false;
    std::optional<std::string> Port; // unset: a virtual input port of the program's own
    std::chrono::milliseconds Idle = DefaultIdleTime;
    TMidiApi Api = TMidiApi::Default;
    std::string File; // empty with --list
    bool Help = false;
    bool Version = false;
};

struct TCaptureParse {
    std::optional<TCaptureOptions> Options; // unset on a usage error
    std::string Error;                      // the usage error, without program name
};

// The arguments after the program name, parsed the way qvrreport parses its own: long options
// or unique prefixes of them, "--name value" or "--name=value", --help and --version acting
// where they stand, "--" ending the options. --list needs no FILE and takes none.
TCaptureParse ParseCaptureCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string CaptureUsageText();

} // namespace qvr
