#include "librarian/PresetListing.h"

#include "base/TerminalText.h"
#include "platform/Version.h"

#include <cstdio>

namespace qvr {

namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is not one.
size_t Utf8Length(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<uint8_t>(text[at + i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

void AppendJson(std::string& out, std::string_view text) {
    out.push_back('"');
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (byte == '"' || byte == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(byte));
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
            out += escape;
        } else if (byte >= 0x80) {
            const size_t length = Utf8Length(text, i);
            out += length == 0 ? "\\ufffd" : std::string(text.substr(i, length));
            i += length == 0 ? 1 : length;
            continue;
        } else {
            out.push_back(static_cast<char>(byte));
        }
        ++i;
    }
    out.push_back('"');
}

void AppendJsonOrNull(std::string& out, const std::optional<std::string>& text) {
    if (text) {
        AppendJson(out, *text);
    } else {
        out += "null";
    }
}

std::string JsonEnvelope(std::string_view format) {
    std::string json = "{\n  \"format\": ";
    AppendJson(json, format);
    json += ",\n  \"version\": 1,\n  \"tool\": {\"name\": \"qvrlib\", \"version\": ";
    AppendJson(json, ProgramVersion);
    json += "}";
    return json;
}

void AppendPresetLine(std::string& text, std::string_view path, std::optional<int32_t> number,
                      std::string_view model, std::string_view name) {
    AppendTerminalSafe(text, path);
    if (number) {
        text.append(":").append(std::to_string(*number));
    }
    text += "  ";
    AppendTerminalSafe(text, model.empty() ? std::string_view("-") : model);
    text += "  ";
    if (number) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "#%02d ", static_cast<int>(*number));
        text += digits;
    }
    AppendTerminalSafe(text, name);
    text += "\n";
}

void AppendPresetFields(std::string& json, std::string_view path, int64_t position,
                        std::optional<int32_t> number, std::string_view model,
                        std::string_view name) {
    json += "\"file\": ";
    AppendJson(json, path);
    json += ", \"position\": " + std::to_string(position) +
            ", \"number\": " + (number ? std::to_string(*number) : "null") + ", \"model\": ";
    AppendJsonOrNull(json, model.empty() ? std::nullopt : std::optional(std::string(model)));
    json += ", \"name\": ";
    AppendJson(json, name);
}

} // namespace qvr
