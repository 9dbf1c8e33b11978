#pragma once

#include "library/Indexer.h"
#include "library/PresetSource.h"
#include "library/Sqlite.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What a run did to one file.
enum class TFileChange { Added, Updated, Unchanged, Restamped, Dropped, Failed };

// A file as the library lists it.
struct TLibraryFile {
    std::string Path;
    std::string Model; // empty when the file names none
    int64_t Presets = 0;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    std::string Errors; // messages shown while reading, one a line
};

// A folder the library follows: an update finds the files that appear in it.
struct TLibraryFolder {
    std::string Path;      // real
    bool AllFiles = false; // every file, not only preset and backup files
};

// What a removal took out.
struct TRemoved {
    size_t Files = 0;
    size_t Folders = 0;
};

// The preset library: files, their presets, modules and parameters, kept in a
// database that several programs may use at once.
class TLibrary {
public:
    // What a run did to one file, and the messages shown while reading it.
    struct TFileResult {
        TFileChange Change = TFileChange::Unchanged;
        std::vector<std::string> Messages;
    };
    // Called after each file of a run: its place in the run (from 1), the
    // number of files, the path and what was done. Problems that are not a
    // file's own (a path that cannot be searched) go to `Problem`.
    // `Stopped` is asked often while files are read, on the library's
    // reading thread too: once it says true the run ends within a block of
    // the file at hand and throws TLibraryStopped; the files finished before
    // stay in the library.
    struct TProgress {
        std::function<void(size_t done, size_t total, const std::string& path,
                           const TFileResult& result)>
            File;
        std::function<void(const std::string& text)> Problem;
        std::function<bool()> Stopped;
    };

    TLibrary(const std::string& databasePath, TConfigSearch search);

    // Indexes the files that PATHS name (folders searched through, only our
    // preset and backup files unless `all`), each by its real path, so that a
    // file reached by two paths or links is kept once. A folder is kept as one
    // the library follows (by its real path, with `all`). A file whose size
    // and time are as recorded is not read; one whose contents are as recorded
    // only gets its new time. Each file is opened once, without waiting, and
    // stamped, hashed and read through that one descriptor: one that is no
    // longer a regular file, or is larger than MaxInputSize, is skipped with a
    // message, and the others go on. Each file's messages go to `progress` and
    // into the library as it is stored, and are not kept. Returns the number
    // of files read.
    size_t Add(const std::vector<std::string>& paths, bool all, const TProgress& progress);
    // Adds the files that appeared in the folders followed, re-reads those
    // whose size, time and contents changed or whose configuration did (one
    // that was missing is there), and drops those that are gone. A folder
    // that is gone is reported through `progress.Problem` and kept. Returns
    // the number of files read.
    size_t Update(const TProgress& progress);
    // Takes out what PATHS name: a file, or a folder with every file below it
    // and the folders followed there. A path is looked up by its real path
    // and as it is spelled, so that one that is gone can be removed too.
    TRemoved Remove(const std::vector<std::string>& paths);
    // Follows the folder (its real path) from now on without reading it; false
    // when it is not a folder.
    bool Follow(const std::string& folder, bool all);
    std::vector<TLibraryFolder> Folders();
    std::vector<TLibraryFile> Files();

    TSqlite& Database() { return Db; }

private:
    struct TKnown {
        int64_t Id;
        TFileStamp Stamp;
        std::string Hash;
        std::string Configs; // as TSourceResult::Configs when it was read
    };
    // One file of a run: what its stamp and contents call for.
    struct TStep {
        std::string Path;
        TInputRule Rule = TInputRule::File;
        std::optional<TKnown> Known;
        bool ConfigChanged = false; // since the file was read
        bool Settled = false;       // unchanged by its stamp: not to be opened
        TFileResult Result;
        TFileStamp Stamp;
        std::string Hash;
    };
    TStep Plan(const std::string& path, TInputRule rule, const std::optional<TKnown>& known);
    // Looks at the step's file, on the reading thread, and sets its change:
    // the open file when its presets are to be read. Touches nothing but the
    // step, so that it runs beside the writing.
    static std::optional<TInputFile> Open(TStep& step, const std::function<void()>& check);
    // Carries the steps out in order, the files looked at and read ahead on a
    // second thread; returns the number of files read.
    size_t Run(std::vector<TStep>& steps, const TProgress& progress);
    // Plans the files found, and with `known` the files the library holds
    // that were not found (by path order).
    std::vector<TStep> PlanAll(const std::vector<TFoundFile>& found, bool known,
                               const TProgress& progress);
    std::optional<TKnown> Known(const std::string& path);
    // The configurations' stamps now for those recorded with a file; looked
    // at once per run.
    const std::string& ConfigsNow(const std::string& recorded);

    // The writer, made when a run first changes the library: an update that finds nothing
    // changed prepares none of its statements.
    TIndexer& Indexer();

    TSqlite Db;
    TPresetSource Source;
    std::optional<TIndexer> Writer;
    std::map<std::string, std::string> ConfigsSeen; // recorded stamps, and the current ones
};

} // namespace qvr
