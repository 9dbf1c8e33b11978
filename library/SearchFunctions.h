#pragma once

#include "library/Sqlite.h"

namespace qvr {

// Makes the table-valued function parameter_entries(first_preset, entries) known
// to `db`: the entries of one parameter block as rows (preset, module, raw,
// number, text), so that a statement can compare parameter values while the
// blocks stay packed. `number` is the value as shown (ShownNumber), so that a
// condition compares what the report shows; `text` is the text shown. A damaged
// block ends its rows early. Also registers module_matches(type, heading, text):
// whether a module type or heading holds `text`, in any ASCII case. Calling it
// again on the same database is harmless.
void RegisterSearchFunctions(TSqlite& db);

// The rule of module_matches, for the code that shows what matched.
bool ModuleMatches(std::string_view type, std::string_view heading, std::string_view text);

} // namespace qvr
