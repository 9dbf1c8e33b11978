#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// The MIDI system to talk to. Default is the one the environment variable QVR_MIDI_API names
// (alsa or jack), else ALSA when its sequencer can be opened, else JACK.
enum class TMidiApi { Default, Alsa, Jack };

// The MIDI system cannot be reached or a port cannot be opened; the text says why.
class EMidiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Port names as the MIDI system lists them, in its order. Input ports are the ones this
// program can receive from (a device's output), output ports the ones it can send to.
// Throws EMidiError when the MIDI system cannot be reached.
std::vector<std::string> ListInputPorts(TMidiApi api);
std::vector<std::string> ListOutputPorts(TMidiApi api);

// The index of the one port among `ports` whose name contains `part`; a name equal to `part`
// wins over names that merely contain it. Throws EMidiError when none or several match, naming
// the ports by `kind` ("no MIDI input port matches ...").
size_t FindPort(const std::vector<std::string>& ports, const std::string& part,
                std::string_view kind = "input");

// One open MIDI input. Bytes and errors arrive on the MIDI system's own thread, in order,
// through the handlers given; no handler is called after Close or destruction returns. The
// bytes come event by event as the system carries them, a long system-exclusive message in
// pieces: the input itself keeps nothing, whatever a device sends.
class TMidiInput {
public:
    using TBytesHandler = std::function<void(std::span<const uint8_t>)>;
    // `fatal` is false for an overrun: events were lost, and the port goes on working. A
    // message cut by the loss follows, so a receiver drops the message under way.
    using TErrorHandler = std::function<void(const std::string& text, bool fatal)>;

    TMidiInput(TMidiApi api, const std::string& clientName, TBytesHandler onBytes,
               TErrorHandler onError);
    ~TMidiInput();
    TMidiInput(const TMidiInput&) = delete;
    TMidiInput& operator=(const TMidiInput&) = delete;

    // Connects to the input port whose name contains `part` (see FindPort); returns its name.
    std::string OpenPort(const std::string& part);
    // Opens a port of this program's own, named `name`, that a device or another program
    // connects to; returns the name under which others see it.
    std::string OpenVirtualPort(const std::string& name);
    // False once the port opened by OpenPort has left the system (a device unplugged).
    bool PortPresent() const;
    void Close();

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

} // namespace qvr
