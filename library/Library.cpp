#include "library/Library.h"

#include "library/Schema.h"

namespace qvr {

TLibrary::TLibrary(const std::string& databasePath, TConfigSearch search)
    : Db(OpenLibrary(databasePath)), Source(std::move(search)), Indexer(Db, Source) {}

std::optional<TLibrary::TKnown> TLibrary::Known(const std::string& path) {
    TStatement find(Db, "SELECT id, size, mtime, hash FROM files WHERE path = ?");
    find.Bind(1, path);
    if (!find.Step()) {
        return std::nullopt;
    }
    return TKnown{find.Int(0), TFileStamp{find.Int(1), find.Int(2)}, std::string(find.Text(3))};
}

TLibrary::TFileResult TLibrary::Refresh(const std::string& path,
                                        const std::optional<TKnown>& known) {
    const std::optional<TFileStamp> stamp = StampOf(path);
    if (!stamp) {
        if (known) {
            Indexer.Drop(known->Id);
            return {TFileChange::Dropped, {}};
        }
        return {TFileChange::Failed, {"error: the file cannot be read"}};
    }
    if (known && known->Stamp == *stamp) {
        return {TFileChange::Unchanged, {}};
    }
    const std::optional<std::string> hash = HashOfFile(path);
    if (!hash) {
        if (known) {
            Indexer.Drop(known->Id);
            return {TFileChange::Dropped, {}};
        }
        return {TFileChange::Failed, {"error: the file cannot be read"}};
    }
    if (known && known->Hash == *hash) {
        Indexer.Restamp(known->Id, *stamp);
        return {TFileChange::Restamped, {}};
    }
    std::vector<std::string> messages = Indexer.Store(path, *stamp, *hash);
    return {known ? TFileChange::Updated : TFileChange::Added, std::move(messages)};
}

namespace {

bool WasRead(TFileChange change) {
    return change == TFileChange::Added || change == TFileChange::Updated;
}

} // namespace

size_t TLibrary::Add(const std::vector<std::string>& paths, bool all, const TProgress& progress) {
    const std::vector<std::string> files =
        FindPresetFiles(paths, all, [&](const std::string& text) {
            if (progress.Problem) {
                progress.Problem(text);
            }
        });
    size_t read = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const TFileResult result = Refresh(files[i], Known(files[i]));
        read += WasRead(result.Change) ? 1 : 0;
        if (progress.File) {
            progress.File(i + 1, files.size(), files[i], result);
        }
    }
    return read;
}

size_t TLibrary::Update(const TProgress& progress) {
    std::vector<std::pair<std::string, TKnown>> files;
    {
        TStatement all(Db, "SELECT path, id, size, mtime, hash FROM files ORDER BY path");
        while (all.Step()) {
            files.emplace_back(
                std::string(all.Text(0)),
                TKnown{all.Int(1), TFileStamp{all.Int(2), all.Int(3)}, std::string(all.Text(4))});
        }
    }
    size_t read = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const TFileResult result = Refresh(files[i].first, files[i].second);
        read += WasRead(result.Change) ? 1 : 0;
        if (progress.File) {
            progress.File(i + 1, files.size(), files[i].first, result);
        }
    }
    return read;
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
