#include "library/Library.h"

#include "library/Schema.h"

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

TLibrary::TStep TLibrary::Plan(const std::string& path, const std::optional<TKnown>& known) {
    TStep step{path, known, {}, {}, {}};
    const std::optional<TFileStamp> stamp = StampOf(path);
    std::optional<std::string> hash;
    const bool configChanged =
        known && !known->Configs.empty() && known->Configs != ConfigsNow(known->Configs);
    if (stamp && known && known->Stamp == *stamp && !configChanged) {
        step.Result.Change = TFileChange::Unchanged; // not even opened
    } else if (stamp && (hash = HashOfFile(path))) {
        step.Stamp = *stamp;
        step.Hash = *hash;
        step.Result.Change = !known                                   ? TFileChange::Added
                             : known->Hash == *hash && !configChanged ? TFileChange::Restamped
                                                                      : TFileChange::Updated;
    } else if (known) {
        step.Result.Change = TFileChange::Dropped;
    } else {
        step.Result = {TFileChange::Failed, {"error: the file cannot be read"}};
    }
    return step;
}

namespace {

bool WasRead(TFileChange change) {
    return change == TFileChange::Added || change == TFileChange::Updated;
}

} // namespace

size_t TLibrary::Run(std::vector<TStep>& steps, const TProgress& progress) {
    ConfigsSeen.clear(); // the next run looks again
    std::vector<std::string> toRead;
    for (const TStep& step : steps) {
        if (WasRead(step.Result.Change)) {
            toRead.push_back(step.Path);
        }
    }
    TPresetPipeline presets(Source, toRead);
    for (size_t i = 0; i < steps.size(); ++i) {
        TStep& step = steps[i];
        switch (step.Result.Change) {
        case TFileChange::Added:
        case TFileChange::Updated:
            step.Result.Messages = Indexer.Store(step.Path, step.Stamp, step.Hash, presets);
            break;
        case TFileChange::Restamped:
            Indexer.Restamp(step.Known->Id, step.Stamp);
            break;
        case TFileChange::Dropped:
            Indexer.Drop(step.Known->Id);
            break;
        default:
            break;
        }
        if (progress.File) {
            progress.File(i + 1, steps.size(), step.Path, step.Result);
        }
    }
    return toRead.size();
}

const std::string& TLibrary::ConfigsNow(const std::string& recorded) {
    auto now = ConfigsSeen.find(recorded);
    if (now == ConfigsSeen.end()) {
        now = ConfigsSeen.emplace(recorded, Source.ConfigStampsNow(recorded)).first;
    }
    return now->second;
}

size_t TLibrary::Add(const std::vector<std::string>& paths, bool all, const TProgress& progress) {
    const std::vector<std::string> files =
        FindPresetFiles(paths, all, [&](const std::string& text) {
            if (progress.Problem) {
                progress.Problem(text);
            }
        });
    std::vector<TStep> steps;
    for (const std::string& file : files) {
        steps.push_back(Plan(file, Known(file)));
    }
    return Run(steps, progress);
}

size_t TLibrary::Update(const TProgress& progress) {
    std::vector<TStep> steps;
    {
        TStatement all(Db, "SELECT path, id, size, mtime, hash, configs FROM files ORDER BY path");
        while (all.Step()) {
            const std::string path(all.Text(0));
            steps.push_back(Plan(path, TKnown{all.Int(1), TFileStamp{all.Int(2), all.Int(3)},
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
