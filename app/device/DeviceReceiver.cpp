#include "app/device/DeviceReceiver.h"

#include "app/common/AnsiText.h"
#include "app/device/MidiDevices.h"
#include "app/device/ReceiveDialog.h"
#include "platform/AtomicFile.h"
#include "sysex/Products.h"

#include <cstring>

namespace qvr {

namespace {

// The name and filter the Save dialog proposes: "QVR-3 Backup.q3a" for several presets of a
// known model, "QVR-3 Preset.q3p" for one, "Received dump" when the model is not known.
struct TSaveProposal {
    QString Name;
    QString Filter;
};

TSaveProposal Proposal(const TDumpSummary& summary) {
    const TProduct* product = summary.ProductId ? ProductById(*summary.ProductId) : nullptr;
    if (product == nullptr) {
        return {QStringLiteral("Received dump"), QStringLiteral("All Files (*)")};
    }
    const bool preset = summary.Presets == 1;
    const std::string type = preset ? product->PresetTypeName() : product->BackupTypeName();
    const std::string extension(preset ? product->PresetExtension : product->BackupExtension);
    return {QString::fromStdString(type + "." + extension),
            QString::fromStdString(type + " (*." + extension + ")")};
}

} // namespace

TDeviceReceiver::TDeviceReceiver(THooks hooks) : Hooks(std::move(hooks)) {}

TDeviceReceiver::~TDeviceReceiver() = default;

void TDeviceReceiver::Receive(const std::string& port) {
    IUserNotifier& notifier = *Hooks.Notifier;
    TReceiveDialog dialog(Hooks.Owner);
    try {
        dialog.Listen(port);
    } catch (const EMidiError& e) {
        notifier.ShowError("Cannot receive from the device: " + MidiFailureText(e.what()));
        return;
    }
    Hooks.RunModal(dialog);
    if (dialog.result() != QDialog::Accepted) {
        return; // cancelled: what arrived is discarded
    }
    if (!dialog.PortError().empty()) {
        notifier.ShowError("MIDI input failed: " + MidiFailureText(dialog.PortError()));
    }
    // One message for all that was left out, each kind on a line with its count.
    std::string dropped;
    for (const std::string& warning : dialog.Warnings()) {
        dropped += (dropped.empty() ? "" : "\n") + warning;
    }
    if (dialog.Dump().empty()) {
        notifier.ShowWarning("No whole message arrived from the device." +
                             (dropped.empty() ? "" : "\n" + dropped));
        return;
    }
    if (!dropped.empty()) {
        notifier.ShowWarning(dropped);
    }

    const TSaveProposal proposal = Proposal(dialog.Summary());
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        notifier.ShowError("Cannot make a temporary folder for the received dump.");
        return;
    }
    const std::string shown = ToFileNameBytes(folder->filePath(proposal.Name));
    if (!Write(shown, dialog.Dump())) {
        return;
    }
    Hooks.Show(shown, false);
    ShownFolder = std::move(folder); // the file shown before goes now

    QString chosen = Hooks.Folder() + proposal.Name;
    while (!Hooks.AskSaveName(chosen, proposal.Filter)) {
        if (!Hooks.SaveAfterAll()) {
            return;
        }
    }
    if (Write(ToFileNameBytes(chosen), dialog.Dump())) {
        Hooks.Show(ToFileNameBytes(chosen), true);
    }
}

bool TDeviceReceiver::Write(const std::string& fileName, const std::string& bytes) {
    TAtomicFile file(fileName);
    if (file.IsOpen() && file.Write(bytes.data(), bytes.size()) && file.Commit()) {
        return true;
    }
    Hooks.Notifier->ShowError("Cannot write " + fileName + ": " + std::strerror(file.Error()));
    return false;
}

} // namespace qvr
