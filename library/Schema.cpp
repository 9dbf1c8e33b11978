#include "library/Schema.h"

#include "library/SearchIndex.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace qvr {

namespace {

// Migrations[i] takes the tables from version i to version i + 1; version 0
// is a new, empty database. A migration once released never changes: a new
// version is a new entry.
constexpr std::array<const char*, LibrarySchemaVersion> Migrations{
    // 1: files, their presets, modules and parameters, and the words to find them by.
    R"sql(
    CREATE TABLE files(
        id INTEGER PRIMARY KEY,
        path TEXT NOT NULL UNIQUE,  -- absolute, as the file system spells it
        size INTEGER NOT NULL,
        mtime INTEGER NOT NULL,     -- nanoseconds since 1970
        hash BLOB NOT NULL,         -- XXH3 128 of the contents
        model TEXT,                 -- none when the file names no model
        errors TEXT NOT NULL,       -- messages shown while reading, one a line
        presets INTEGER NOT NULL
    );
    CREATE TABLE presets(
        id INTEGER PRIMARY KEY,
        file INTEGER NOT NULL,
        position INTEGER NOT NULL,  -- 1 for the file's first preset
        number INTEGER,             -- none for a preset without one
        name TEXT NOT NULL
    );
    CREATE INDEX presets_of_file ON presets(file, position);
    -- What modules are, each once: a backup's thousands of modules are of a
    -- few dozen of these.
    CREATE TABLE module_types(
        id INTEGER PRIMARY KEY,
        kind TEXT NOT NULL,         -- input, component, modifier, output, ...
        type_id INTEGER,            -- the configuration's type id
        type TEXT NOT NULL,         -- and its name
        heading TEXT,               -- as the report shows it; none for Input and Output
        UNIQUE(kind, type_id, type, heading)
    );
    CREATE TABLE modules(
        preset INTEGER NOT NULL,
        position INTEGER NOT NULL,  -- in the chain, from 0
        type INTEGER NOT NULL,      -- module_types.id
        user_model TEXT,
        PRIMARY KEY(preset, position)
    ) WITHOUT ROWID;
    CREATE TABLE parameter_names(
        id INTEGER PRIMARY KEY,
        name TEXT NOT NULL UNIQUE
    );
    -- The parameters of one name in one file, as blocks of entries (see
    -- ParameterBlock.h): a search by name reads one row per file, and a file's
    -- thousands of parameters are written as a few dozen rows.
    CREATE TABLE parameters(
        id INTEGER PRIMARY KEY,     -- rows of blobs are kept best in a rowid table
        name INTEGER NOT NULL,
        file INTEGER NOT NULL,
        chunk INTEGER NOT NULL,
        first_preset INTEGER NOT NULL,
        entries BLOB NOT NULL
    );
    CREATE UNIQUE INDEX parameters_by_name ON parameters(name, file, chunk);
    CREATE INDEX parameters_of_file ON parameters(file);
    -- One row per preset (rowid = presets.id): its name, its modules' types
    -- and headings, its user-model names.
    CREATE VIRTUAL TABLE preset_words USING fts5(
        name, modules, user_models, tokenize = 'unicode61 remove_diacritics 2');
    )sql",
    // 2: the configurations each file was read with, so that a file read without
    // its configuration is read again once it is there.
    R"sql(
    ALTER TABLE files ADD COLUMN configs TEXT NOT NULL DEFAULT '';
    -- Unknown for the files read before; those with messages may have missed one.
    UPDATE files SET configs = '?' WHERE errors != '';
    )sql",
    // 3: a preset's modules as its chain, kept once for every preset with the
    // same modules in the same order, and its user-model names in its own row:
    // a backup's thousands of module rows and their words become a few dozen
    // chains. The files' presets are read again by the next update.
    R"sql(
    DROP TABLE modules;
    DROP TABLE preset_words;
    DELETE FROM parameters;
    DELETE FROM presets;
    UPDATE files SET mtime = -1, hash = x'', presets = 0;
    CREATE TABLE chains(
        id INTEGER PRIMARY KEY,
        types TEXT NOT NULL UNIQUE  -- module_types ids in chain order, as a JSON array
    );
    -- One row per chain (rowid = chains.id): its modules' types and headings.
    CREATE VIRTUAL TABLE chain_words USING fts5(
        modules, tokenize = 'unicode61 remove_diacritics 2');
    ALTER TABLE presets ADD COLUMN chain INTEGER NOT NULL DEFAULT 0;
    -- {"POSITION": "NAME", ...} as JSON; none for a preset without them.
    ALTER TABLE presets ADD COLUMN user_models TEXT;
    CREATE INDEX presets_of_chain ON presets(chain);
    -- One row per preset (rowid = presets.id): its name and user-model names.
    CREATE VIRTUAL TABLE preset_words USING fts5(
        name, user_models, tokenize = 'unicode61 remove_diacritics 2');
    -- Every module of every preset, as a table.
    CREATE VIEW modules AS
        SELECT p.id AS preset, CAST(m.key AS INTEGER) AS position, m.value AS type,
               json_extract(p.user_models, '$."' || m.key || '"') AS user_model
        FROM presets p JOIN chains c ON c.id = p.chain, json_each(c.types) m;
    )sql",
    // 4: the folders the library follows, and files kept by their real path. A
    // file's messages go to a table of their own, so that the rows an update
    // reads (path, stamp, hash, configurations) are small and many to a page.
    // What removals before left unused goes.
    R"sql(
    CREATE TABLE folders(
        path TEXT PRIMARY KEY,      -- absolute, links resolved
        every_file INTEGER NOT NULL -- 1: every file in it, not only preset files
    ) WITHOUT ROWID;
    CREATE TABLE new_files(
        id INTEGER PRIMARY KEY,
        path TEXT NOT NULL UNIQUE,  -- absolute, links resolved (added before: as named)
        size INTEGER NOT NULL,
        mtime INTEGER NOT NULL,     -- nanoseconds since 1970
        hash BLOB NOT NULL,         -- XXH3 128 of the contents
        configs TEXT NOT NULL,      -- the configurations it was read with
        presets INTEGER NOT NULL,
        model TEXT                  -- none when the file names no model
    );
    INSERT INTO new_files(id, path, size, mtime, hash, configs, presets, model)
        SELECT id, path, size, mtime, hash, configs, presets, model FROM files;
    -- Messages shown while reading a file, one a line; none for a file without.
    CREATE TABLE file_messages(
        file INTEGER PRIMARY KEY,
        text TEXT NOT NULL
    );
    INSERT INTO file_messages(file, text) SELECT id, errors FROM files WHERE errors != '';
    DROP TABLE files;
    ALTER TABLE new_files RENAME TO files;
    DELETE FROM chains WHERE id NOT IN (SELECT chain FROM presets);
    DELETE FROM chain_words WHERE rowid NOT IN (SELECT id FROM chains);
    DELETE FROM module_types
        WHERE id NOT IN (SELECT m.value FROM chains c, json_each(c.types) m);
    DELETE FROM parameter_names WHERE id NOT IN (SELECT name FROM parameters);
    )sql",
    // 5: the indexes of the search.
    SearchIndexMigration,
    // 6: each preset's fingerprint (see Fingerprint.h), by which its copies and
    // versions are found. The files' presets are read again by the next update, which gives
    // them theirs.
    R"sql(
    ALTER TABLE presets ADD COLUMN fingerprint INTEGER;
    CREATE INDEX presets_by_fingerprint ON presets(fingerprint);
    -- The versions of a preset by its name and number.
    CREATE INDEX presets_by_label ON presets(name, number);
    UPDATE files SET mtime = -1, hash = x'';
    )sql",
};

int UserVersion(TSqlite& db) {
    TStatement version(db, "PRAGMA user_version");
    version.Step();
    return static_cast<int>(version.Int(0));
}

} // namespace

TSqlite OpenLibrary(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored; // opening says why when the folder is not there
        std::filesystem::create_directories(folder.parent_path(), ignored);
        // The library's own folder is this user's alone, whatever the umask.
        ::mkdir(folder.c_str(), 0700);
    }
    TSqlite db(path);
    // Large pages for a new database (an existing one keeps its own): a backup's
    // thousands of rows are written with a quarter of the write calls of 4 kB pages.
    db.Exec("PRAGMA page_size = 16384");
    db.Exec("PRAGMA journal_mode = WAL");
    // A commit survives a crash of the program; a power cut may lose the last
    // ones, never the database.
    db.Exec("PRAGMA synchronous = NORMAL");
    // 16 MB of pages: an add writes mostly at the end of its tables, and as fast as with
    // more, while a run's memory stays small whatever the library holds.
    db.Exec("PRAGMA cache_size = -16384");
    // Copies the log into the database every 64 MB rather than every 16 MB: each
    // copy waits for the disk.
    db.Exec("PRAGMA wal_autocheckpoint = 4096");
    if (UserVersion(db) != LibrarySchemaVersion) {
        // Looked at again inside the transaction: another program may have
        // migrated meanwhile, perhaps to a newer version than this one knows.
        TTransaction migration(db);
        const int now = UserVersion(db);
        if (now > LibrarySchemaVersion) {
            throw ELibraryDatabase(path + " is a library of a newer version (" +
                                   std::to_string(now) + ") than this program knows (" +
                                   std::to_string(LibrarySchemaVersion) + ")");
        }
        for (int step = now; step < LibrarySchemaVersion; ++step) {
            db.Exec(Migrations[static_cast<size_t>(step)]);
        }
        db.Exec(("PRAGMA user_version = " + std::to_string(LibrarySchemaVersion)).c_str());
        migration.Commit();
    }
    return db;
}

std::string DefaultLibraryPath() {
    std::filesystem::path base;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && std::filesystem::path(data).is_absolute()) {
        base = data;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        return {};
    }
    return (base / "oktrel" / "library.sqlite").string();
}

} // namespace qvr
