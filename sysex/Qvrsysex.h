#pragma once

#include "sysex/Korvanesysex.h"

namespace qvr {

// The message class of the QVR family: the maker's envelope with a 7-bit packed body.
class TKorvaneQVRSysEx : public TKorvaneSysEx {
public:
    TKorvaneQVRSysEx();
};

} // namespace qvr
