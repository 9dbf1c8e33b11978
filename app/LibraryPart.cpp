#include "app/LibraryPart.h"

#include "app/LibraryFolders.h"
#include "app/LibraryFoldersDialog.h"

#include <QDockWidget>
#include <QStatusBar>

#include <algorithm>
#include <filesystem>

namespace qvr {

TLibraryPart::TLibraryPart(QMainWindow& window, IDialogs& dialogs, std::string database,
                           std::function<void(const std::string&, int64_t)> open)
    : ChooseFolder(ChooseLibraryFolder), FoldersItem(&window), PanelItem(&window),
      Panel(window, database, std::move(open)), Window(window), Dialogs(dialogs),
      Database(std::move(database)) {
    window.addDockWidget(Qt::RightDockWidgetArea, &Panel);
    Panel.hide();
    PanelItem.setCheckable(true);
    // The panel's close box unticks the item; the window's own hiding does not.
    QObject::connect(&Panel, &QDockWidget::visibilityChanged, &PanelItem, [this](bool visible) {
        if (Window.isVisible() && !Window.isMinimized()) {
            PanelItem.setChecked(visible);
        }
    });
}

TLibraryPart::~TLibraryPart() = default;

void TLibraryPart::ShowPanel(bool shown) {
    Panel.setVisible(shown);
    if (shown) {
        Panel.Query.setFocus();
    }
}

void TLibraryPart::StartUpdate(std::vector<std::string> dropped) {
    const std::vector<std::string> folders = LoadLibraryFolders();
    std::error_code ignored;
    if (Database.empty() || (folders.empty() && !std::filesystem::exists(Database, ignored))) {
        return;
    }
    Update.reset(); // a run still going ends first
    Window.statusBar()->showMessage(QStringLiteral("Updating the library..."));
    Update = std::make_unique<TLibraryUpdate>(Database, TConfigSearch{}, folders,
                                              std::move(dropped), [this](const QString& outcome) {
                                                  Window.statusBar()->showMessage(outcome, 10000);
                                                  Panel.Refresh();
                                              });
}

void TLibraryPart::EditFolders() {
    const std::vector<std::string> before = LoadLibraryFolders();
    TLibraryFoldersDialog dialog(Window, before, ChooseFolder);
    Dialogs.RunModal(dialog);
    if (dialog.result() == QDialog::Accepted) {
        const std::vector<std::string> after = dialog.Folders();
        std::vector<std::string> dropped;
        for (const std::string& folder : before) {
            if (std::find(after.begin(), after.end(), folder) == after.end()) {
                dropped.push_back(folder);
            }
        }
        SaveLibraryFolders(after);
        StartUpdate(std::move(dropped));
    }
}

} // namespace qvr
