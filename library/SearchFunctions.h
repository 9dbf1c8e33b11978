#pragma once

#include "library/ParameterBlock.h"
#include "library/Query.h"
#include "library/Sqlite.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qvr {

// Makes two functions of the search known to `db`:
// - the table-valued function parameter_presets(first_preset, entries, compare, number,
//   text): the presets (column `preset`, each once, in order) of one parameter block
//   that have an entry meeting the condition (`compare` a TCompare, `number` its
//   value or null, `text` as written; see Holds), so that a statement finds the
//   presets of a condition while the blocks stay packed. A damaged block ends its
//   rows early.
// - module_matches(type, heading, text): ModuleMatches.
// - preset_meets(conditions, term, file, preset): whether the preset of that file meets
//   condition number `term` (from 0) of `conditions`, an IPresetConditions bound with
//   BindPointer(..., PresetConditionsType).
// Calling it again on the same connection does nothing.
void RegisterSearchFunctions(TSqlite& db);

// The search's conditions on parameters, as preset_meets asks them.
class IPresetConditions {
public:
    virtual ~IPresetConditions() = default;
    virtual bool Meets(size_t term, int64_t file, int64_t preset) = 0;
};
inline constexpr const char* PresetConditionsType = "qvr-preset-conditions";

// Whether a parameter entry meets a condition: = and != compare the number shown
// (ShownNumber) when the condition and the entry have numbers, else the texts in any
// ASCII case; < <= > >= hold only between numbers.
bool Holds(TCompare compare, const std::optional<double>& number, std::string_view text,
           const TParameterEntry& entry);

// A value bound to a statement of the search.
using TSqlValue = std::variant<std::string, double, int64_t>;

// Binds values to the placeholders ?1, ?2, ... in order.
void BindValues(TStatement& statement, const std::vector<TSqlValue>& values);

// The parameters a condition names, as SQL over parameter_names n: the name given,
// with or without the unit in parentheses that ends it ("Rate" is "Rate (Hz)"), in
// any case. `value` binds a value and gives its placeholder.
std::string ParameterNamesSql(const std::string& name,
                              const std::function<std::string(std::string)>& value);

// Whether a module type or heading holds `text`, in any ASCII case.
bool ModuleMatches(std::string_view type, std::string_view heading, std::string_view text);

} // namespace qvr
