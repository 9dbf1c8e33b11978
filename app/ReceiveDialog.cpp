#include "app/ReceiveDialog.h"

#include "app/DialogFonts.h"

#include <QCoreApplication>

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
      LabMessages(this), LabPresets(this), LabElapsed(this), BtnStop(QStringLiteral("Stop"), this),
      BtnCancel(QStringLiteral("Cancel"), this), Layout(this) {
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

    connect(this, &TReceiveDialog::MessageArrived, this, &TReceiveDialog::TakeMessage,
            Qt::QueuedConnection);
    connect(
        this, &TReceiveDialog::WarningArrived, this,
        [this](const QString& text) { Dropped.push_back(text.toStdString()); },
        Qt::QueuedConnection);
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
    // The handlers run on the MIDI thread: they only hand over, through queued signals.
    Capture = std::make_unique<TCapture>(
        DefaultIdleTime, TCapture::THandlers{[this](const std::vector<uint8_t>& message) {
                                                 emit MessageArrived(QByteArray(
                                                     reinterpret_cast<const char*>(message.data()),
                                                     static_cast<qsizetype>(message.size())));
                                             },
                                             [this](const std::string& text) {
                                                 emit WarningArrived(QString::fromStdString(text));
                                             }});
    Input = std::make_unique<TMidiInput>(
        TMidiApi::Default, OwnPortName,
        [capture = Capture.get()](std::span<const uint8_t> bytes) { capture->Feed(bytes); },
        [capture = Capture.get()](const std::string& text, bool fatal) {
            if (fatal) {
                capture->Fail(text);
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

void TReceiveDialog::TakeMessage(const QByteArray& message) {
    Received.append(message.constData(), static_cast<size_t>(message.size()));
    Counts.Add(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(message.constData()),
                                        static_cast<size_t>(message.size())));
    ShowCounts();
}

void TReceiveDialog::Tick() {
    LabElapsed.setText(ElapsedText(Clock.elapsed()));
    if (Capture && Capture->Check(TCapture::TClock::now()) != TCaptureEnd::Running) {
        accept();
    }
}

void TReceiveDialog::StopListening() {
    Ticker.stop();
    if (!Input) {
        return;
    }
    // Once the input is closed no handler runs any more; what it handed over is still
    // queued and is taken here, before the window ends.
    Input->Close();
    Capture->Finish();
    Error = Capture->Check(TCapture::TClock::now()) == TCaptureEnd::PortError ? Capture->Error()
                                                                              : std::string();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    Input.reset();
    ShowCounts();
}

void TReceiveDialog::ShowCounts() {
    LabMessages.setText(QStringLiteral("Messages received: %1").arg(Counts.Messages));
    LabPresets.setText(QStringLiteral("Presets: %1").arg(Counts.Presets));
}

} // namespace qvr
