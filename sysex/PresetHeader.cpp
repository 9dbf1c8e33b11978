#include "sysex/PresetHeader.h"

#include "sysex/ByteInput.h"
#include "sysex/MessageIds.h"
#include "sysex/Qvrsysex.h"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace qvr {

namespace {

// Two unused bytes come before the index.
constexpr size_t IndexAt = 2;

// Reads the whole message into `reader`; false when it is no preset header with an index.
bool ReadHeaderMessage(std::string_view message, TKorvaneQVRSysEx& reader) {
    TMemoryInput in(message.data(), message.size());
    if (!reader.ReadHeader(in)) {
        return false;
    }
    reader.ReadBody(in);
    // The last byte of the body is the checksum.
    return reader.GetMessageId() == static_cast<uint8_t>(TMessageId::PresetHeader) &&
           reader.GetDataLength() > static_cast<int32_t>(IndexAt + 1);
}

} // namespace

std::optional<TPresetHeaderFields> ReadPresetHeader(std::string_view message) {
    TKorvaneQVRSysEx reader;
    if (!ReadHeaderMessage(message, reader)) {
        return std::nullopt;
    }
    TPresetHeaderFields fields;
    const uint8_t* const body = reader.GetData();
    const auto payloadLength = static_cast<size_t>(reader.GetDataLength() - 1);
    fields.Index = body[IndexAt];
    for (size_t i = IndexAt + 1; i < payloadLength && body[i] != 0; ++i) {
        fields.Name.push_back(static_cast<char>(body[i]));
    }
    return fields;
}

std::string RenumberPresetHeader(std::string_view message, uint8_t index) {
    TKorvaneQVRSysEx header;
    if (!ReadHeaderMessage(message, header)) {
        throw std::invalid_argument("not a preset header");
    }
    const uint8_t* const body = header.GetData();
    std::vector<uint8_t> payload(body, body + header.GetDataLength() - 1);
    payload[IndexAt] = index;
    header.SetBody(payload);
    std::ostringstream out(std::ios::binary);
    header.WriteMessage(out);
    return std::move(out).str();
}

} // namespace qvr
