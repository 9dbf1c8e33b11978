#pragma once

#include "library/Sqlite.h"

#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace qvr {

// The preset library beside the report: a search box whose query runs as the user types
// (once typing pauses), the presets found by file, number and name with what matched, and a
// line that says how many or what is wrong with the query. Choosing a preset (a double
// click, or Enter) hands its file and position (from 1) to `chosen`.
class TLibraryPanel : public QDockWidget {
    Q_OBJECT
public:
    TLibraryPanel(QWidget& window, std::string database,
                  std::function<void(const std::string& file, int64_t position)> chosen);
    ~TLibraryPanel() override;

    // Runs the query again (the library changed).
    void Refresh();

    // How long typing pauses before the query runs.
    static constexpr int PauseMs = 250;
    // Presets listed at most; the line says how many more were found.
    static constexpr size_t MaxListed = 500;

private:
    QWidget Contents; // before the widgets on it, which go first

public:
    QLineEdit Query;
    QListWidget Results;
    QLabel Status;

private:
    void RunQuery();

    QVBoxLayout Layout;
    QTimer Pause;
    std::string Database;
    std::unique_ptr<TSqlite> Db; // opened at the first query
    std::function<void(const std::string&, int64_t)> Chosen;
};

} // namespace qvr
