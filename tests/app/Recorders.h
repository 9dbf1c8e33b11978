#pragma once

#include "app/common/Dialogs.h"
#include "app/report/ReportSource.h"
#include "app/report/ReportView.h"
#include "app/shell/Main.h"

#include <QDialog>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qvr::test {

// One ordered record of everything the stand-ins were asked to do.
using TCallLog = std::vector<std::string>;

struct TMessage {
    TMessageKind Kind;
    QString Title;
    QString Text;
    QWidget* Owner = nullptr; // the window it is shown over, when named
};

class TRecordingDialogs : public IDialogs {
public:
    explicit TRecordingDialogs(TCallLog& log) : Log(log) {}
    void ShowMessage(TMessageKind kind, const QString& title, const QString& text) override;
    void ShowMessageOver(QWidget& owner, TMessageKind kind, const QString& title,
                         const QString& text) override;
    void RunModal(QDialog& dialog) override;
    bool RunOpenDialog(QWidget& owner, TOpenDialogState& state) override;
    bool RunSaveDialog(QWidget& owner, TSaveDialogState& state) override;
    bool RunPrintDialog(QWidget& owner, QPrinter& printer) override;
    void RunPageSetupDialog(QWidget& owner, QPrinter& printer) override;
    bool Ask(QWidget& owner, const QString& title, const QString& text) override;
    bool AskNumber(QWidget& owner, const QString& title, const QString& label, int& value, int min,
                   int max) override;
    // What the user answers to the next questions (No when none is left), and to the next
    // number asked for (Cancel when none).
    std::vector<bool> Answers;
    std::optional<int> NumberAnswer;

    std::vector<TMessage> Messages;
    // What the open dialog saw when it was shown, and what the user does.
    std::vector<TOpenDialogState> OpenDialogInputs;
    bool OpenAccepts = true;
    QString OpenChosenFile;
    int OpenChosenFilter = 1;
    // Runs while a modal window is "shown", before it returns.
    std::function<void(QDialog&)> OnModal;

private:
    TCallLog& Log;
};

class TRecordingView : public IReportView {
public:
    explicit TRecordingView(TCallLog& log) : Log(log) {}
    // The web view reports progress while its page is torn down with the window: whatever
    // is still listening then must not reach parts of the window that are gone.
    ~TRecordingView() override {
        if (Events.Progress) {
            Events.Progress(1);
        }
    }
    QWidget& Widget() override { return Surface; }
    void Navigate(const QString& reportFile, TScroll scroll) override;
    bool ShowDocument(const std::string& document) override;
    void SetWholeReport(const QString& reportFile) override { WholeReport = reportFile; }
    QString WholeReport;
    // Whether a report is on screen as soon as it is given (Loaded follows at once); else the
    // test calls Events.Loaded when it wants the page shown.
    bool LoadsAtOnce = true;
    std::string ShownDocument;
    bool TakesDocuments = true;
    void SaveAs(const QString& proposedFile, const std::vector<std::string>& inputs) override {
        Log.push_back("view SaveAs");
        ProposedFile = proposedFile;
        SaveAsInputs = inputs;
    }
    void PageSetup() override { Log.push_back("view PageSetup"); }
    void Print() override { Log.push_back("view Print"); }
    void Copy() override { Log.push_back("view Copy"); }
    void SelectAll() override { Log.push_back("view SelectAll"); }

    void Find(const QString& text, bool backward, bool caseSensitive, TFoundHandler found) override;
    void SetZoom(double factor) override { Zoom = factor; }
    void ShowPreset(int position) override { ShownPresets.push_back(position); }
    void SetEvents(TViewEvents events) override { Events = std::move(events); }
    TViewEvents Events;
    std::vector<int> ShownPresets;

    QWidget Surface;
    QString ShownFile;
    std::vector<std::string> SaveAsInputs;
    TScroll Scroll = TScroll::Top;
    QString ProposedFile;
    double Zoom = 0;
    struct TFind {
        QString Text;
        bool Backward;
        bool CaseSensitive;
        friend bool operator==(const TFind&, const TFind&) = default;
    };
    std::vector<TFind> Finds;
    // What a search answers: the current match and the number of matches.
    int FoundActive = 3;
    int FoundTotal = 57;

private:
    TCallLog& Log;
};

struct TBuildCall {
    std::string FileName;
    int32_t ColumnCount;
};

class TRecordingSource : public IReportSource {
public:
    TRecordingSource(TCallLog& log, IUserNotifier& notifier) : Log(log), Notifier(notifier) {}
    std::string Build(const std::string& fileName, int32_t& columnCount) override;
    // "<part FIRST-END>", logged as "build part FIRST-END".
    std::string BuildPart(const std::string& fileName, int32_t columnCount,
                          TPresetRange range) override;
    TReportSummary LastSummary() const override { return Summary; }
    std::vector<TPresetLabel> LastPresets() const override { return Presets; }
    int LastPresetsWithoutHeading() const override { return WithoutHeading; }
    void KeepStandardInput(std::string bytes) override { StandardInput = std::move(bytes); }
    std::vector<TPresetLabel> Presets;
    std::string StandardInput;
    int WithoutHeading = 0;

    std::vector<TBuildCall> Calls;
    TReportSummary Summary{"QVR-3", 24};
    std::string Document = "<table>\xAE</table>\n";
    // Runs inside Build, e.g. to look at the settings store at that moment.
    std::function<void(IUserNotifier&)> During;

private:
    TCallLog& Log;
    IUserNotifier& Notifier;
};

// A main window over recording stand-ins, with the settings store and the
// program folder in a temporary folder.
class TWindowFixture {
public:
    TWindowFixture();
    ~TWindowFixture();
    // Creates the window (which reads the settings store at once).
    TFormMain& Create(std::optional<QRect> workArea = QRect(0, 0, 1280, 1024));

    TCallLog Log;
    QTemporaryDir Folder;
    TRecordingDialogs Dialogs{Log};
    TRecordingView* View = nullptr;
    TRecordingSource* Source = nullptr;
    std::unique_ptr<TFormMain> Window;
    std::string ReportFolder;    // the window's report folder; FolderPath() when empty
    std::string LibraryDatabase; // none: no library
    size_t PartBytes = ReportPartBytes;
    // The MIDI ports the window's MIDI dialog lists, and how often they were read.
    std::vector<std::string> MidiInputs{"Device A:out", "qvr-send:out"};
    std::vector<std::string> MidiOutputs{"Device A:in"};
    int MidiListReads = 0;

    std::string FolderPath() const; // with a trailing '/'
    std::string MakeFile(const std::string& name, const std::string& bytes = "x") const;
};

// Settings written and read through the store the window uses.
void WriteSetting(const std::string& name, int32_t value);
void WriteSetting(const std::string& name, const std::string& value);
std::optional<int32_t> ReadIntSetting(const std::string& name);
std::optional<std::string> ReadStringSetting(const std::string& name);
bool SettingsKeyExists();

} // namespace qvr::test
