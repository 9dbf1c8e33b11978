#pragma once

#include "report/RenderContext.h"
#include "sysex/Midisysex.h"

namespace qvr {

// The warning shown for each link whose module has no usable type.
extern const char* const LinkOutOfRangeWarning;

// Reads one modifier record (expression pedal, LFO, control switch) from the
// message and appends its heading, its parameter lines and, per link, the
// linked module and parameter with the link's range. Links name the modules
// that the component renderer recorded for the same preset.
void RenderModifier(TMidiSysEx& message, TRenderContext& context);

} // namespace qvr
