#pragma once

#include "report/RenderContext.h"
#include "sysex/Midisysex.h"

#include <cstdint>
#include <string>

namespace qvr {

// Turns the bodies of one file's messages into report events, by message id:
// preset headers, components, modifiers and user-model names; the messages
// the report does not show are read past.
class TPresetAssembler {
public:
    // Starts the report for the product. `columnCount` is the report's column
    // count; a preset header replaces a value out of range by the default.
    TPresetAssembler(TRenderContext& context, uint8_t productId, int32_t& columnCount);

    void HandleBody(TMidiSysEx& message, uint8_t messageId);

private:
    void PresetHeader(TMidiSysEx& message);
    void Components(TMidiSysEx& message);
    void Modifiers(TMidiSysEx& message);
    void UserModel(TMidiSysEx& message);
    void RawParameters(TMidiSysEx& message);
    void PairLists(TMidiSysEx& message);
    void Unknown(uint8_t messageId);

    TRenderContext& Context;
    std::string ModelTitle;
    int32_t& ColumnCount;
};

// A 0-terminated name from the body, kept whole, without its terminator.
std::string ReadName(TMidiSysEx& message);

} // namespace qvr
