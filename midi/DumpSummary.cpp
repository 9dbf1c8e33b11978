#include "midi/DumpSummary.h"

#include "sysex/MessageIds.h"
#include "sysex/Products.h"
#include "sysex/Qvrsysex.h"

#include <algorithm>
#include <sstream>

namespace qvr {

namespace {

std::string Count(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

void TDumpSummary::Add(std::span<const uint8_t> message) {
    ++Messages;
    Bytes += message.size();
    // The header is all that is needed; the reader checks it as it does in a file.
    const size_t headerSize = std::min<size_t>(message.size(), 16);
    std::istringstream in(std::string(message.begin(), message.begin() + headerSize));
    TKorvaneQVRSysEx header;
    try {
        if (!header.ReadHeader(in)) {
            return;
        }
    } catch (...) {
        return; // another maker's message or a broken frame: the report says so
    }
    if (!ProductId) {
        ProductId = header.GetProductId();
    }
    if (static_cast<TMessageId>(header.GetMessageId()) == TMessageId::PresetHeader) {
        ++Presets;
    }
}

std::string TDumpSummary::Text() const {
    return Count(static_cast<uint64_t>(Messages), "message", "messages") + ", " +
           Count(Bytes, "byte", "bytes") + ", " +
           (ProductId ? ModelName(*ProductId) : std::string("model unknown")) + ", " +
           Count(static_cast<uint64_t>(Presets), "preset", "presets");
}

} // namespace qvr
