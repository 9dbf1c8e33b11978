#pragma once

#include "app/common/ViewerSettings.h"
#include "app/device/MIDIConfig.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

namespace qvr {

// Where the MIDI Configuration dialog's port names come from: the MIDI system in the program,
// fixed lists in the tests. A list that cannot be read comes back empty.
struct TMidiPortLister {
    std::function<std::vector<std::string>()> Inputs;
    std::function<std::vector<std::string>()> Outputs;
};

// A MIDI library's failure as the user reads it: without the "Class::function: " the library
// puts before its own texts ("MidiInJack::initialize: JACK server not running?" becomes
// "JACK server not running?"). Any other text passes unchanged.
std::string MidiFailureText(const std::string& raw);

// The ports of the MIDI system the viewer uses (ALSA, or JACK where ALSA is not there).
TMidiPortLister SystemMidiPorts();

// The first item of each list, the choice of no port: without an input, Receive listens on a
// port of the viewer's own; without an output, nothing can be sent.
inline constexpr const char* NoInputText = "(none: the viewer's own port)";
inline constexpr const char* NoOutputText = "(none)";

// The MIDI device choice behind the MIDI Configuration dialog, kept in the settings store.
// Ports are stored by name, so that a choice survives ports coming and going; a stored port
// that is not there now is still listed, marked as gone, so that it stays chosen.
class TMidiDevices {
public:
    TMidiDevices(TFormMIDI& form, TMidiPortLister lister);

    // At start-up: reads the stored choice; with "Scan all devices at startup", the port lists
    // too (else they are read each time the dialog opens).
    void Startup();
    // Fills the dialog and runs it through `runModal`; OK stores the choice, Cancel and the
    // close box leave the stored one.
    void Configure(const std::function<void(QDialog&)>& runModal);

    // The chosen input port; empty when none is chosen.
    const std::string& InputPort() const { return Choice.Input; }
    // The chosen output port; empty when none is chosen.
    const std::string& OutputPort() const { return Choice.Output; }

private:
    void ReadLists();
    void ShowChoice();

    TFormMIDI& Form;
    TMidiPortLister Lister;
    std::vector<std::string> Inputs;
    std::vector<std::string> Outputs;
    TMidiSettings Choice;
    bool ListsRead = false;
};

} // namespace qvr
