#pragma once

#include "app/Dialogs.h"
#include "app/LibraryPanel.h"
#include "app/LibraryUpdate.h"

#include <QAction>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

namespace qvr {

// The preset library in the main window: the library panel (hidden until Options > Library
// Panel shows it), Options > Library Folders, and the update in the background that brings
// the library up to date with the folders at start and after they change. Choosing a preset
// in the panel hands its file and position (from 1) to `open`.
class TLibraryPart {
public:
    TLibraryPart(QMainWindow& window, IDialogs& dialogs, std::string database,
                 std::function<void(const std::string& file, int64_t position)> open);
    ~TLibraryPart();

    // Shows or hides the panel; shown, its search box has the focus.
    void ShowPanel(bool shown);
    // Starts an update with the stored folders (the files of `dropped` taken out), unless
    // there are none and no library yet.
    void StartUpdate(std::vector<std::string> dropped = {});
    // Options > Library Folders: the folders in a dialog; on OK they are stored and the
    // library updated.
    void EditFolders();
    // The folder chooser of the dialog's Add Folder (the tests answer for the user).
    std::function<QString(QWidget&)> ChooseFolder;

    QAction FoldersItem;
    QAction PanelItem;
    TLibraryPanel Panel;

private:
    QMainWindow& Window;
    IDialogs& Dialogs;
    std::string Database;
    std::unique_ptr<TLibraryUpdate> Update; // last: its thread ends first
};

} // namespace qvr
