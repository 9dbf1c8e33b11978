#include "app/printing/PdfMaker.h"

#include "app/report/ReportPage.h"
#include "app/shell/Startup.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QStringList>

#include <array>
#include <cstdio>

namespace qvr {

namespace {

// Set in the environment of a maker process, and only there.
constexpr char MakerVariable[] = "QVR_MAKE_PDF";

// The maker's exit codes besides 0 (the PDF is on its standard output).
constexpr int MakerFailed = 1;
constexpr int MakerMisused = 2;

const QString NoPdf = QStringLiteral("no PDF could be made of the report");

int MakePdf(const QString& reportFile, const QPageLayout& layout, const QPageRanges& ranges) {
    TReportRequestGuard guard;
    guard.ReportUrl = QUrl::fromLocalFile(QFileInfo(reportFile).absoluteFilePath());
    QWebEngineProfile profile; // off the record: nothing kept on disk
    profile.setUrlRequestInterceptor(&guard);
    profile.setHttpCacheType(QWebEngineProfile::NoCache);
    TReportPage page(profile, guard.ReportUrl);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) {
        return MakerMisused;
    }
    bool ended = false;
    const auto end = [&](int code, const QByteArray& bytes) {
        if (!ended) {
            ended = true;
            out.write(bytes);
            out.flush();
            QCoreApplication::exit(code);
        }
    };
    QObject::connect(&page, &QWebEnginePage::loadFinished, &page, [&](bool ok) {
        if (!ok) {
            end(MakerFailed, QByteArrayLiteral("the report could not be read"));
            return;
        }
        page.printToPdf(
            [&](const QByteArray& pdf) {
                end(pdf.isEmpty() ? MakerFailed : 0, pdf.isEmpty() ? NoPdf.toUtf8() : pdf);
            },
            layout, ranges);
    });
    QObject::connect(
        &page, &QWebEnginePage::renderProcessTerminated, &page,
        [&](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
            end(MakerFailed,
                QStringLiteral("the page renderer %1").arg(RendererEndText(status, code)).toUtf8());
        });
    page.load(guard.ReportUrl);
    return QCoreApplication::exec();
}

} // namespace

QString PageLayoutText(const QPageLayout& layout) {
    const QSizeF size = layout.pageSize().size(QPageSize::Point);
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(size.width())
        .arg(size.height())
        .arg(layout.orientation() == QPageLayout::Landscape ? 1 : 0)
        .arg(margins.left())
        .arg(margins.top())
        .arg(margins.right())
        .arg(margins.bottom());
}

std::optional<QPageLayout> PageLayoutFromText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 7) {
        return std::nullopt;
    }
    std::array<double, 7> values{};
    for (size_t i = 0; i < values.size(); ++i) {
        bool ok = false;
        values[i] = parts[static_cast<int>(i)].toDouble(&ok);
        if (!ok || values[i] < 0) {
            return std::nullopt;
        }
    }
    if (values[0] <= 0 || values[1] <= 0 || values[2] > 1) {
        return std::nullopt;
    }
    return QPageLayout(QPageSize(QSizeF(values[0], values[1]), QPageSize::Point),
                       values[2] == 1 ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(values[3], values[4], values[5], values[6]), QPageLayout::Point);
}

std::optional<int> RunPdfMakerIfAsked(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet(MakerVariable)) {
        return std::nullopt;
    }
    if (argc != 4) {
        return MakerMisused;
    }
    // No window is ever shown: the maker needs no display, nor OpenGL on the one there is (an
    // 8-bit screen or indirect GLX would end the maker).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    PrepareWebEngineEnvironment();
    int qtArgc = 1;
    std::array<char*, 2> qtArgv = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv.data());
    const std::optional<QPageLayout> layout = PageLayoutFromText(QString::fromUtf8(argv[2]));
    if (!layout) {
        return MakerMisused;
    }
    return MakePdf(QFile::decodeName(argv[1]), *layout,
                   QPageRanges::fromString(QString::fromUtf8(argv[3])));
}

TPdfMaker::TPdfMaker(const QString& reportFile, const QPageLayout& layout,
                     const QPageRanges& ranges, TDone done)
    : Done(std::move(done)) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(MakerVariable), QStringLiteral("1"));
    Maker.setProcessEnvironment(environment);
    // The web engine's own diagnostics are no business of the user.
    Maker.setStandardErrorFile(QProcess::nullDevice());
    connect(&Maker, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Finish(
                {},
                QStringLiteral("the PDF maker could not be started (%1)").arg(Maker.errorString()));
        }
    });
    connect(&Maker, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        const QByteArray output = Maker.readAllStandardOutput();
        if (status != QProcess::NormalExit) {
            Finish({}, QStringLiteral("the page renderer that makes the PDF ended unexpectedly"));
        } else if (code == 0 && output.startsWith("%PDF-")) {
            Finish(output, {});
        } else {
            const QString said = QString::fromUtf8(output).trimmed();
            Finish({}, code == MakerFailed && !said.isEmpty() ? said : NoPdf);
        }
    });
    Maker.start(QCoreApplication::applicationFilePath(),
                {reportFile, PageLayoutText(layout), ranges.toString()});
}

TPdfMaker::~TPdfMaker() {
    Cancel();
}

void TPdfMaker::Cancel() {
    Done = nullptr;
    Maker.disconnect(this);
    if (Maker.state() != QProcess::NotRunning) {
        Maker.kill();
        Maker.waitForFinished();
    }
}

void TPdfMaker::TLater::operator()(TPdfMaker* maker) const {
    maker->Cancel();
    maker->deleteLater();
}

void TPdfMaker::Finish(const QByteArray& pdf, const QString& failure) {
    if (Done) {
        const TDone done = std::move(Done);
        Done = nullptr;
        done(pdf, failure);
    }
}

} // namespace qvr
