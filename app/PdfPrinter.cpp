#include "app/PdfPrinter.h"

#include "app/AnsiText.h"
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

QString SendToPrinter(const QByteArray& pdf, const QPrinter& printer, const QString& title) {
    QTemporaryFile job;
    job.setFileTemplate(job.fileTemplate() + QStringLiteral(".pdf"));
    if (!job.open() || job.write(pdf) != pdf.size() || !job.flush()) {
        return job.errorString();
    }
    QProcess lp;
    lp.setProcessChannelMode(QProcess::MergedChannels);
    lp.start(QStringLiteral("lp"),
             PrintCommandArguments(PrintChoicesOf(printer), title, job.fileName()));
    if (!lp.waitForStarted()) {
        return QStringLiteral("the print command lp could not be started (%1)")
            .arg(lp.errorString());
    }
    if (!lp.waitForFinished(PrintCommandTimeoutMs)) {
        lp.kill();
        lp.waitForFinished();
        return QStringLiteral("the print command lp did not finish");
    }
    if (lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(lp.readAll()).trimmed();
        return said.isEmpty() ? QStringLiteral("the print command lp failed") : said;
    }
    return {};
}

} // namespace qvr
