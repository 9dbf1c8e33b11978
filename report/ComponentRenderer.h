#pragma once

#include "report/RenderContext.h"
#include "sysex/Midisysex.h"

namespace qvr {

// Reads one component record (a module of the preset's chain) from the
// message, appends its heading, type line and parameter lines, and records
// the module's position for links and its amp or cabinet name slot.
void RenderComponent(TMidiSysEx& message, TRenderContext& context);

} // namespace qvr
