#include "app/report/Zoom.h"

#include <algorithm>
#include <array>

namespace qvr {

namespace {

constexpr std::array<int32_t, 16> Steps = {25,  33,  50,  67,  75,  80,  90,  100,
                                           110, 125, 150, 175, 200, 250, 300, 500};

} // namespace

int32_t NextZoom(int32_t percent, int direction) {
    if (direction > 0) {
        const auto above = std::upper_bound(Steps.begin(), Steps.end(), percent);
        return above == Steps.end() ? Steps.back() : *above;
    }
    const auto atOrAbove = std::lower_bound(Steps.begin(), Steps.end(), percent);
    return atOrAbove == Steps.begin() ? Steps.front() : *(atOrAbove - 1);
}

int32_t ValidZoom(int32_t percent) {
    return std::binary_search(Steps.begin(), Steps.end(), percent) ? percent : NormalZoom;
}

} // namespace qvr
