#include "library/Library.h"

#include "library/Schema.h"

#include <cerrno>
#include <cstring>

namespace qvr {

TLibrary::TLibrary(const std::string& databasePath, TConfigSearch search)
    : Db(OpenLibrary(databasePath)), Source(std::move(search)), Indexer(Db) {}

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
    TStep step{path, rule, known, false, {}, {}, {}};
    step.ConfigChanged =
        known && !known->Configs.empty() && known->Configs != ConfigsNow(known->Configs);
    return step;
}

std::optional<TInputFile> TLibrary::Open(TStep& step, const std::function<void()>& check) {
    const std::optional<TKnown>& known = step.Known;
    if (known && !step.ConfigChanged) {
        if (const std::optional<TFileStamp> stamp = StampOf(step.Path, step.Rule);
            stamp && *stamp == known->Stamp) {
            step.Result.Change = TFileChange::Unchanged; // not even opened
            return std::nullopt;
        }
    }
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
    TPresetPipeline presets(
        Source, steps.size(),
        [&steps](size_t index, const std::function<void()>& check) {
            return Open(steps[index], check);
        },
        progress.Stopped);
    size_t read = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        // The step is the reading thread's until its file was opened.
        const bool reading = presets.NextFile();
        TStep& step = steps[i];
        try {
            if (reading) {
                step.Result.Messages = Indexer.Store(step.Path, step.Stamp, step.Hash, presets);
                ++read;
            } else if (step.Result.Change == TFileChange::Restamped) {
                Indexer.Restamp(step.Known->Id, step.Stamp);
            } else if (step.Result.Change == TFileChange::Dropped) {
                Indexer.Drop(step.Known->Id);
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

size_t TLibrary::Add(const std::vector<std::string>& paths, bool all, const TProgress& progress) {
    const std::vector<TFoundFile> files = FindPresetFiles(
        paths, all,
        [&](const std::string& text) {
            if (progress.Problem) {
                progress.Problem(text);
            }
        },
        progress.Stopped);
    const auto checkStop = [&progress] {
        if (progress.Stopped && progress.Stopped()) {
            throw TLibraryStopped{};
        }
    };
    checkStop(); // the search of a large tree may have been cut short
    std::vector<TStep> steps;
    for (const TFoundFile& file : files) {
        checkStop();
        steps.push_back(Plan(file.Path, file.Rule, Known(file.Path)));
    }
    return Run(steps, progress);
}

size_t TLibrary::Update(const TProgress& progress) {
    std::vector<TStep> steps;
    {
        TStatement all(Db, "SELECT path, id, size, mtime, hash, configs FROM files ORDER BY path");
        while (all.Step()) {
            const std::string path(all.Text(0));
            // A path as it was added: a link the user named is followed again.
            steps.push_back(Plan(path, TInputRule::File,
                                 TKnown{all.Int(1), TFileStamp{all.Int(2), all.Int(3)},
                                        std::string(all.Text(4)), std::string(all.Text(5))}));
        }
    }
    return Run(steps, progress);
}

size_t TLibrary::Remove(const std::vector<std::string>& paths) {
    // A folder's files sort between "FOLDER/" and "FOLDER0", '0' coming right after '/'.
    TStatement under(Db, "SELECT id FROM files WHERE path = ?1 OR (path >= ?2 AND path < ?3)");
    size_t removed = 0;
    for (const std::string& given : paths) {
        const std::string path = LibraryPathOf(given);
        const std::string folder = path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
        std::vector<int64_t> ids;
        under.Bind(1, path).Bind(2, folder + "/").Bind(3, folder + "0");
        while (under.Step()) {
            ids.push_back(under.Int(0));
        }
        under.Reset();
        for (const int64_t id : ids) {
            Indexer.Drop(id);
        }
        removed += ids.size();
    }
    return removed;
}

std::vector<TLibraryFile> TLibrary::Files() {
    std::vector<TLibraryFile> files;
    TStatement all(Db, "SELECT path, model, presets, size, mtime, errors FROM files "
                       "ORDER BY path");
    while (all.Step()) {
        files.push_back(TLibraryFile{std::string(all.Text(0)), std::string(all.Text(1)), all.Int(2),
                                     all.Int(3), all.Int(4), std::string(all.Text(5))});
    }
    return files;
}

} // namespace qvr
