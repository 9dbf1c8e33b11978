#include "tests/app/Recorders.h"

#include "platform/Regaccess.h"

#include <QDir>

#include <fstream>

namespace qvr::test {

namespace {

const std::string SettingsKey = "Software\\Brindmoor\\QVRviewer";

// Values no test writes, to tell "absent" from a stored value.
constexpr int32_t AbsentInt = -1234567;
const std::string AbsentString = "\x01"
                                 "absent";

} // namespace

void TRecordingDialogs::ShowMessage(TMessageKind kind, const QString& title, const QString& text) {
    Log.push_back("message " + title.toStdString());
    Messages.push_back({kind, title, text});
}

void TRecordingDialogs::ShowMessageOver(QWidget& owner, TMessageKind kind, const QString& title,
                                        const QString& text) {
    ShowMessage(kind, title, text);
    Messages.back().Owner = &owner;
}

void TRecordingDialogs::RunModal(QDialog& dialog) {
    Log.push_back("modal " + dialog.objectName().toStdString());
    if (OnModal) {
        OnModal(dialog);
    }
}

bool TRecordingDialogs::RunOpenDialog(QWidget&, TOpenDialogState& state) {
    Log.push_back("open dialog");
    OpenDialogInputs.push_back(state);
    if (!OpenAccepts) {
        return false;
    }
    state.FileName = OpenChosenFile;
    state.FilterIndex = OpenChosenFilter;
    return true;
}

bool TRecordingDialogs::RunSaveDialog(QWidget&, TSaveDialogState&) {
    Log.push_back("save dialog");
    return false;
}

bool TRecordingDialogs::RunPrintDialog(QWidget&, QPrinter&) {
    Log.push_back("print dialog");
    return false;
}

void TRecordingDialogs::RunPageSetupDialog(QWidget&, QPrinter&) {
    Log.push_back("page setup dialog");
}

bool TRecordingDialogs::Ask(QWidget&, const QString& title, const QString&) {
    Log.push_back("ask " + title.toStdString());
    if (Answers.empty()) {
        return false;
    }
    const bool yes = Answers.front();
    Answers.erase(Answers.begin());
    return yes;
}

bool TRecordingDialogs::AskNumber(QWidget&, const QString& title, const QString&, int& value, int,
                                  int) {
    Log.push_back("ask number " + title.toStdString());
    if (!NumberAnswer) {
        return false;
    }
    value = *NumberAnswer;
    return true;
}

void TRecordingView::Navigate(const QString& reportFile, TScroll scroll) {
    Log.push_back("view Navigate");
    ShownFile = reportFile;
    Scroll = scroll;
    if (LoadsAtOnce && Events.Loaded) {
        Events.Loaded(true);
    }
}

bool TRecordingView::ShowDocument(const std::string& document) {
    Log.push_back("view ShowDocument");
    ShownDocument = document;
    if (TakesDocuments && LoadsAtOnce && Events.Loaded) {
        Events.Loaded(true);
    }
    return TakesDocuments;
}

void TRecordingView::Find(const QString& text, bool backward, bool caseSensitive,
                          TFoundHandler found) {
    Finds.push_back({text, backward, caseSensitive});
    if (found) {
        found(FoundActive, FoundTotal);
    }
}

std::string TRecordingSource::Build(const std::string& fileName, int32_t& columnCount) {
    Log.push_back("build " + fileName);
    Calls.push_back({fileName, columnCount});
    if (During) {
        During(Notifier);
    }
    return Document;
}

std::string TRecordingSource::BuildPart(const std::string& fileName, int32_t columnCount,
                                        TPresetRange range) {
    const std::string part = std::to_string(range.First) + "-" + std::to_string(range.End);
    Log.push_back("build part " + part);
    Calls.push_back({fileName, columnCount});
    return "<part " + part + ">";
}

TWindowFixture::TWindowFixture() {
    SetRegistryLocation({FolderPath() + "user.reg", FolderPath() + "system.reg"});
}

TWindowFixture::~TWindowFixture() {
    Window.reset();
}

TFormMain& TWindowFixture::Create(std::optional<QRect> workArea) {
    TFormMainServices services;
    auto view = std::make_unique<TRecordingView>(Log);
    View = view.get();
    services.ReportView = std::move(view);
    services.MakeReportSource = [this](IUserNotifier& notifier) {
        auto source = std::make_unique<TRecordingSource>(Log, notifier);
        Source = source.get();
        return source;
    };
    services.Dialogs = &Dialogs;
    services.WorkArea = [workArea] { return workArea; };
    services.ReportFolder = ReportFolder.empty() ? FolderPath() : ReportFolder;
    services.LibraryDatabase = LibraryDatabase;
    services.PartBytes = PartBytes;
    services.MidiPorts = {[this] {
                              ++MidiListReads;
                              return MidiInputs;
                          },
                          [this] { return MidiOutputs; }};
    Window = std::make_unique<TFormMain>(std::move(services));
    return *Window;
}

std::string TWindowFixture::FolderPath() const {
    return Folder.path().toStdString() + "/";
}

std::string TWindowFixture::MakeFile(const std::string& name, const std::string& bytes) const {
    const std::string path = FolderPath() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void WriteSetting(const std::string& name, int32_t value) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    reg.OpenKey(SettingsKey, true);
    reg.WriteInteger(name, value);
}

void WriteSetting(const std::string& name, const std::string& value) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    reg.OpenKey(SettingsKey, true);
    reg.WriteString(name, value);
}

std::optional<int32_t> ReadIntSetting(const std::string& name) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    if (!reg.OpenKey(SettingsKey, false)) {
        return std::nullopt;
    }
    const int32_t value = reg.ReadIntegerDefault(name, AbsentInt);
    return value == AbsentInt ? std::nullopt : std::optional<int32_t>(value);
}

std::optional<std::string> ReadStringSetting(const std::string& name) {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    if (!reg.OpenKey(SettingsKey, false)) {
        return std::nullopt;
    }
    std::string value = reg.ReadStringDefault(name, AbsentString);
    return value == AbsentString ? std::nullopt : std::optional<std::string>(std::move(value));
}

bool SettingsKeyExists() {
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::CurrentUser);
    return reg.OpenKey(SettingsKey, false);
}

} // namespace qvr::test
