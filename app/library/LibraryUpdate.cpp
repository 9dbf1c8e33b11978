#include "app/library/LibraryUpdate.h"

#include "library/Library.h"

#include <QMetaObject>

namespace qvr {

namespace {

// Thrown from the progress of a run to end it between two files.
struct TStopped {};

} // namespace

TLibraryUpdate::TLibraryUpdate(std::string database, TConfigSearch search,
                               std::vector<std::string> added, std::vector<std::string> dropped,
                               std::function<void(const QString&, size_t)> done)
    : Done(std::move(done)),
      Worker([this, database = std::move(database), search = std::move(search),
              added = std::move(added),
              dropped = std::move(dropped)] { Run(database, search, added, dropped); }) {}

TLibraryUpdate::~TLibraryUpdate() {
    Stopping = true;
    Worker.join();
}

void TLibraryUpdate::Run(const std::string& database, const TConfigSearch& search,
                         const std::vector<std::string>& added,
                         const std::vector<std::string>& dropped) {
    QString outcome;
    size_t read = 0;
    try {
        TLibrary library(database, search);
        TLibrary::TProgress progress;
        progress.File = [this](size_t, size_t, const std::string&, const TLibrary::TFileResult&) {
            if (Stopping) {
                throw TStopped{};
            }
        };
        // Asked within each file too, so that closing never waits for a large one.
        progress.Stopped = [this] { return Stopping.load(); };
        library.Remove(dropped);
        for (const std::string& folder : added) {
            library.Follow(folder, false);
        }
        read = library.Update(progress);
        outcome = QStringLiteral("Library up to date: %1 files read, %2 in it")
                      .arg(read)
                      .arg(library.Files().size());
    } catch (const TStopped&) {
        return;
    } catch (const TLibraryStopped&) {
        return;
    } catch (const std::exception& error) {
        outcome =
            QStringLiteral("The library cannot be updated: ") + QString::fromUtf8(error.what());
    }
    QMetaObject::invokeMethod(
        this, [this, outcome, read] { Done(outcome, read); }, Qt::QueuedConnection);
}

} // namespace qvr
