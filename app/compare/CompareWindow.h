#pragma once

#include "app/report/FindBar.h"
#include "app/report/ReportCommands.h"
#include "app/report/ReportDocument.h"
#include "app/report/WebReportView.h"
#include "app/shell/CommandTable.h"
#include "base/UserNotifier.h"
#include "report/Comparison.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QVBoxLayout>

#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// The comparison of the two sides in its HTML form. The messages of both loads
// go to `notifier`; throws as Compare does (files of two models, a preset that
// is not there).
std::string BuildComparison(IUserNotifier& notifier, const TCompareSide& old,
                            const TCompareSide& now);

// The presets of a file, as number and name; its messages were shown when it
// was opened and are not shown again.
std::vector<TPresetLabel> ListPresets(const std::string& file);

// A window of its own that shows a comparison, read-only, with the commands of
// the main view: Find, Copy, Select All, Save As and Print. Its document is a report document
// shown from a file of its own.
class TCompareWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TCompareWindow(IDialogs& dialogs);
    ~TCompareWindow() override;

    // Writes the document to `documentFile` (removed when the window goes) and
    // shows it under the title.
    void Show(const std::string& document, const std::string& documentFile, const QString& title);
    // The same for the comparison of two sides, titled by the files' names; the
    // document file lies beside `reportFile`.
    void ShowComparison(IUserNotifier& notifier, const TCompareSide& old, const TCompareSide& now,
                        const std::string& reportFile);

    TWebReportView& View() { return *WebView; }
    // The report commands, as in the main window, and Close, by their object names.
    QAction& Command(std::string_view name) const { return Table.Command(name); }
    TFindBar& FindBar() { return Finder; }

private:
    TCommandTable Table{*this};
    QWidget Panel;
    QVBoxLayout Layout;
    TWebReportView* WebView = nullptr; // the document's view
    // Declared after Panel, so that the view goes first at destruction.
    TReportDocument Document;
    // Under the view, and like it declared after Panel.
    TFindBar Finder;
    std::vector<std::string> Inputs; // the compared files, never a Save As target
};

} // namespace qvr
