#include "library/Library.h"

#include "library/Schema.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>

namespace qvr {

TLibrary::TLibrary(const std::string& databasePath, TConfigSearch search)
    : Db(OpenLibrary(databasePath)), Source(std::move(search)) {}

TIndexer& TLibrary::Indexer() {
    if (!Writer) {
        Writer.emplace(Db);
    }
    return *Writer;
}

std::optional<TLibrary::TKnown> TLibrary::Known(const std::string& path) {
    TStatement find(Db, "SELECT id, size, mtime, hash, configs FROM files WHERE path = ?");
    find.Bind(1, path);
    if (!find.Step()) {
        return std::nullopt;
    }
    return TKnown{find.Int(0), TFileStamp{find.Int(1), find.Int(2)}, std::string(find.Text(3)),
                  std::string(find.Text(4))};
}

TLibrary::TStep TLibrary::Plan(const std::string& path, TInputRule rule,
                               const std::optional<TKnown>& known) {
    TStep step{path, rule, known, false, false, {}, {}, {}};
    step.ConfigChanged =
        known && !known->Configs.empty() && known->Configs != ConfigsNow(known->Configs);
    // Looked at here rather than on the reading thread: an update with little changed
    // then hands the reading thread only the files that did.
    if (known && !step.ConfigChanged) {
        if (const std::optional<TFileStamp> stamp = StampOf(path, rule);
            stamp && *stamp == known->Stamp) {
            step.Result.Change = TFileChange::Unchanged; // not even opened
            step.Settled = true;
        }
    }
    return step;
}

std::optional<TInputFile> TLibrary::Open(TStep& step, const std::function<void()>& check) {
    const std::optional<TKnown>& known = step.Known;
    TInputFile input = TInputFile::Open(step.Path, step.Rule);
    std::string problem = input.Problem();
    if (input.IsOpen()) {
        step.Stamp = StampOf(input.Status());
        input.CheckBeforeRead(check);
        try {
            step.Hash = HashOf(input);
        } catch (const std::exception& failure) {
            problem = failure.what();
        }
        if (problem.empty() && !input.Rewind()) {
            problem = std::strerror(errno);
        }
    }
    if (!problem.empty()) {
        if (!known) {
            step.Result = {TFileChange::Failed, {"error: " + problem}};
        } else {
            // Gone, or no longer a file the library reads.
            step.Result.Change = TFileChange::Dropped;
            if (!input.IsMissing()) {
                step.Result.Messages = {"warning: " + problem};
            }
        }
        return std::nullopt;
    }
    step.Result.Change = !known                                            ? TFileChange::Added
                         : known->Hash == step.Hash && !step.ConfigChanged ? TFileChange::Restamped
                                                                           : TFileChange::Updated;
    if (step.Result.Change == TFileChange::Restamped) {
        return std::nullopt;
    }
    return input;
}

size_t TLibrary::Run(std::vector<TStep>& steps, const TProgress& progress) {
    ConfigsSeen.clear(); // the next run looks again
    // Nor does a stop wait for another program's writing to end.
    Db.StopWaitingWhen(progress.Stopped);
    struct TPlainWait {
        TSqlite& Db;
        ~TPlainWait() { Db.StopWaitingWhen(nullptr); }
    } plainAfter{Db};
    std::vector<size_t> toOpen; // the steps not settled, in order
    for (size_t i = 0; i < steps.size(); ++i) {
        if (!steps[i].Settled) {
            toOpen.push_back(i);
        }
    }
    TPresetPipeline presets(
        Source, toOpen.size(),
        [&steps, &toOpen](size_t index, const std::function<void()>& check) {
            return Open(steps[toOpen[index]], check);
        },
        progress.Stopped);
    size_t read = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        // The step is the reading thread's until its file was opened.
        const bool reading = !steps[i].Settled && presets.NextFile();
        TStep& step = steps[i];
        try {
            if (reading) {
                step.Result.Messages = Indexer().Store(step.Path, step.Stamp, step.Hash, presets);
                ++read;
            } else if (step.Result.Change == TFileChange::Restamped) {
                Indexer().Restamp(step.Known->Id, step.Stamp);
            } else if (step.Result.Change == TFileChange::Dropped) {
                Indexer().Drop(step.Known->Id);
            }
        } catch (const ELibraryDatabase&) {
            if (progress.Stopped && progress.Stopped()) {
                throw TLibraryStopped{}; // the wait for another writer given up
            }
            throw;
        }
        if (progress.File) {
            progress.File(i + 1, steps.size(), step.Path, step.Result);
        }
        // Shown and stored: a run of many files with many messages keeps none.
        std::vector<std::string>().swap(step.Result.Messages);
    }
    return read;
}

const std::string& TLibrary::ConfigsNow(const std::string& recorded) {
    auto now = ConfigsSeen.find(recorded);
    if (now == ConfigsSeen.end()) {
        now = ConfigsSeen.emplace(recorded, Source.ConfigStampsNow(recorded)).first;
    }
    return now->second;
}

bool TLibrary::Follow(const std::string& folder, bool all) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return false;
    }
    TStatement keep(Db, "INSERT OR REPLACE INTO folders(path, every_file) VALUES(?, ?)");
    keep.Bind(1, RealPathOf(folder)).Bind(2, int64_t{all ? 1 : 0}).Run();
    return true;
}

std::vector<TLibraryFolder> TLibrary::Folders() {
    std::vector<TLibraryFolder> folders;
    TStatement all(Db, "SELECT path, every_file FROM folders ORDER BY path");
    while (all.Step()) {
        folders.push_back({std::string(all.Text(0)), all.Int(1) != 0});
    }
    return folders;
}

std::vector<TLibrary::TStep> TLibrary::PlanAll(const std::vector<TFoundFile>& found, bool known,
                                               const TProgress& progress) {
    const auto checkStop = [&progress] {
        if (progress.Stopped && progress.Stopped()) {
            throw TLibraryStopped{};
        }
    };
    checkStop(); // the search of a large tree may have been cut short
    std::vector<TStep> steps;
    auto next = found.begin();
    if (known) {
        // Both in path order: the files held, and between them those found new.
        TStatement all(Db, "SELECT path, id, size, mtime, hash, configs FROM files ORDER BY path");
        while (all.Step()) {
            const std::string path(all.Text(0));
            for (; next != found.end() && next->Path < path; ++next) {
                steps.push_back(Plan(next->Path, next->Rule, std::nullopt));
            }
            // A file held but not found in a folder is one added by its name: a
            // link the user named is followed again.
            TInputRule rule = TInputRule::File;
            if (next != found.end() && next->Path == path) {
                rule = next->Rule;
                ++next;
            }
            steps.push_back(Plan(path, rule,
                                 TKnown{all.Int(1), TFileStamp{all.Int(2), all.Int(3)},
                                        std::string(all.Text(4)), std::string(all.Text(5))}));
        }
    }
    for (; next != found.end(); ++next) {
        checkStop();
        steps.push_back(Plan(next->Path, next->Rule, known ? std::nullopt : Known(next->Path)));
    }
    return steps;
}

size_t TLibrary::Add(const std::vector<std::string>& paths, bool all, const TProgress& progress) {
    for (const std::string& path : paths) {
        Follow(path, all); // a file is no folder to follow
    }
    const std::vector<TFoundFile> files = FindPresetFiles(
        paths, all,
        [&](const std::string& text) {
            if (progress.Problem) {
                progress.Problem(text);
            }
        },
        progress.Stopped);
    std::vector<TStep> steps = PlanAll(files, false, progress);
    return Run(steps, progress);
}

size_t TLibrary::Update(const TProgress& progress) {
    std::vector<std::string> folders[2]; // of preset files, of every file
    for (const TLibraryFolder& folder : Folders()) {
        folders[folder.AllFiles ? 1 : 0].push_back(folder.Path);
    }
    const auto problem = [&](const std::string& text) {
        if (progress.Problem) {
            progress.Problem(text);
        }
    };
    std::vector<TFoundFile> found;
    for (const bool all : {false, true}) {
        if (!folders[all ? 1 : 0].empty()) {
            std::vector<TFoundFile> more =
                FindPresetFiles(folders[all ? 1 : 0], all, problem, progress.Stopped);
            std::vector<TFoundFile> both;
            both.reserve(found.size() + more.size());
            std::merge(found.begin(), found.end(), more.begin(), more.end(),
                       std::back_inserter(both),
                       [](const TFoundFile& a, const TFoundFile& b) { return a.Path < b.Path; });
            both.erase(std::unique(both.begin(), both.end(),
                                   [](const TFoundFile& a, const TFoundFile& b) {
                                       return a.Path == b.Path;
                                   }),
                       both.end());
            found = std::move(both);
        }
    }
    std::vector<TStep> steps = PlanAll(found, true, progress);
    return Run(steps, progress);
}

TRemoved TLibrary::Remove(const std::vector<std::string>& paths) {
    // A folder's files sort between "FOLDER/" and "FOLDER0", '0' coming right after '/'.
    TStatement under(Db, "SELECT id FROM files WHERE path = ?1 OR (path >= ?2 AND path < ?3)");
    TStatement forget(Db, "DELETE FROM folders WHERE path = ?1 OR (path >= ?2 AND path < ?3)");
    TRemoved removed;
    for (const std::string& given : paths) {
        std::vector<int64_t> ids;
        for (const std::string& path : std::set{RealPathOf(given), LibraryPathOf(given)}) {
            const std::string folder = path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
            under.Bind(1, path).Bind(2, folder + "/").Bind(3, folder + "0");
            while (under.Step()) {
                ids.push_back(under.Int(0));
            }
            under.Reset();
            forget.Bind(1, path).Bind(2, folder + "/").Bind(3, folder + "0").Run();
            removed.Folders += static_cast<size_t>(Db.Changes());
        }
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        for (const int64_t id : ids) {
            Indexer().Drop(id);
        }
        removed.Files += ids.size();
    }
    return removed;
}

std::vector<TLibraryFile> TLibrary::Files() {
    std::vector<TLibraryFile> files;
    TStatement all(Db, "SELECT f.path, f.model, f.presets, f.size, f.mtime, m.text FROM files f "
                       "LEFT JOIN file_messages m ON m.file = f.id ORDER BY f.path");
    while (all.Step()) {
        files.push_back(TLibraryFile{std::string(all.Text(0)), std::string(all.Text(1)), all.Int(2),
                                     all.Int(3), all.Int(4), std::string(all.Text(5))});
    }
    return files;
}

} // namespace qvr
