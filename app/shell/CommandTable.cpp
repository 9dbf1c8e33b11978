#include "app/shell/CommandTable.h"

#include <QMenuBar>

namespace qvr {

TCommandRow MenuRow(QMenu& menu, const char* name, const char* caption) {
    TCommandRow row;
    row.Kind = TCommandRow::TKind::Menu;
    row.Menu = &menu;
    row.Name = name;
    row.Caption = caption;
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

TCommandRow CommandRow(QAction& item, const char* name, const char* caption,
                       QList<QKeySequence> keys, std::function<void()> run,
                       std::function<bool()> enabled) {
    TCommandRow row;
    row.Item = &item;
    row.Name = name;
    row.Caption = caption;
    row.Keys = std::move(keys);
    row.Run = std::move(run);
    row.Enabled = std::move(enabled);
    return row;
}

QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, QKeyCombination common) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(command);
    if (keys.isEmpty()) {
        keys << QKeySequence(common);
    }
    return keys;
}

void TCommandTable::Build(QMenuBar& bar, std::vector<TCommandRow> rows,
                          const std::function<void(const std::function<void()>&)>& guard) {
    Rows = std::move(rows);
    std::vector<QMenu*> open; // the menus being filled, innermost last
    for (TCommandRow& row : Rows) {
        switch (row.Kind) {
        case TCommandRow::TKind::Menu:
            row.Menu->setTitle(QString::fromLatin1(row.Caption));
            row.Menu->setObjectName(QString::fromLatin1(row.Name));
            if (open.empty()) {
                bar.addMenu(row.Menu);
            } else {
                open.back()->addMenu(row.Menu);
            }
            open.push_back(row.Menu);
            break;
        case TCommandRow::TKind::EndMenu:
            open.pop_back();
            break;
        case TCommandRow::TKind::Separator:
            open.back()->addSeparator();
            break;
        case TCommandRow::TKind::Command:
            row.Item->setText(QString::fromLatin1(row.Caption));
            row.Item->setObjectName(QString::fromLatin1(row.Name));
            row.Item->setShortcuts(row.Keys);
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

} // namespace qvr
