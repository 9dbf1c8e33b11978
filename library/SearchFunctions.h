#pragma once

#include "library/ParameterBlock.h"
#include "library/Query.h"
#include "library/Sqlite.h"

#include <optional>
#include <string_view>

namespace qvr {

// Makes two functions of the search known to `db`:
// - the table-valued function parameter_presets(first_preset, entries, compare, number,
//   text): the presets (column `preset`, each once, in order) of one parameter block
//   that have an entry meeting the condition (`compare` a TCompare, `number` its
//   value or null, `text` as written; see Holds), so that a statement finds the
//   presets of a condition while the blocks stay packed. A damaged block ends its
//   rows early.
// - module_matches(type, heading, text): ModuleMatches.
// Calling it again on the same connection does nothing.
void RegisterSearchFunctions(TSqlite& db);

// Whether a parameter entry meets a condition: = and != compare the number shown
// (ShownNumber) when the condition and the entry have numbers, else the texts in any
// ASCII case; < <= > >= hold only between numbers.
bool Holds(TCompare compare, const std::optional<double>& number, std::string_view text,
           const TParameterEntry& entry);

// Whether a module type or heading holds `text`, in any ASCII case.
bool ModuleMatches(std::string_view type, std::string_view heading, std::string_view text);

} // namespace qvr
