#include "app/library/LibraryPart.h"

#include "app/library/LibraryFolders.h"
#include "app/library/LibraryFoldersDialog.h"
#include "base/HeldNotices.h"
#include "library/Library.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QStatusBar>

#include <algorithm>
#include <filesystem>

namespace qvr {

TLibraryPart::TLibraryPart(QMainWindow& window, IDialogs& dialogs, std::string database,
                           std::function<void(const std::string&, int64_t)> open)
    : ChooseFolder(ChooseLibraryFolder), FoldersItem(&window), PanelItem(&window),
      Panel(window, database, std::move(open)), Window(window), Dialogs(dialogs),
      Database(std::move(database)) {
    Panel.CompareVersions = [this](const TCompareSide& old, const TCompareSide& now) {
        Compare(old, now);
    };
    window.addDockWidget(Qt::RightDockWidgetArea, &Panel);
    Panel.hide();
    PanelItem.setCheckable(true);
    // The panel's close box unticks the item; the window's own hiding does not.
    QObject::connect(&Panel, &QDockWidget::visibilityChanged, &PanelItem, [this](bool visible) {
        if (Window.isVisible() && !Window.isMinimized()) {
            PanelItem.setChecked(visible);
        }
    });
    // Files copied or changed while the viewer was in the background are found when it comes
    // back; an update with nothing changed only looks at the files' sizes and times.
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &Panel,
                     [this](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive && Update && !Updating) {
                             StartUpdate();
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

void TLibraryPart::StartUpdate(std::vector<std::string> added, std::vector<std::string> dropped) {
    if (Database.empty()) {
        return;
    }
    try {
        MoveSettingsLibraryFolders([&](const std::vector<std::string>& folders) {
            added.insert(added.end(), folders.begin(), folders.end());
            TLibrary library(Database, TConfigSearch{});
            for (const std::string& folder : folders) {
                library.Follow(folder, false);
            }
        });
    } catch (const std::exception& error) {
        Window.statusBar()->showMessage(QStringLiteral("The library cannot be updated: ") +
                                        QString::fromUtf8(error.what()));
        return;
    }
    std::error_code ignored;
    if (added.empty() && !std::filesystem::exists(Database, ignored)) {
        return;
    }
    const bool asked = !added.empty() || !dropped.empty() || !Update;
    Update.reset(); // a run still going ends first
    if (asked) {
        Window.statusBar()->showMessage(QStringLiteral("Updating the library..."));
    }
    Updating = true;
    Update = std::make_unique<TLibraryUpdate>(
        Database, TConfigSearch{}, std::move(added), std::move(dropped),
        [this, asked](const QString& outcome, size_t read) {
            Updating = false;
            // An update on coming back says something only when it found something.
            if (asked || read > 0) {
                Window.statusBar()->showMessage(outcome, 10000);
            }
            Panel.Refresh();
        });
}

void TLibraryPart::EditFolders() {
    std::vector<std::string> before;
    try {
        before = LibraryFoldersOf(Database);
    } catch (const std::exception& error) {
        Dialogs.ShowMessage(TMessageKind::Error, QStringLiteral("Library Folders"),
                            QStringLiteral("The library cannot be read: ") +
                                QString::fromUtf8(error.what()));
        return;
    }
    TLibraryFoldersDialog dialog(Window, before, ChooseFolder);
    Dialogs.RunModal(dialog);
    if (dialog.result() == QDialog::Accepted) {
        const std::vector<std::string> after = dialog.Folders();
        std::vector<std::string> added;
        std::vector<std::string> dropped;
        for (const std::string& folder : after) {
            if (std::find(before.begin(), before.end(), folder) == before.end()) {
                added.push_back(folder);
            }
        }
        for (const std::string& folder : before) {
            if (std::find(after.begin(), after.end(), folder) == after.end()) {
                dropped.push_back(folder);
            }
        }
        StartUpdate(std::move(added), std::move(dropped));
    }
}

void TLibraryPart::Compare(const TCompareSide& old, const TCompareSide& now) {
    // Counts the warnings of both files; errors end the comparison with an exception.
    class TCounted : public IUserNotifier {
    public:
        void ShowError(const std::string& text) override { Last = text; }
        void ShowWarning(const std::string& text) override {
            ++Warnings;
            Last = text;
        }
        size_t Warnings = 0;
        std::string Last;
    } notifier;
    if (!Comparison) {
        Comparison = std::make_unique<TCompareWindow>(Dialogs);
    }
    try {
        // The document lies in the library's own folder, which is this user's alone.
        Comparison->ShowComparison(notifier, old, now, Database);
    } catch (const std::exception& error) {
        Dialogs.ShowMessage(TMessageKind::Error, QStringLiteral("Compare"),
                            QString::fromUtf8(error.what()));
        return;
    }
    if (notifier.Warnings > 0) {
        Window.statusBar()->showMessage(
            QStringLiteral("The compared files have %1 warnings: ").arg(notifier.Warnings) +
                QString::fromUtf8(notifier.Last),
            10000);
    }
}

} // namespace qvr
