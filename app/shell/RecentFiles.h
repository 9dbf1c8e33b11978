#pragma once

#include "app/common/ViewerSettings.h"

#include <QAction>
#include <QMenu>

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qvr {

// File > Recent Files: the last files opened, newest first, each once. Choosing one hands its
// name to the window; the list itself changes only when a file opens.
class TRecentFiles {
public:
    static constexpr size_t Capacity = RecentFileCount;

    // The list's menu belongs to `owner`'s menus (see Menu).
    TRecentFiles(QWidget& owner, std::function<void(const std::string&)> chosen);

    // Puts the file first, by its absolute name (moving it up when it is already listed).
    void Add(const std::string& fileName);
    // Replaces the list (from the settings store); empty names and repeats are dropped.
    void Set(const std::vector<std::string>& fileNames);
    const std::vector<std::string>& Files() const { return Names; }
    // The submenu that lists them.
    QMenu& Menu() { return List; }

private:
    void Fill();

    QMenu List;
    std::function<void(const std::string&)> Chosen;
    std::vector<std::string> Names;
    // One item a place, made once (owned by the menu): an item may be chosen while the
    // list changes.
    std::array<QAction*, Capacity> Items{};
};

} // namespace qvr
