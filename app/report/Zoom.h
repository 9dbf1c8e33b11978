#pragma once

#include <cstdint>

namespace qvr {

// The report's zoom in percent goes in the usual steps of a browser, 25 to 500.
inline constexpr int32_t NormalZoom = 100;

// The next step up (direction > 0) or down (direction < 0) from `percent`, staying at the ends;
// a value between steps goes to the neighbouring step.
int32_t NextZoom(int32_t percent, int direction);
// A stored value: one of the steps, else the normal size.
int32_t ValidZoom(int32_t percent);

} // namespace qvr
