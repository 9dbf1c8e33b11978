#include "base/LoadNotices.h"

#include <limits>

namespace qvr {

void TLoadNotices::StartLoad() {
    ShownTexts.clear();
    Warnings = 0;
    Errors = 0;
}

void TLoadNotices::ShowIn(bool isError, const std::string& part, const std::string& text) {
    int32_t& count = isError ? Errors : Warnings;
    if (count < std::numeric_limits<int32_t>::max()) {
        ++count;
    }
    if (!isError && !ShownTexts.insert(text).second) {
        return;
    }
    const std::string shown = part.empty() ? text : part + ": " + text;
    if (isError) {
        Shown.ShowError(shown);
    } else {
        Shown.ShowWarning(shown);
    }
}

} // namespace qvr
