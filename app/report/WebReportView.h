#pragma once

#include "app/common/Dialogs.h"
#include "app/printing/PdfMaker.h"
#include "app/printing/PdfPrinter.h"
#include "app/report/ReportPage.h"
#include "app/report/ReportView.h"

#include <QOpenGLWidget>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qvr {

// The report view of the main window: a web view showing the report file
// decoded as windows-1252, with scripts off, and the document commands.
class TWebReportView : public QObject, public IReportView {
    Q_OBJECT
public:
    // Its Save As, Page Setup and Print dialogs and its messages go through `dialogs`.
    explicit TWebReportView(IDialogs& dialogs);
    ~TWebReportView() override;

    QWidget& Widget() override;
    void Navigate(const QString& reportFile, TScroll scroll) override;
    bool ShowDocument(const std::string& document) override;
    void SetWholeReport(const QString& reportFile) override { WholeFile = reportFile; }
    void SaveAs(const QString& proposedFile, const std::vector<std::string>& inputs) override;
    void PageSetup() override;
    void Print() override;
    void Copy() override;
    void SelectAll() override;
    void Find(const QString& text, bool backward, bool caseSensitive, TFoundHandler found) override;
    void SetZoom(double factor) override;
    void ShowPreset(int position) override;
    void SetEvents(TViewEvents events) override { Events = std::move(events); }

    QWebEngineView& View() { return PresetBrowser; }
    // The page set-up and printer choices shared by Page Setup, Print and Save As PDF.
    QPrinter& PagePrinter() { return Printer; }
    // The process of the PDF last asked for while it is made, else 0.
    qint64 PdfMakerProcess() const;

signals:
    // A PDF of the report was written by Save As (or not: `ok` false).
    void PdfSaved(const QString& file, bool ok);
    // A print job went to its file or to the print system (or not: `ok` false).
    void Printed(bool ok);
    // A report has loaded (or not), on whichever page the view has now.
    void Loaded(bool ok);

protected:
    // Ctrl+wheel over the page goes to the window's zoom, which holds for every report.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadFinished(bool ok);
    // Makes the page the view shows.
    void NewPage();
    TReportPage& Page() { return *PagePtr; }
    void RendererEnded(QWebEnginePage::RenderProcessTerminationStatus status, int code);
    // Makes a PDF of the report; `done` gets it, or why there is none.
    void MakePdf(const QPageLayout& layout, const QPageRanges& ranges, TPdfMaker::TDone done);
    void PrintDone(const QString& failure);
    // Asks the page how many preset headings it has so far.
    void PollProgress();
    // Asks the page where the report is read.
    void PollPlace();
    void StartLoading();
    // Says why a document could not be written or printed.
    void ShowFailure(const QString& title, const QString& text);

    IDialogs& Dialogs;
    TViewEvents Events;
    QTimer ProgressPoll;
    QTimer PlacePoll;
    QString ReportFile;
    QString WholeFile;
    // What Save As and Print work on: the whole report.
    const QString& SavedFile() const { return WholeFile.isEmpty() ? ReportFile : WholeFile; }
    double Zoom = 1.0;
    // Counts the reports sent to the page.
    int Navigation = 0;
    bool Loading = false;
    // The report is being shown again after its renderer ended.
    bool Restarting = false;
    // Where the report is read: the place it was scrolled to once loaded, or the place it is
    // loading at. A renderer that ends takes its document along: the place is known here.
    QPointF ReadingPlace;
    // The preset to show once the report being loaded is there.
    std::optional<int> PresetTo;
    TReportRequestGuard Guard;
    QWebEngineProfile Profile;
    std::unique_ptr<TReportPage> PagePtr;
    QWebEngineView PresetBrowser;
    // Never shown: its presence makes the window that holds the view draw through
    // OpenGL from its first show, as the view's own drawing needs. Without it the
    // window swaps its native window when the view first draws, and a dialog
    // shown over the old one (the notice) ends up below the new one. None where
    // the view draws in software: the window could not draw at all.
    std::unique_ptr<QOpenGLWidget> SurfaceHint;
    QPrinter Printer; // shared by Page Setup and Print for the whole run
    std::vector<std::unique_ptr<TPdfMaker, TPdfMaker::TLater>> PdfMakers;
    std::vector<std::unique_ptr<TPrintJob>> PrintJobs;
};

} // namespace qvr
