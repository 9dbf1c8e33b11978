#include "report/PresetRange.h"

#include <algorithm>

namespace qvr {

std::vector<TPresetRange> SplitIntoParts(int32_t presets, size_t reportBytes, size_t partBytes) {
    if (presets <= 1 || partBytes == 0 || reportBytes <= partBytes) {
        return {{0, std::max(presets, 0)}};
    }
    const size_t wanted = (reportBytes + partBytes - 1) / partBytes;
    const auto count = static_cast<int32_t>(std::min<size_t>(wanted, static_cast<size_t>(presets)));
    std::vector<TPresetRange> parts;
    parts.reserve(static_cast<size_t>(count));
    // The first `presets % count` parts hold one preset more.
    const int32_t each = presets / count;
    const int32_t larger = presets % count;
    int32_t first = 0;
    for (int32_t part = 0; part < count; ++part) {
        const int32_t end = first + each + (part < larger ? 1 : 0);
        parts.push_back({first, end});
        first = end;
    }
    return parts;
}

int PartOf(const std::vector<TPresetRange>& parts, int32_t position) {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].Holds(position)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TPresetRangeSink::Preset(const TPreset& preset, bool headingFollows) {
    if (!preset.HasHeading) {
        // The modules before the first heading are shown above it.
        if (Range.First == 0) {
            Next.Preset(preset, headingFollows);
        }
        return;
    }
    if (Range.Holds(Headings)) {
        Next.Preset(preset, headingFollows);
    }
    ++Headings;
}

} // namespace qvr
