#pragma once

#include "config/Params.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// The value layer run backwards: from a value as the report shows it to the raw number a preset
// holds. The texts compared are those of ParamValueText with "." as the decimal separator, so
// that what a report shows is what an edit takes.

// What a shown value reads back as: the raw number, or why there is none.
struct TRawValue {
    std::optional<int32_t> Raw;
    // When there is no raw number: the problem in a sentence, naming the values shown nearest
    // to the one given (a number's neighbours, or the parameter's items).
    std::string Problem;
};

// The raw number `param` shows as `text`: an item's index, the maximum for the maximum text,
// "On" and "Off" for a module's switch, or for a number the raw value whose text under either
// scale equals `text` (a "," is taken for the decimal separator too). When several raw numbers
// show the text, `current` is kept if it is one of them, else the lowest within the parameter's
// range, else the lowest. No raw number for a text that none shows.
TRawValue RawForShownText(const TQvrParam& param, std::string_view text,
                          std::optional<int32_t> current = std::nullopt);

// The raw numbers the configuration gives `param`: its items' indexes when it has items, else
// 0 to its maximum. A module's switch takes 0 and 1.
bool InConfigRange(const TQvrParam& param, int32_t raw);

// The configuration's range as shown: "Off to On", "1.5:1 to 20:1", "-12 to 12".
std::string ConfigRangeText(const TQvrParam& param);

// The shown texts of the raw numbers in the configuration's range, lowest first; none for a
// range of more than `limit` numbers (a list a form could not offer).
std::vector<std::string> ShownRange(const TQvrParam& param, size_t limit);

} // namespace qvr
