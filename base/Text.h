#pragma once

#include <string>
#include <string_view>

namespace qvr {

// Removes leading and trailing characters with codes 0 to 32 (blanks, tabs,
// carriage returns and the other control characters).
std::string Trim(std::string_view s);

} // namespace qvr
