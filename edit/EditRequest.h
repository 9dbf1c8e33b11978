#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// One value to set, as a user writes it: "MODULE: NAME=VALUE" ("Compressor: Ratio=4:1",
// "LFO 1: Link 1 Max=80"). The module ends at the first colon, the name at the first equals
// sign after it; blanks around the module and the name and before and after the value are
// dropped, so that "Delay: Mix = 40" reads as well.
struct TEditRequest {
    std::string Module;
    std::string Name;
    std::string Value;
};

// The request `text` gives; none, with the reason in `problem`, for one that lacks a part.
std::optional<TEditRequest> ParseEditRequest(std::string_view text, std::string& problem);

} // namespace qvr
