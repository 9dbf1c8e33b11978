#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qvr {

using TVariables = std::map<std::string, int64_t, std::less<>>;

// Evaluates an integer expression: decimal or 0x hex numbers, names from
// vars, unary minus, + - * / % and parentheses. Throws EDescriptionError.
int64_t EvaluateExpression(std::string_view text, const TVariables& vars);

// Replaces every {expression} of a line by its decimal value; "{{" stands
// for a literal "{". This is how repeated blocks vary their presets.
std::string ExpandBraces(std::string_view line, const TVariables& vars);

} // namespace qvr
