#pragma once

#include "base/OwnedStringList.h"
#include "config/Params.h"
#include "config/ValuePair.h"

#include <cstdint>
#include <istream>
#include <string>

namespace qvr {

// An entry of the section "modifiers": a link source such as an expression
// pedal, an LFO or a control switch.
struct TQvrModifier {
    int32_t Id = 0;
    std::string Name;
    // Every line of the entry that is not one of its keywords, kept as read.
    TOwnedStringList<TQvrValuePair> Properties;
    TQvrParamList Params;
};

using TQvrModifierList = TOwnedStringList<TQvrModifier>;

// Reads the modifier entries that follow and appends them; returns how many.
int32_t ReadModifiers(TQvrModifierList& list, std::istream& in);

// Reads one entry, starting at its "mn" line. False, with the read position
// unchanged, when the end of the file comes first.
bool ReadModifier(TQvrModifier& modifier, std::istream& in);

} // namespace qvr
