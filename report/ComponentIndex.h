#pragma once

#include "config/Qvrconfig.h"

#include <array>
#include <cstdint>

namespace qvr {

// The configuration's components by id, each looked up in its lists once per
// file: a record names its component by a byte, and the lists are searched
// front to back.
class TComponentIndex {
public:
    const TQvrComponent* Find(const TQvrConfig& config, int32_t id) {
        if (id < 0 || static_cast<size_t>(id) >= Places.size()) {
            return config.FindComponentById(id);
        }
        TPlace& place = Places[static_cast<size_t>(id)];
        if (!place.Known) {
            place.Component = config.FindComponentById(id);
            place.Known = true;
        }
        return place.Component;
    }

private:
    struct TPlace {
        const TQvrComponent* Component = nullptr;
        bool Known = false;
    };
    std::array<TPlace, 256> Places{};
};

} // namespace qvr
