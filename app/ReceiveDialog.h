#pragma once

#include "midi/Capture.h"
#include "midi/DumpSummary.h"
#include "midi/MidiPorts.h"

#include <QByteArray>
#include <QDialog>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

namespace qvr {

// The small modal window of File > Receive from Device: it listens on a MIDI input and shows
// the messages and presets received so far and the time elapsed, with Stop and Cancel. The
// MIDI thread hands each whole message to the interface thread through a queued signal;
// nothing here waits on the MIDI thread. It ends (accepted) after the idle time, on Stop or
// on a port error; Cancel (or the close box) ends it rejected.
class TReceiveDialog : public QDialog {
    Q_OBJECT
public:
    explicit TReceiveDialog(QWidget* parent);
    ~TReceiveDialog() override;

    // Opens `port` (a port of the viewer's own for others to connect to when empty) on the
    // viewer's MIDI system; throws EMidiError when it cannot.
    void Listen(const std::string& port);

    // What arrived: the whole messages one after the other, their summary, the warnings about
    // messages dropped, and the port error that ended reception, if any.
    const std::string& Dump() const { return Received; }
    const TDumpSummary& Summary() const { return Counts; }
    const std::vector<std::string>& Warnings() const { return Dropped; }
    const std::string& PortError() const { return Error; }

    QLabel LabPort;
    QLabel LabMessages;
    QLabel LabPresets;
    QLabel LabElapsed;
    QPushButton BtnStop;
    QPushButton BtnCancel;

signals:
    // Emitted on the MIDI thread.
    void MessageArrived(const QByteArray& message);
    void WarningArrived(const QString& text);

protected:
    void done(int result) override;

private:
    void TakeMessage(const QByteArray& message);
    void Tick();
    void StopListening();
    void ShowCounts();

    QGridLayout Layout;
    std::unique_ptr<TCapture> Capture;
    std::unique_ptr<TMidiInput> Input;
    QTimer Ticker;
    QElapsedTimer Clock;
    std::string Received;
    TDumpSummary Counts;
    std::vector<std::string> Dropped;
    std::string Error;
};

} // namespace qvr
