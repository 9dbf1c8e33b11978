#include "edit/Reencode.h"

#include "edit/BodyReader.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace qvr {

namespace {

// The header's payload: two unused bytes, the index, then the name up to its 0 byte.
constexpr size_t NameAt = 3;

// Bytes the number needs, high zero bytes left out: none for 0.
uint32_t BytesNeeded(uint32_t value) {
    uint32_t n = 0;
    for (; value != 0; value >>= 8) {
        ++n;
    }
    return n;
}

// The number high byte first, padded with zero bytes in front to `length` bytes.
void AppendHighFirst(std::vector<uint8_t>& out, uint32_t value, uint32_t length) {
    for (uint32_t i = length; i > 0; --i) {
        const uint32_t shift = 8 * (i - 1);
        out.push_back(shift < 32 ? static_cast<uint8_t>(value >> shift) : 0);
    }
}

// `message` written anew with its payload changed by `change`.
std::string Rewritten(std::string_view message,
                      const std::function<void(std::vector<uint8_t>&)>& change) {
    TBodyReader body(message);
    std::vector<uint8_t> payload(body.GetData(), body.GetData() + body.PayloadEnd());
    change(payload);
    body.SetBody(payload);
    std::ostringstream out(std::ios::binary);
    body.WriteMessage(out);
    return std::move(out).str();
}

} // namespace

bool HeaderHoldsName(std::string_view message) {
    const TBodyReader body(message);
    const uint8_t* const payload = body.GetData();
    const size_t end = body.PayloadEnd();
    return end > NameAt && std::find(payload + NameAt, payload + end, 0) != payload + end;
}

std::vector<uint8_t> EncodeVarValue(int32_t raw, std::span<const uint8_t> old) {
    const auto value = static_cast<uint32_t>(raw);
    const uint32_t needed = BytesNeeded(value);
    std::vector<uint8_t> encoded;
    if (old.size() >= 3 && old[0] == 0x80) {
        const auto length = static_cast<uint32_t>(old[1] << 8 | old[2]);
        if (needed <= length) {
            encoded.assign(old.begin(), old.begin() + 3);
            AppendHighFirst(encoded, value, length);
            return encoded;
        }
    } else if (!old.empty() && old[0] > 0x80) {
        const uint32_t length = old[0] & 0x7Fu;
        if (needed <= length) {
            encoded.push_back(old[0]);
            AppendHighFirst(encoded, value, length);
            return encoded;
        }
    }
    if (value < 0x80) {
        encoded.push_back(static_cast<uint8_t>(value));
        return encoded;
    }
    encoded.push_back(static_cast<uint8_t>(0x80 | needed));
    AppendHighFirst(encoded, value, needed);
    return encoded;
}

std::string ApplyEdits(const TDump& dump, const TDumpPreset& preset, const TPresetEdits& edits) {
    std::map<size_t, std::vector<std::pair<TValuePlace, int32_t>>> byMessage;
    for (const auto& [place, raw] : edits.Values) {
        if (place.Message < preset.FirstMessage ||
            place.Message >= preset.FirstMessage + preset.MessageCount) {
            throw std::invalid_argument("a value edited lies outside the preset");
        }
        byMessage[place.Message].emplace_back(place, raw);
    }
    std::map<size_t, std::string> written;
    for (auto& entry : byMessage) {
        const size_t message = entry.first;
        std::vector<std::pair<TValuePlace, int32_t>>& values = entry.second;
        // From the back, so that a value whose form grows or shrinks moves none still to come.
        std::sort(values.begin(), values.end(),
                  [](const auto& a, const auto& b) { return a.first.Offset > b.first.Offset; });
        written[message] = Rewritten(dump.MessageBytes(message), [&](std::vector<uint8_t>& body) {
            for (const auto& [place, raw] : values) {
                if (place.Offset + place.Length > body.size()) {
                    throw std::invalid_argument("a value edited lies outside its message");
                }
                const auto at = body.begin() + static_cast<std::ptrdiff_t>(place.Offset);
                const std::vector<uint8_t> encoded =
                    EncodeVarValue(raw, std::span(body).subspan(place.Offset, place.Length));
                body.erase(at, at + static_cast<std::ptrdiff_t>(place.Length));
                body.insert(body.begin() + static_cast<std::ptrdiff_t>(place.Offset),
                            encoded.begin(), encoded.end());
            }
        });
    }
    if (edits.Name) {
        if (edits.Name->find('\0') != std::string::npos) {
            throw std::invalid_argument("a preset name cannot hold a 0 byte");
        }
        const size_t header = preset.FirstMessage;
        written[header] = Rewritten(dump.MessageBytes(header), [&](std::vector<uint8_t>& body) {
            const auto end = std::find(body.begin() + std::min(NameAt, body.size()), body.end(), 0);
            if (body.size() <= NameAt || end == body.end()) {
                throw std::invalid_argument("the preset's header holds no name");
            }
            body.erase(body.begin() + NameAt, end);
            body.insert(body.begin() + NameAt, edits.Name->begin(), edits.Name->end());
        });
    }

    std::string bytes;
    bytes.reserve(dump.Bytes.size() + 64);
    size_t copied = 0;
    for (size_t i = 0; i < dump.Messages.size(); ++i) {
        const TDumpMessage& message = dump.Messages[i];
        bytes.append(dump.Bytes, copied, message.Offset - copied);
        const auto it = written.find(i);
        bytes.append(it != written.end() ? std::string_view(it->second) : dump.MessageBytes(i));
        copied = message.Offset + message.Size;
    }
    bytes.append(dump.Bytes, copied);
    return bytes;
}

} // namespace qvr
