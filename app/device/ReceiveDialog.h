#pragma once

#include "midi/Capture.h"
#include "midi/DumpSummary.h"
#include "midi/MidiPorts.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qvr {

// The small modal window of File > Receive from Device: it listens on a MIDI input and shows
// the messages and presets received so far and the time elapsed, with Stop and Cancel. The
// reception is the one qvrcapture runs (TCapture: the same size limit, idle time and counted
// warnings). The MIDI thread adds each whole message to what arrived, under a lock held only
// for that; the window reads the counts on its clock, so nothing queues up between the threads
// however fast a device sends. It ends (accepted) after the idle time, on Stop or on a port
// error; Cancel (or the close box) ends it rejected.
class TReceiveDialog : public QDialog {
    Q_OBJECT
public:
    explicit TReceiveDialog(QWidget* parent);
    ~TReceiveDialog() override;

    // Opens `port` (a port of the viewer's own for others to connect to when empty) on the
    // viewer's MIDI system; throws EMidiError when it cannot.
    void Listen(const std::string& port);

    // What arrived, once reception has ended: the whole messages one after the other, their
    // summary, the warnings about data dropped (one per kind), and the port error that ended
    // reception, if any.
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

protected:
    void done(int result) override;

private:
    void TakeMessage(const std::vector<uint8_t>& message);
    void Tick();
    void StopListening();
    void ShowCounts();

    QGridLayout Layout;
    std::unique_ptr<TCapture> Capture;
    std::unique_ptr<TMidiInput> Input;
    QTimer Ticker;
    QElapsedTimer Clock;
    // Written on the MIDI thread while reception runs.
    std::mutex ReceivedMutex;
    std::string Received;
    TDumpSummary Counts;
    std::vector<std::string> Dropped;
    std::string Error;
};

} // namespace qvr
