#pragma once

#include <string>
#include <string_view>

namespace qvr {

// Texts that come from users' preset files (preset and user-model names) are
// escaped before they enter the report, so that they can neither break the
// table nor carry markup: & < > " become entities, every other byte stays.
std::string EscapeHtml(std::string_view text);

} // namespace qvr
