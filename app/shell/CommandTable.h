#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenu>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QMenuBar;
class QWidget;

namespace qvr {

// One line of a window's menus: a menu that opens (its items follow up to the matching
// EndMenu), a separator, or a command with its object name, caption (an ampersand marks the
// access key), keys, what it does and when it is enabled. The table makes the menu or item
// unless the row names one that another part of the window owns.
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
    // A tick before the caption; Tag is the item's data (the column items carry 1 to 4).
    bool Checkable = false;
    int Tag = 0;
};

TCommandRow MenuRow(const char* name, const char* caption);
TCommandRow MenuRow(QMenu& menu, const char* name, const char* caption);
TCommandRow EndMenuRow();
TCommandRow SeparatorRow();
TCommandRow CommandRow(const char* name, const char* caption, QList<QKeySequence> keys,
                       std::function<void()> run, std::function<bool()> enabled = {});
TCommandRow CommandRow(QAction& item, const char* name, const char* caption,
                       QList<QKeySequence> keys, std::function<void()> run,
                       std::function<bool()> enabled = {});
// The row with a tick, carrying `tag`.
TCommandRow Checkable(TCommandRow row, int tag = 0);

// The desktop's keys for a command, or the common one where the desktop has none.
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey command, QKeyCombination common);

// A window's menus built from its rows: it makes their menus and items, and is the one place
// that enables its commands, each time a menu opens and whenever the window asks.
class TCommandTable {
public:
    explicit TCommandTable(QWidget& owner) : Owner(owner) {}
    TCommandTable(const TCommandTable&) = delete;
    TCommandTable& operator=(const TCommandTable&) = delete;
    ~TCommandTable();

    // Fills the menu bar in row order. Every command runs through `guard` (which shows what
    // escapes it); the commands are listed in Items in row order.
    void Build(QMenuBar& bar, std::vector<TCommandRow> rows,
               const std::function<void(const std::function<void()>&)>& guard);
    // Enables each command as its row says, now.
    void UpdateCommands();
    const std::vector<QAction*>& Items() const { return Actions; }
    // The command or menu with this object name; throws std::out_of_range when there is none.
    QAction& Command(std::string_view name) const;
    QMenu& Menu(std::string_view name) const;

private:
    QWidget& Owner;
    std::vector<TCommandRow> Rows;
    std::vector<QAction*> Actions;
    std::vector<QMenu*> Menus;
    // What the table made; released before the owner, which would otherwise delete them too.
    std::vector<std::unique_ptr<QAction>> MadeItems;
    std::vector<std::unique_ptr<QMenu>> MadeMenus;
};

} // namespace qvr
