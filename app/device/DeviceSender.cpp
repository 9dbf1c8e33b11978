#include "app/device/DeviceSender.h"

#include "app/device/MidiDevices.h"
#include "librarian/MidiTarget.h"
#include "librarian/Send.h"

#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <thread>

namespace qvr {

namespace {

const char* const Title = "Send to Device";

// The least width of the progress window: its title shows whole beside the window system's
// buttons, where the width the text inside asks for cut it to "Send ... Device".
constexpr int ProgressMinimumWidth = 380;

} // namespace

void TDeviceSender::Show(TMessageKind kind, const std::string& text) {
    Hooks.Dialogs->ShowMessageOver(*Hooks.Owner, kind, QString::fromLatin1(Title),
                                   QString::fromStdString(text));
}

void TDeviceSender::Send(const std::string& file, const TDump& dump, const TDumpPreset* preset,
                         const std::string& port) {
    TSendPlan plan;
    try {
        plan = preset ? PlanSend(dump, file, *preset) : PlanSend(dump, file, std::nullopt);
    } catch (const std::runtime_error& e) {
        Show(TMessageKind::Error, std::string(e.what()) + "\nNothing was sent.");
        return;
    }
    if (port.empty()) {
        Show(TMessageKind::Warning,
             "Choose the device's MIDI output under Options > MIDI Devices... first.");
        return;
    }
    const QString question =
        QStringLiteral("Send this to '%1'?\n\n%2")
            .arg(QString::fromStdString(port), QString::fromStdString(SendListing(plan)).trimmed());
    if (!Hooks.Dialogs->Ask(*Hooks.Owner, QString::fromLatin1(Title), question)) {
        return;
    }
    std::unique_ptr<ISendTarget> target;
    try {
        std::string opened;
        target = OpenMidiTarget({}, port, opened);
    } catch (const std::runtime_error& e) {
        Show(TMessageKind::Error, "The MIDI output cannot be opened: " + MidiFailureText(e.what()));
        return;
    }

    // The worker owns the target until it is done; the window only reads the counters.
    std::atomic<size_t> messages = 0;
    std::atomic<size_t> bytes = 0;
    std::atomic<size_t> part = 0;
    std::atomic<bool> stop = false;
    std::atomic<bool> done = false;
    std::string failure;
    QProgressDialog progress(QStringLiteral("Sending to '%1'...").arg(QString::fromStdString(port)),
                             QStringLiteral("&Cancel"), 0, static_cast<int>(plan.MessageCount),
                             Hooks.Owner);
    progress.setObjectName(QStringLiteral("SendProgress"));
    progress.setWindowTitle(QString::fromLatin1(Title));
    progress.setMinimumWidth(ProgressMinimumWidth);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    QObject::connect(&progress, &QProgressDialog::canceled, [&stop] { stop = true; });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        progress.setValue(static_cast<int>(messages.load()));
        if (done) {
            progress.accept();
        }
    });
    std::thread worker([&] {
        try {
            SendPlan(
                plan, TPacing{}, *target,
                [&](const TSendProgress& now) {
                    messages = now.Messages;
                    bytes = now.Bytes;
                    part = now.PartBytes;
                },
                stop);
            target.reset(); // delivers what is still on the way
        } catch (const std::exception& e) {
            failure = MidiFailureText(e.what());
        }
        done = true;
    });
    poll.start();
    Hooks.RunModal(progress);
    poll.stop();
    stop = true; // the window closed: the send ends before the next piece
    worker.join();

    const TSendProgress reached{messages, bytes, part};
    if (!failure.empty()) {
        Show(TMessageKind::Error, "MIDI output failed: " + failure + "\nStopped after " +
                                      HowFarText(plan, reached) + ".");
    } else if (reached.Messages < plan.MessageCount) {
        Show(TMessageKind::Warning, "Stopped after " + HowFarText(plan, reached) + ".");
    } else {
        // The progress window closes by itself at the end: this says the whole went out.
        Show(TMessageKind::Information,
             "Sent to '" + port + "': " + std::to_string(reached.Messages) + " messages, " +
                 std::to_string(reached.Bytes) + " bytes.");
    }
}

} // namespace qvr
