// qvrlib send in a build without MIDI: it checks and lists, but has nothing to send with.

#include "librarian/MidiTarget.h"

#include <stdexcept>

namespace qvr {

namespace {

const char* const NoMidi = "this qvrlib was built without MIDI";

} // namespace

std::vector<std::string> ListMidiOutputs(const std::string&) {
    throw std::runtime_error(NoMidi);
}

std::unique_ptr<ISendTarget> OpenMidiTarget(const std::string&, const std::string&, std::string&) {
    throw std::runtime_error(NoMidi);
}

} // namespace qvr
