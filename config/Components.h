#pragma once

#include "base/OwnedStringList.h"
#include "config/Types.h"
#include "config/ValuePair.h"

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace qvr {

// An entry of the sections "fx" and "qvr": a module of the signal chain.
struct TQvrComponent {
    int32_t Id = 0;
    std::string Name;
    // Every line of the entry that is not one of its keywords, kept as read.
    TOwnedStringList<TQvrValuePair> Properties;
    std::string TypeLabel;
    std::vector<TQvrTypeName> TypeNames;
    TQvrTypeList Types;
};

using TQvrComponentList = TOwnedStringList<TQvrComponent>;

// Reads the component entries that follow and appends them; returns how many.
int32_t ReadComponents(TQvrComponentList& list, std::istream& in);

// Reads one entry, starting at its "cn" line. False, with the read position
// unchanged, when a section header or the end of the file comes first.
bool ReadComponent(TQvrComponent& component, std::istream& in);

} // namespace qvr
