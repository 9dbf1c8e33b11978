#pragma once

namespace qvr {

// The indexes the search reads by, as a migration of the library's tables:
// files newest first, so that a search lists its first presets without sorting
// all it found (unique, as the path is: so the presets of a file follow in their own
// index's order without a sort), and parameter names in any case, so that a condition finds its
// names without reading them all.
inline constexpr const char* SearchIndexMigration = R"sql(
    CREATE UNIQUE INDEX files_by_time ON files(mtime DESC, path);
    CREATE INDEX parameter_names_any_case ON parameter_names(name COLLATE NOCASE);
    )sql";

} // namespace qvr
