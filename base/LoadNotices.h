#pragma once

#include "base/UserNotifier.h"

#include <cstdint>
#include <string>
#include <unordered_set>

namespace qvr {

// Stands between one load and the notifier that shows its messages to the user: a warning
// whose text was already shown during the load is not shown again (a file can hold the same
// fault thousands of times), but every warning is counted. Errors pass straight through and
// are counted too.
class TLoadNotices : public IUserNotifier {
public:
    explicit TLoadNotices(IUserNotifier& shown) : Shown(shown) {}

    // Starts a load: no text shown yet, no warning counted.
    void StartLoad();
    // The warnings of the load so far, repeats included, and the errors.
    int32_t WarningCount() const { return Warnings; }
    int32_t ErrorCount() const { return Errors; }

    void ShowError(const std::string& text) override { ShowIn(true, {}, text); }
    void ShowWarning(const std::string& text) override { ShowIn(false, {}, text); }
    // A message met in a part of the file (see PresetPart: "preset 4"), shown as
    // "PART: TEXT" as every program names it; a warning is shown once per text, whatever part.
    void ShowIn(bool isError, const std::string& part, const std::string& text);

private:
    IUserNotifier& Shown;
    std::unordered_set<std::string> ShownTexts;
    int32_t Warnings = 0;
    int32_t Errors = 0;
};

} // namespace qvr
