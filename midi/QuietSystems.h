#pragma once

#include <iostream>
#include <sstream>

namespace qvr {

// Keeps the MIDI systems' libraries from writing their own lines to standard error (an ALSA
// sequencer that cannot be opened, a JACK server that is not running): their problems reach
// the user through the errors this layer raises instead. Takes effect for the whole process.
void QuietMidiSystems();

// While one lives, notices the MIDI library writes to std::cerr are swallowed; its problems
// still arrive as exceptions or through its error callback.
class TQuietCerr {
public:
    TQuietCerr() : Saved(std::cerr.rdbuf(Sink.rdbuf())) {}
    ~TQuietCerr() { std::cerr.rdbuf(Saved); }
    TQuietCerr(const TQuietCerr&) = delete;
    TQuietCerr& operator=(const TQuietCerr&) = delete;

private:
    std::ostringstream Sink;
    std::streambuf* Saved;
};

} // namespace qvr
