#pragma once

#include "config/Params.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace qvr {

// Texts of fractional parameter values already written, by parameter and raw
// value. A file repeats the same few values of the same parameters over and
// over, and writing a real with a fraction as text costs far more than
// finding it again (a whole number is quicker to write than to look up). A fixed number of places,
// each holding the latest text that fell on it: the memory stays the same whatever the file, and a
// text that does not fit is simply written again the next time. Parameters are told apart by
// address, so a cache serves one configuration (and one decimal separator).
class TValueTextCache {
public:
    // The text stored for the parameter and value; empty when there is none
    // (a numeric text is never empty).
    std::string_view Find(const TQvrParam& param, int32_t value) const {
        if (!Places) {
            return {};
        }
        const TPlace& place = Places[PlaceOf(param, value)];
        if (place.Param != &param || place.Value != value) {
            return {};
        }
        return {place.Text.data(), place.Length};
    }

    void Store(const TQvrParam& param, int32_t value, std::string_view text) {
        if (text.size() > MaxLength) {
            return;
        }
        if (!Places) {
            Places = std::make_unique<TPlace[]>(PlaceCount);
        }
        TPlace& place = Places[PlaceOf(param, value)];
        place.Param = &param;
        place.Value = value;
        place.Length = static_cast<uint8_t>(text.size());
        std::copy(text.begin(), text.end(), place.Text.begin());
    }

private:
    static constexpr size_t PlaceCount = 8192; // 256 KB
    static constexpr size_t MaxLength = 19;

    struct TPlace {
        const TQvrParam* Param = nullptr;
        int32_t Value = 0;
        uint8_t Length = 0;
        std::array<char, MaxLength> Text{};
    };

    static size_t PlaceOf(const TQvrParam& param, int32_t value) {
        // Parameters lie at least a few dozen bytes apart; consecutive values
        // of one parameter take consecutive places.
        const auto address = reinterpret_cast<uintptr_t>(&param);
        const uintptr_t mixed = (address >> 4) * 0x9E3779B1u + static_cast<uint32_t>(value);
        return static_cast<size_t>(mixed) & (PlaceCount - 1);
    }

    std::unique_ptr<TPlace[]> Places;
};

} // namespace qvr
