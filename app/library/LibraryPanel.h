#pragma once

#include "library/History.h"
#include "library/Search.h"
#include "report/Comparison.h"

#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// The preset library beside the report: a search box whose query runs as the user types
// (once typing pauses), the presets found by file, number and name with what matched, and a
// line that says how many or what is wrong with the query. The search runs on a thread of its
// own, so typing never waits for it; a query typed meanwhile makes its answer stale, and a stale
// answer is dropped. Choosing a preset (a double click, or Enter) hands its file and position
// (from 1) to `chosen`. Below the presets, the history of the one selected: its versions across
// the library, oldest first, each with how much changed from the one before (read on the same
// thread). Compare, with two versions selected, or a double click on a version (with the one
// before it) hands the two to `CompareVersions`, the older first.
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
    QListWidget History;
    QPushButton CompareButton;
    std::function<void(const TCompareSide& old, const TCompareSide& now)> CompareVersions;

private:
    // What a search found: the first MaxListed presets and how many there are, or why
    // there is no answer.
    struct TAnswer {
        std::vector<TSearchHit> Hits;
        size_t Total = 0;
        std::optional<EQueryError> QueryError;
        std::string Failure;
    };
    // The searches' own connection to the library, opened at the first search and used
    // only on the search thread; `Latest` is the number of the query last asked.
    struct TSearcher {
        std::string Database;
        std::unique_ptr<TSqlite> Db;
        std::atomic<uint64_t> Latest = 0;
        std::atomic<uint64_t> LatestHistory = 0;
    };
    // The versions of the preset selected, or why there are none.
    struct THistoryAnswer {
        std::vector<TPresetVersion> Versions;
        std::string Failure;
    };

    void RunQuery();
    void ShowQueryError(const EQueryError& error);
    void Show(uint64_t query, const TAnswer& answer);
    void AskHistory(QListWidgetItem* result);
    void ShowHistory(uint64_t asked, const THistoryAnswer& answer);
    void CompareSelected();

    QVBoxLayout Layout;
    QTimer Pause;
    std::string Database;
    std::function<void(const std::string&, int64_t)> Chosen;
    std::shared_ptr<TSearcher> Searcher;
    std::string Asked;        // the text of the query last asked
    uint64_t LastAsked = 0;   // and its number
    uint64_t LastHistory = 0; // the number of the history last asked
    // Last, so that it goes first: it waits for a search under way.
    QThreadPool Thread;
};

} // namespace qvr
