#pragma once

#include "report/ProductConfigLookup.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace qvr {

// Brings the preset library up to date on a thread of its own, off the interface: the folders
// `dropped` are no longer followed and their files taken out, the folders `added` followed,
// and then new files in the folders followed are added, changed ones read again, gone ones
// taken out. When the run ends `done` runs on the interface thread with a line that says
// what it did or why it failed, and the number of files read.
// Destroying the object stops the run within the file it is reading or writing (what was
// finished stays in the library) and waits for it; `done` is not called then.
class TLibraryUpdate : public QObject {
    Q_OBJECT
public:
    TLibraryUpdate(std::string database, TConfigSearch search, std::vector<std::string> added,
                   std::vector<std::string> dropped,
                   std::function<void(const QString& outcome, size_t read)> done);
    ~TLibraryUpdate() override;
    TLibraryUpdate(const TLibraryUpdate&) = delete;
    TLibraryUpdate& operator=(const TLibraryUpdate&) = delete;

private:
    void Run(const std::string& database, const TConfigSearch& search,
             const std::vector<std::string>& added, const std::vector<std::string>& dropped);

    std::function<void(const QString&, size_t)> Done;
    std::atomic<bool> Stopping{false};
    std::thread Worker; // last: started once the rest is there
};

} // namespace qvr
