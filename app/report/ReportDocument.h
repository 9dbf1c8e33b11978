#pragma once

#include "app/common/Dialogs.h"
#include "app/report/FileWatch.h"
#include "app/report/ReportSource.h"
#include "app/report/ReportView.h"
#include "base/LoadNotices.h"
#include "base/UserNotifier.h"
#include "report/PresetRange.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace qvr {

// The largest report the view is given as one page. A larger one (a backup of thousands of
// presets) grows the page renderer past what a desktop has, and it is shown in parts of
// consecutive presets, each a complete report under this size. Measured with bench/viewer.
inline constexpr size_t ReportPartBytes = 2 * 1024 * 1024;

// Where a shown report was read from: a file the user named, standard input ("qvrviewer -",
// kept in memory) or a dump received from a device and not saved (in a file of the viewer's
// own, named for the user as "received dump").
enum class TReportOrigin { File, StandardInput, ReceivedDump };

// What a report document works with.
struct TReportDocumentServices {
    std::function<std::unique_ptr<IReportSource>(IUserNotifier&)> MakeReportSource;
    std::unique_ptr<IReportView> View;
    IDialogs* Dialogs = nullptr;
    // The window its boxes are shown over.
    QWidget* Owner = nullptr;
    // The private folder with its trailing separator, where the report file goes; empty:
    // there is none, for the reason given.
    std::string ReportFolder;
    std::string ReportFolderProblem;
    // The largest page shown at once (ReportPartBytes).
    size_t PartBytes = ReportPartBytes;
    // Runs what the document does of itself (a reload when the file changed on disk); shows
    // what escapes it. Empty: runs it as it is.
    std::function<void(const std::function<void()>&)> Guard;
};

// The report shown in a window: the preset file (or standard input, or a received dump) it is
// made of, its report file (or its copy in memory when the file cannot be written), the load
// with its messages, the watch on the file, the status line's text and the presets. A report
// too large for one page is shown one part at a time.
//
// It reports to its window through signals: Loading while the view loads (how far it has come),
// Shown when the new page is on screen (the status text, the presets and the commands' state
// change then, never earlier), Opened when a file the user named was read (for the Recent
// Files), ZoomStep for Ctrl+wheel over the page.
class TReportDocument : public QObject, public IUserNotifier {
    Q_OBJECT
public:
    explicit TReportDocument(TReportDocumentServices services);
    ~TReportDocument() override;

    // Chooses the report file in the private folder (at the window's first show).
    void Start(const std::string& reportFileTitle);
    // Removes the report files (as the window closes).
    void Close();

    // Builds the report of the file, writes it to the report file and shows it (its first part
    // when it is shown in parts). An empty name shows the empty report.
    void Load(const std::string& fileName, TScroll scroll = TScroll::Top,
              TReportOrigin origin = TReportOrigin::File);
    // Loads a file the user named: when it cannot be read a box names it and the reason, and
    // the report shown stays (false). Opened follows a load.
    bool Open(const std::string& fileName, TScroll scroll = TScroll::Top);
    // Reads the shown report's file again, as what it was read as, keeping the place (and the
    // part shown).
    void Reload();
    // Shows a document made elsewhere (a comparison) from `reportFile`, which Close removes.
    void ShowMade(const std::string& document, const std::string& reportFile);

    // Shows the preset at `position` (from 0, in file order), in its part.
    void ShowPreset(int position);
    // Shows the part `part` (from 0) at its top.
    void ShowPart(int part);

    IReportView& View() { return *ReportView; }
    int32_t ColumnCount() const { return Columns; }
    void SetColumnCount(int32_t columns) { Columns = columns; }
    const std::string& FileName() const { return CurrentFile; }
    const std::string& ReportFileName() const { return ReportFile; }
    TReportOrigin Origin() const { return From; }
    // A file to read again by name: not standard input.
    bool OnDisk() const { return !CurrentFile.empty() && From != TReportOrigin::StandardInput; }
    // Shown from its report file (Save As and Print need it).
    bool ShownFromFile() const { return FromFile; }
    // What the status line says of the page shown, and its file's presets in file order.
    const QString& StatusText() const { return Status; }
    const std::vector<TPresetLabel>& Presets() const { return ShownPresets; }
    // How many presets of the file have no heading (see IReportSource).
    int PresetsWithoutHeading() const { return Source->LastPresetsWithoutHeading(); }
    // The parts the report is shown in (one when it is shown whole) and the one shown.
    int PartCount() const { return static_cast<int>(Parts.size()); }
    int Part() const { return ShownPart; }
    // Keeps what came on standard input, shown as "standard input".
    void KeepStandardInput(std::string bytes) { Source->KeepStandardInput(std::move(bytes)); }
    const TFileWatch& FileWatch() const { return Watch; }

    // IUserNotifier: the load's messages as boxes over the window, naming the file.
    void ShowError(const std::string& text) override;
    void ShowWarning(const std::string& text) override;

signals:
    void Loading(const QString& progress);
    void Shown();
    void Opened(const std::string& fileName);
    void ZoomStep(int step);

private:
    // Builds the part, writes it to the part's file and shows it; Save As and Print stay on
    // when the whole report was written.
    void ShowPartAt(int part, bool wholeWritten, TScroll scroll);
    // Shows the document from `file` when it was written there, else from memory.
    void Present(const std::string& document, const std::string& file, bool written,
                 TScroll scroll);
    // The status and presets of the page being loaded take effect once it is on screen.
    void PageShown();
    QString PartStatus() const;
    QString NoticeText(const std::string& text) const;
    void FileChangedOnDisk();

    IDialogs& Dialogs;
    QWidget& Owner;
    std::function<void(const std::function<void()>&)> Guard;
    std::string ReportFolder;
    std::string ReportFolderProblem;
    size_t PartBytes;
    std::unique_ptr<IReportView> ReportView;
    // The load's messages pass through here on their way to the boxes.
    TLoadNotices Notices{*this};
    std::unique_ptr<IReportSource> Source;
    TFileWatch Watch;
    std::string ReportFile;
    std::string PartFile;
    std::string CurrentFile;
    TReportOrigin From = TReportOrigin::File;
    // The file being read while a load runs (its messages name it), else empty.
    std::string LoadingFile;
    int32_t Columns;
    bool FromFile = false;
    std::vector<TPresetRange> Parts;
    int ShownPart = 0;
    // The file's status without the part, and what the page being loaded brings.
    QString FileStatus;
    QString Status;
    QString NextStatus;
    std::vector<TPresetLabel> ShownPresets;
    std::vector<TPresetLabel> NextPresets;
    bool PagePending = false;
    int32_t PagePresets = 0; // presets on the page being loaded
};

} // namespace qvr
