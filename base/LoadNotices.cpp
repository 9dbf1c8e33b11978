#include "base/LoadNotices.h"

#include <limits>

namespace qvr {

void TLoadNotices::StartLoad() {
    ShownTexts.clear();
    Warnings = 0;
    Errors = 0;
}

void TLoadNotices::ShowError(const std::string& text) {
    if (Errors < std::numeric_limits<int32_t>::max()) {
        ++Errors;
    }
    Shown.ShowError(text);
}

void TLoadNotices::ShowWarning(const std::string& text) {
    if (Warnings < std::numeric_limits<int32_t>::max()) {
        ++Warnings;
    }
    if (ShownTexts.insert(text).second) {
        Shown.ShowWarning(text);
    }
}

} // namespace qvr
