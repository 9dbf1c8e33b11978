#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenu>

#include <functional>
#include <vector>

class QMenuBar;

namespace qvr {

// One line of a window's menus: a menu that opens (its items follow up to the matching
// EndMenu), a separator, or a command with its caption (an ampersand marks the access key),
// keys, object name, what it does and when it is enabled.
struct TCommandRow {
    enum class TKind { Menu, EndMenu, Separator, Command };
    TKind Kind = TKind::Command;
    QMenu* Menu = nullptr;
    QAction* Item = nullptr;
    const char* Name = "";
    const char* Caption = "";
    QList<QKeySequence> Keys;
    std::function<void()> Run;
    // Empty: always enabled.
    std::function<bool()> Enabled;
};

TCommandRow MenuRow(QMenu& menu, const char* name, const char* caption);
TCommandRow EndMenuRow();
TCommandRow SeparatorRow();
TCommandRow CommandRow(QAction& item, const char* name, const char* caption,
                       QList<QKeySequence> keys, std::function<void()> run,
                       std::function<bool()> enabled = {});

// The desktop's keys for a command, or the common one where the desktop has none.
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, QKeyCombination common);

// A window's menus built from its rows, and the one place that enables its commands.
class TCommandTable {
public:
    // Fills the menu bar in row order. Every command runs through `guard` (which shows what
    // escapes it); the commands are listed in Items in row order.
    void Build(QMenuBar& bar, std::vector<TCommandRow> rows,
               const std::function<void(const std::function<void()>&)>& guard);
    // Enables each command as its row says, now.
    void UpdateCommands();
    const std::vector<QAction*>& Items() const { return Actions; }

private:
    std::vector<TCommandRow> Rows;
    std::vector<QAction*> Actions;
};

} // namespace qvr
