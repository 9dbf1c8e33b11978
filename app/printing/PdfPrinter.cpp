#include "app/printing/PdfPrinter.h"

#include "app/common/AnsiText.h"
#include "platform/AtomicFile.h"

#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryFile>

#include <cstring>

namespace qvr {

namespace {

// How long the print system may take to accept a job.
constexpr int PrintCommandTimeoutMs = 60000;

const char* Sides(const TPrintChoices& choices) {
    switch (choices.Duplex) {
    case QPrinter::DuplexNone:
        return "one-sided";
    case QPrinter::DuplexLongSide:
        return "two-sided-long-edge";
    case QPrinter::DuplexShortSide:
        return "two-sided-short-edge";
    case QPrinter::DuplexAuto:
        break;
    }
    // Both sides, turned the way the page is read.
    return choices.Landscape ? "two-sided-short-edge" : "two-sided-long-edge";
}

} // namespace

TPrintChoices PrintChoicesOf(const QPrinter& printer) {
    return {printer.printerName(),
            printer.copyCount(),
            printer.collateCopies(),
            printer.duplex(),
            printer.pageLayout().orientation() == QPageLayout::Landscape,
            printer.colorMode() == QPrinter::Color};
}

QStringList PrintCommandArguments(const TPrintChoices& choices, const QString& title,
                                  const QString& pdfFile) {
    QStringList args;
    if (!choices.PrinterName.isEmpty()) {
        args << QStringLiteral("-d") << choices.PrinterName;
    }
    const int copies = choices.Copies < 1 ? 1 : choices.Copies;
    args << QStringLiteral("-n") << QString::number(copies);
    if (copies > 1) {
        args << QStringLiteral("-o")
             << (choices.Collate ? QStringLiteral("collate=true")
                                 : QStringLiteral("collate=false"));
    }
    args << QStringLiteral("-o") << QStringLiteral("sides=%1").arg(QLatin1String(Sides(choices)));
    args << QStringLiteral("-o")
         << (choices.Colour ? QStringLiteral("print-color-mode=color")
                            : QStringLiteral("print-color-mode=monochrome"));
    if (!title.isEmpty()) {
        args << QStringLiteral("-t") << title;
    }
    args << QStringLiteral("--") << pdfFile;
    return args;
}

QString WritePdfFile(const QByteArray& pdf, const QString& file) {
    TAtomicFile out(ToFileNameBytes(file));
    if (out.Write(pdf.constData(), static_cast<size_t>(pdf.size())) && out.Commit()) {
        return {};
    }
    return FromMessageText(std::strerror(out.Error()));
}

TPrintJob::TPrintJob(const QByteArray& pdf, const QPrinter& printer, const QString& title,
                     std::function<void(const QString& failure)> done)
    : Done(std::move(done)) {
    Job.setFileTemplate(Job.fileTemplate() + QStringLiteral(".pdf"));
    if (!Job.open() || Job.write(pdf) != pdf.size() || !Job.flush()) {
        const QString why = Job.errorString();
        QTimer::singleShot(0, this, [this, why] { Finish(why); });
        return;
    }
    Lp.setProcessChannelMode(QProcess::MergedChannels);
    connect(&Lp, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Finish(QStringLiteral("the print command lp could not be started (%1)")
                       .arg(Lp.errorString()));
        }
    });
    connect(&Lp, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0) {
            Finish({});
            return;
        }
        const QString said = QString::fromLocal8Bit(Lp.readAll()).trimmed();
        Finish(said.isEmpty() ? QStringLiteral("the print command lp failed") : said);
    });
    Timeout.setSingleShot(true);
    connect(&Timeout, &QTimer::timeout, this, [this] {
        Finish(QStringLiteral("the print command lp did not finish"));
        Lp.kill();
    });
    Timeout.start(PrintCommandTimeoutMs);
    Lp.start(QStringLiteral("lp"),
             PrintCommandArguments(PrintChoicesOf(printer), title, Job.fileName()));
}

void TPrintJob::Finish(const QString& failure) {
    Timeout.stop();
    if (Done) {
        const auto done = std::move(Done);
        Done = nullptr;
        done(failure);
    }
}

} // namespace qvr
