#pragma once

#include <cstdint>

namespace qvr {

// The columns of the HTML report's table.
inline constexpr int32_t DefaultColumnCount = 4;
inline constexpr int32_t MaxColumnCount = 4;

constexpr bool IsColumnCountInRange(int32_t count) {
    return count >= 1 && count <= MaxColumnCount;
}

} // namespace qvr
