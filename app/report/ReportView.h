#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace qvr {

// Where a newly shown report starts: at its top, or where the previous one was scrolled to
// (a reload of the same file).
enum class TScroll { Top, Keep };

// Hands back the place of the current match (from 1; 0 when none) and the number of matches.
using TFoundHandler = std::function<void(int active, int total)>;

// What the view tells its window. Every callback may be empty.
struct TViewEvents {
    // While a report loads: how many preset headings are there so far.
    std::function<void(int headings)> Progress;
    // The report has loaded (or not: `ok` false).
    std::function<void(bool ok)> Loaded;
    // The page renderer ended (a crash, out of memory, killed): why, as a short text. The view
    // has started a new one and loads the report again.
    std::function<void(const QString& why)> RendererEnded;
    // The user turned the wheel with Ctrl held: one step larger (+1) or smaller (-1).
    std::function<void(int step)> ZoomStep;
};

// The report view inside the main window. The program uses a web view; the
// tests record the calls.
class IReportView {
public:
    virtual ~IReportView() = default;
    virtual QWidget& Widget() = 0;
    // Shows the report file (the whole document, decoded as windows-1252).
    virtual void Navigate(const QString& reportFile, TScroll scroll) = 0;
    // The report file Save As and Print work on when it is not the one shown: the whole report
    // while one part of it is shown. Empty: the one shown.
    virtual void SetWholeReport(const QString& reportFile) = 0;
    // Shows a report held in memory, for when it cannot be written to its file; false, and
    // nothing shown, when it is too large to be shown that way.
    virtual bool ShowDocument(const std::string& document) = 0;
    // The document commands of the view; each brings its own dialogs. Save As proposes
    // `proposedFile` and refuses a target that is one of `inputs` (the files the report is
    // made of).
    virtual void SaveAs(const QString& proposedFile, const std::vector<std::string>& inputs) = 0;
    virtual void PageSetup() = 0;
    virtual void Print() = 0;
    virtual void Copy() = 0;
    virtual void SelectAll() = 0;
    // Finds the next (or previous) match of the text and marks it; an empty text clears the
    // marks. `found` is called when the search is done.
    virtual void Find(const QString& text, bool backward, bool caseSensitive,
                      TFoundHandler found) = 0;
    // Scrolls the report so that the heading of the preset at `position` (from 0, in file
    // order) is at the top; a report still loading goes there once it has loaded.
    virtual void ShowPreset(int position) = 0;
    // The size of everything shown, 1 being the normal size; it holds for later reports too.
    virtual void SetZoom(double factor) = 0;
    virtual void SetEvents(TViewEvents events) = 0;
};

} // namespace qvr
