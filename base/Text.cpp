#include "base/Text.h"

namespace qvr {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::string Trim(std::string_view s) {
    size_t first = 0;
    size_t last = s.size();
    while (first < last && IsBlank(s[first])) {
        ++first;
    }
    while (last > first && IsBlank(s[last - 1])) {
        --last;
    }
    return std::string(s.substr(first, last - first));
}

} // namespace qvr
