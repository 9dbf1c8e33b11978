#pragma once

#include "base/UserNotifier.h"

#include <string>
#include <utility>
#include <vector>

namespace qvr {

// Messages kept back, to be shown later through another notifier in the order
// they came: for a load that runs while another one's messages are still to
// come first.
class THeldNotices : public IUserNotifier {
public:
    void ShowError(const std::string& text) override { Held.emplace_back(true, text); }
    void ShowWarning(const std::string& text) override { Held.emplace_back(false, text); }

    // Shows the messages through `notifier` and forgets them.
    void ShowThrough(IUserNotifier& notifier) {
        for (const auto& [isError, text] : Held) {
            if (isError) {
                notifier.ShowError(text);
            } else {
                notifier.ShowWarning(text);
            }
        }
        Held.clear();
    }

private:
    std::vector<std::pair<bool, std::string>> Held;
};

} // namespace qvr
