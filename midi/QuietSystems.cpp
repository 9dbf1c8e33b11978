#include "midi/QuietSystems.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <mutex>

namespace qvr {

namespace {

extern "C" void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
extern "C" void IgnoreJackMessage(const char*) {}

} // namespace

void QuietMidiSystems() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(&IgnoreAlsaMessage);
        jack_set_error_function(&IgnoreJackMessage);
        jack_set_info_function(&IgnoreJackMessage);
    });
}

} // namespace qvr
