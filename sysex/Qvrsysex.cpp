#include "sysex/Qvrsysex.h"

namespace qvr {

TKorvaneQVRSysEx::TKorvaneQVRSysEx() : TKorvaneSysEx(true) {}

} // namespace qvr
