#pragma once

#include "config/Qvrconfig.h"
#include "report/RenderContext.h"
#include "sysex/Midisysex.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qvr {

// The value layer shared by the renderers. Everything reads the message body
// front to back through NextByte; past its end every byte reads as -1, which
// is used like any other byte (a count of -1 means no entries).

// Reads and drops up to `count` bytes (nothing for a count of 0 or less).
void SkipBytes(TMidiSysEx& message, int32_t count);

// Two bytes, high first, as the body gives them (missing bytes count -1).
int32_t ReadWord16(TMidiSysEx& message);

// One variable-length value: a byte below 0x80 is the value; 0x80 announces a
// 16-bit length, 0x81..0xFF a length of its low seven bits; then that many
// bytes, high first, wrapping in 32 bits.
int32_t ReadVarValue(TMidiSysEx& message);

// Reads past a count byte and that many variable-length values.
void SkipRawParameters(TMidiSysEx& message);

// Display text of a raw value for a parameter; numbers use `decimalSeparator`.
std::string FormatParamValue(const TQvrParam& param, int32_t value, char decimalSeparator);
// The same text, found in the parameter or written into `scratch`, without a string of its own.
std::string_view ParamValueText(const TQvrParam& param, int32_t value, char decimalSeparator,
                                std::string& scratch);
// The value of a parameter for a report: its text kept with the preset being
// built (numbers with a fraction are written once and then found in the
// context's cache), and its number when it is one.
TValue ParamValue(const TQvrParam& param, int32_t value, TRenderContext& context);

// The name a parameter's line shows: "Status" for the on/off switch of a
// module, its own name otherwise.
std::string_view ParamName(const TQvrParam& param);

// "Name = value", or "Status = On/Off" for the on/off switch of a module.
std::string ParamLine(const TQvrParam& param, int32_t value, char decimalSeparator);

// The parameter's value, added to the module being built.
void EmitParam(const TQvrParam& param, int32_t value, TRenderContext& context);

} // namespace qvr
