#pragma once

#include "app/common/Dialogs.h"
#include "app/compare/CompareWindow.h"
#include "app/library/LibraryPanel.h"
#include "app/library/LibraryUpdate.h"

#include <QAction>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

namespace qvr {

// The preset library in the main window: the library panel (hidden until Options > Library
// Panel shows it), Options > Library Folders, and the update in the background that brings
// the library up to date with the folders it follows: at start, after they change, and each
// time the viewer becomes the active application again (files copied or changed meanwhile).
// Choosing a preset in the panel hands its file and position (from 1) to `open`; two versions
// of its history are compared in a window of the part's own.
class TLibraryPart {
public:
    TLibraryPart(QMainWindow& window, IDialogs& dialogs, std::string database,
                 std::function<void(const std::string& file, int64_t position)> open);
    ~TLibraryPart();

    // Shows or hides the panel; shown, its search box has the focus.
    void ShowPanel(bool shown);
    // Starts an update of the library (the folders `added` followed from now on, those of
    // `dropped` no longer), unless there is no library yet and nothing to add. The folders
    // of an earlier viewer's settings are moved into the library first, once.
    void StartUpdate(std::vector<std::string> added = {}, std::vector<std::string> dropped = {});
    // Options > Library Folders: the folders the library follows in a dialog; on OK the
    // changes go to the library, which is updated.
    void EditFolders();
    // Shows the comparison of two presets (the panel's versions) in the part's window; a
    // failure (the files changed since) is shown in a message box, their warnings on the
    // status bar.
    void Compare(const TCompareSide& old, const TCompareSide& now);
    // The folder chooser of the dialog's Add Folder (the tests answer for the user).
    std::function<QString(QWidget&)> ChooseFolder;

    QAction FoldersItem;
    QAction PanelItem;
    TLibraryPanel Panel;

    // The library's database; empty: no library.
    const std::string& DatabasePath() const { return Database; }

private:
    QMainWindow& Window;
    IDialogs& Dialogs;
    std::string Database;
    bool Updating = false;
    std::unique_ptr<TCompareWindow> Comparison;
    std::unique_ptr<TLibraryUpdate> Update; // last: its thread ends first
};

} // namespace qvr
