#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// A JSON string of UTF-8 text; a byte that is not UTF-8 (a file name may hold
// one) becomes U+FFFD.
void AppendJson(std::string& out, std::string_view text);

// A JSON string, or null when there is none.
void AppendJsonOrNull(std::string& out, const std::optional<std::string>& text);

// The start of a JSON answer of qvrlib, the envelope of qvrreport's: the opening
// brace, "format" (`format`), "version" and "tool", without a comma after.
std::string JsonEnvelope(std::string_view format);

// One preset's line: FILE:N, the form in which qvrreport and the comparison take
// one preset of a file (the file alone for a preset without a number), its
// model ("-" for none), number and name; control characters escaped, as names
// and paths are the owner's data.
void AppendPresetLine(std::string& text, std::string_view path, std::optional<int32_t> number,
                      std::string_view model, std::string_view name);

// The JSON fields of one preset: "file", "position", "number", "model" and "name".
void AppendPresetFields(std::string& json, std::string_view path, int64_t position,
                        std::optional<int32_t> number, std::string_view model,
                        std::string_view name);

} // namespace qvr
