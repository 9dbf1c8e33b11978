#include "app/shell/CommandTable.h"

#include <QMenuBar>

#include <stdexcept>
#include <string>

namespace qvr {

TCommandRow MenuRow(const char* name, const char* caption) {
    TCommandRow row;
    row.Kind = TCommandRow::TKind::Menu;
    row.Name = name;
    row.Caption = caption;
    return row;
}

TCommandRow MenuRow(QMenu& menu, const char* name, const char* caption) {
    TCommandRow row = MenuRow(name, caption);
    row.Menu = &menu;
    return row;
}

TCommandRow EndMenuRow() {
    TCommandRow row;
    row.Kind = TCommandRow::TKind::EndMenu;
    return row;
}

TCommandRow SeparatorRow() {
    TCommandRow row;
    row.Kind = TCommandRow::TKind::Separator;
    return row;
}

TCommandRow CommandRow(const char* name, const char* caption, QList<QKeySequence> keys,
                       std::function<void()> run, std::function<bool()> enabled) {
    TCommandRow row;
    row.Name = name;
    row.Caption = caption;
    row.Keys = std::move(keys);
    row.Run = std::move(run);
    row.Enabled = std::move(enabled);
    return row;
}

TCommandRow CommandRow(QAction& item, const char* name, const char* caption,
                       QList<QKeySequence> keys, std::function<void()> run,
                       std::function<bool()> enabled) {
    TCommandRow row =
        CommandRow(name, caption, std::move(keys), std::move(run), std::move(enabled));
    row.Item = &item;
    return row;
}

TCommandRow Checkable(TCommandRow row, int tag) {
    row.Checkable = true;
    row.Tag = tag;
    return row;
}

QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, QKeyCombination common) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(command);
    if (keys.isEmpty()) {
        keys << QKeySequence(common);
    }
    return keys;
}

TCommandTable::~TCommandTable() {
    // Items go before the menus that list them.
    MadeItems.clear();
    MadeMenus.clear();
}

void TCommandTable::Build(QMenuBar& bar, std::vector<TCommandRow> rows,
                          const std::function<void(const std::function<void()>&)>& guard) {
    Rows = std::move(rows);
    std::vector<QMenu*> open; // the menus being filled, innermost last
    for (TCommandRow& row : Rows) {
        switch (row.Kind) {
        case TCommandRow::TKind::Menu:
            if (row.Menu == nullptr) {
                MadeMenus.push_back(std::make_unique<QMenu>(&Owner));
                row.Menu = MadeMenus.back().get();
            }
            row.Menu->setTitle(QString::fromLatin1(row.Caption));
            row.Menu->setObjectName(QString::fromLatin1(row.Name));
            if (open.empty()) {
                bar.addMenu(row.Menu);
                // What is enabled is settled as the menu opens.
                QObject::connect(row.Menu, &QMenu::aboutToShow, row.Menu,
                                 [this] { UpdateCommands(); });
            } else {
                open.back()->addMenu(row.Menu);
            }
            open.push_back(row.Menu);
            Menus.push_back(row.Menu);
            break;
        case TCommandRow::TKind::EndMenu:
            open.pop_back();
            break;
        case TCommandRow::TKind::Separator:
            open.back()->addSeparator();
            break;
        case TCommandRow::TKind::Command:
            if (row.Item == nullptr) {
                MadeItems.push_back(std::make_unique<QAction>(&Owner));
                row.Item = MadeItems.back().get();
            }
            row.Item->setText(QString::fromLatin1(row.Caption));
            row.Item->setObjectName(QString::fromLatin1(row.Name));
            row.Item->setShortcuts(row.Keys);
            if (row.Checkable) {
                row.Item->setCheckable(true);
                row.Item->setData(row.Tag);
            }
            open.back()->addAction(row.Item);
            QObject::connect(row.Item, &QAction::triggered, row.Item,
                             [run = row.Run, guard] { guard(run); });
            Actions.push_back(row.Item);
            break;
        }
    }
    UpdateCommands();
}

void TCommandTable::UpdateCommands() {
    for (const TCommandRow& row : Rows) {
        if (row.Kind == TCommandRow::TKind::Command) {
            row.Item->setEnabled(!row.Enabled || row.Enabled());
        }
    }
}

QAction& TCommandTable::Command(std::string_view name) const {
    for (QAction* item : Actions) {
        if (item->objectName() == QLatin1StringView(name.data(), name.size())) {
            return *item;
        }
    }
    throw std::out_of_range("no command " + std::string(name));
}

QMenu& TCommandTable::Menu(std::string_view name) const {
    for (QMenu* menu : Menus) {
        if (menu->objectName() == QLatin1StringView(name.data(), name.size())) {
            return *menu;
        }
    }
    throw std::out_of_range("no menu " + std::string(name));
}

} // namespace qvr
