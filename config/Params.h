#pragma once

#include "base/OwnedStringList.h"

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace qvr {

// One raw value of a preset record: its name and how its number is shown.
struct TQvrParam {
    std::string Name;
    int32_t Max = 0;
    bool Lnk = false, Grp = false, Arr = false, Bl = false;
    std::string St;
    // Raw values at or above ScaleSwitch use the upper scale.
    double ScaleSwitch = 1000000000.0, ScaleMul = 1.0, ScaleAdd = 0.0, ScaleMulHigh = 1.0,
           ScaleAddHigh = 0.0;
    std::string MaxText;
    std::vector<std::string> Items;
};

// Parameters in record order: a parameter is picked by its position, never by name.
using TQvrParamList = TOwnedStringList<TQvrParam>;

// Reads a run of "pn" definitions and appends them; returns how many.
int32_t ReadParams(TQvrParamList& list, std::istream& in);

// Reads the field lines of one parameter.
void ReadParamFields(TQvrParam& param, std::istream& in);

} // namespace qvr
