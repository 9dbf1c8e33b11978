#include "app/device/MidiDevices.h"

#include "midi/MidiPorts.h"

#include <algorithm>
#include <cctype>

namespace qvr {

std::string MidiFailureText(const std::string& raw) {
    // The prefix is one identifier, "::", another identifier, ": ".
    const size_t scope = raw.find("::");
    const size_t colon = scope == std::string::npos ? scope : raw.find(": ", scope + 2);
    if (colon == std::string::npos || scope == 0 || colon == scope + 2) {
        return raw;
    }
    const auto identifier = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
    };
    for (size_t i = 0; i < colon; ++i) {
        if (i != scope && i != scope + 1 && !identifier(raw[i])) {
            return raw;
        }
    }
    return raw.substr(colon + 2);
}

namespace {

std::vector<std::string> OrEmpty(std::vector<std::string> (*list)(TMidiApi)) {
    try {
        return list(TMidiApi::Default);
    } catch (const EMidiError&) {
        return {}; // no MIDI system here: nothing to choose from
    }
}

// The list items: first `none`, the choice of no port, then the ports; a chosen port that is
// not there now is listed too, marked as gone, so that it stays chosen until another is. Each
// item holds its port's name (none an empty one).
void Fill(QComboBox& box, const QString& none, const std::vector<std::string>& names,
          const std::string& chosen) {
    box.clear();
    box.addItem(none, QString());
    for (const std::string& name : names) {
        box.addItem(QString::fromStdString(name), QString::fromStdString(name));
    }
    const QString chosenName = QString::fromStdString(chosen);
    if (!chosen.empty() && std::find(names.begin(), names.end(), chosen) == names.end()) {
        box.addItem(QStringLiteral("%1 (gone)").arg(chosenName), chosenName);
    }
    box.setCurrentIndex(chosen.empty() ? 0 : box.findData(chosenName));
}

std::string Chosen(const QComboBox& box) {
    return box.currentIndex() < 0 ? std::string() : box.currentData().toString().toStdString();
}

} // namespace

TMidiPortLister SystemMidiPorts() {
    return {[] { return OrEmpty(&ListInputPorts); }, [] { return OrEmpty(&ListOutputPorts); }};
}

TMidiDevices::TMidiDevices(TFormMIDI& form, TMidiPortLister lister)
    : Form(form), Lister(std::move(lister)) {}

void TMidiDevices::Startup() {
    Choice = LoadMidiSettings().value_or(TMidiSettings{});
    if (Choice.ScanAtStartup) {
        ReadLists();
    }
    ShowChoice();
}

void TMidiDevices::Configure(const std::function<void(QDialog&)>& runModal) {
    if (!Choice.ScanAtStartup || !ListsRead) {
        ReadLists();
    }
    ShowChoice();
    Form.setResult(QDialog::Rejected);
    runModal(Form);
    if (Form.result() != QDialog::Accepted) {
        ShowChoice();
        return;
    }
    Choice = {Chosen(Form.CBoxInMIDIDevice), Chosen(Form.CBoxOutMIDIDevice),
              Form.CkBoxScanAll.isChecked()};
    SaveMidiSettings(Choice);
}

void TMidiDevices::ReadLists() {
    Inputs = Lister.Inputs ? Lister.Inputs() : std::vector<std::string>();
    Outputs = Lister.Outputs ? Lister.Outputs() : std::vector<std::string>();
    ListsRead = true;
}

void TMidiDevices::ShowChoice() {
    Fill(Form.CBoxInMIDIDevice, QString::fromLatin1(NoInputText), Inputs, Choice.Input);
    Fill(Form.CBoxOutMIDIDevice, QString::fromLatin1(NoOutputText), Outputs, Choice.Output);
    Form.CkBoxScanAll.setChecked(Choice.ScanAtStartup);
}

} // namespace qvr
