#include "app/device/ReceiveDialog.h"

#include "app/common/DialogFonts.h"

namespace qvr {

namespace {

// The name of the viewer's own input port, and of its client in the MIDI system.
const char* const OwnPortName = "qvrviewer";

QString ElapsedText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("Elapsed time: %1:%2")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TReceiveDialog::TReceiveDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), LabPort(this),
      LabMessages(this), LabPresets(this), LabElapsed(this), BtnStop(QStringLiteral("&Stop"), this),
      BtnCancel(QStringLiteral("&Cancel"), this), Layout(this) {
    setObjectName(QStringLiteral("FormReceive"));
    setWindowTitle(QStringLiteral("Receive from Device"));
    setFont(DialogFont());
    setModal(true);

    // The counts above, the buttons at the bottom right.
    int row = 0;
    for (QLabel* label : {&LabPort, &LabMessages, &LabPresets, &LabElapsed}) {
        Layout.addWidget(label, row++, 0, 1, 3);
    }
    Layout.addWidget(&BtnStop, row, 1);
    Layout.addWidget(&BtnCancel, row, 2);
    Layout.setColumnStretch(0, 1);
    setMinimumWidth(320);
    LabPort.setWordWrap(true);
    ShowCounts();
    LabElapsed.setText(ElapsedText(0));

    connect(&BtnStop, &QPushButton::clicked, this, [this] {
        if (Capture) {
            Capture->Stop();
        }
        accept();
    });
    connect(&BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&Ticker, &QTimer::timeout, this, &TReceiveDialog::Tick);
    Ticker.setInterval(100);
}

TReceiveDialog::~TReceiveDialog() {
    StopListening();
}

void TReceiveDialog::Listen(const std::string& port) {
    // Messages come on the MIDI thread; the warnings come from Finish, on this one.
    Capture = std::make_unique<TCapture>(
        DefaultIdleTime,
        TCapture::THandlers{[this](const std::vector<uint8_t>& message) { TakeMessage(message); },
                            [this](const std::string& text) { Dropped.push_back(text); }});
    Input = std::make_unique<TMidiInput>(
        TMidiApi::Default, OwnPortName,
        [capture = Capture.get()](std::span<const uint8_t> bytes) { capture->Feed(bytes); },
        [capture = Capture.get()](const std::string& text, bool fatal) {
            if (fatal) {
                capture->Fail(text);
            } else {
                capture->Overrun(text);
            }
        });
    const std::string name =
        port.empty() ? Input->OpenVirtualPort(OwnPortName) : Input->OpenPort(port);
    LabPort.setText(QStringLiteral("Listening on '%1'. Start the dump on the device.")
                        .arg(QString::fromStdString(name)));
    Clock.start();
    Ticker.start();
}

void TReceiveDialog::done(int result) {
    StopListening();
    QDialog::done(result);
}

void TReceiveDialog::TakeMessage(const std::vector<uint8_t>& message) {
    const std::lock_guard lock(ReceivedMutex);
    Received.append(message.begin(), message.end());
    Counts.Add(message);
}

void TReceiveDialog::Tick() {
    LabElapsed.setText(ElapsedText(Clock.elapsed()));
    ShowCounts();
    if (Capture && Capture->Check(TCapture::TClock::now()) != TCaptureEnd::Running) {
        accept();
    }
}

void TReceiveDialog::StopListening() {
    Ticker.stop();
    if (!Input) {
        return;
    }
    // Once the input is closed no handler runs on the MIDI thread any more.
    Input->Close();
    Capture->Finish();
    Error = Capture->Check(TCapture::TClock::now()) == TCaptureEnd::PortError ? Capture->Error()
                                                                              : std::string();
    Input.reset();
    ShowCounts();
}

void TReceiveDialog::ShowCounts() {
    TDumpSummary counts;
    {
        const std::lock_guard lock(ReceivedMutex);
        counts = Counts;
    }
    LabMessages.setText(QStringLiteral("Messages received: %1").arg(counts.Messages));
    LabPresets.setText(QStringLiteral("Presets: %1").arg(counts.Presets));
}

} // namespace qvr
