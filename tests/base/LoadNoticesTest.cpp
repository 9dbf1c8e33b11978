#include "base/LoadNotices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvr::test {
namespace {

struct TShownLog : IUserNotifier {
    void ShowError(const std::string& text) override { Lines.push_back("error: " + text); }
    void ShowWarning(const std::string& text) override { Lines.push_back("warning: " + text); }
    std::vector<std::string> Lines;
};

TEST(LoadNotices, EachWarningTextOncePerLoadEveryWarningCountedErrorsAlways) {
    TShownLog shown;
    TLoadNotices notices(shown);
    notices.StartLoad();
    for (int i = 0; i < 3; ++i) {
        notices.ShowWarning("Link beyond the chain");
        notices.ShowError("Bad checksum");
    }
    notices.ShowWarning("Link beyond the chain\n");
    EXPECT_EQ(shown.Lines,
              (std::vector<std::string>{"warning: Link beyond the chain", "error: Bad checksum",
                                        "error: Bad checksum", "error: Bad checksum",
                                        "warning: Link beyond the chain\n"}));
    EXPECT_EQ(notices.WarningCount(), 4);
    EXPECT_EQ(notices.ErrorCount(), 3);

    // The next load shows the text again and counts from nothing.
    shown.Lines.clear();
    notices.StartLoad();
    EXPECT_EQ(notices.WarningCount(), 0);
    EXPECT_EQ(notices.ErrorCount(), 0);
    notices.ShowWarning("Link beyond the chain");
    EXPECT_EQ(shown.Lines, std::vector<std::string>{"warning: Link beyond the chain"});
    EXPECT_EQ(notices.WarningCount(), 1);

    // A message met in a preset names it; a warning's text is shown once whatever the preset.
    shown.Lines.clear();
    notices.StartLoad();
    notices.ShowIn(false, "preset 4", "Link beyond the chain");
    notices.ShowIn(false, "preset 5", "Link beyond the chain");
    notices.ShowIn(true, "preset 4", "Bad checksum");
    notices.ShowIn(true, "preset 5", "Bad checksum");
    EXPECT_EQ(shown.Lines, (std::vector<std::string>{"warning: preset 4: Link beyond the chain",
                                                     "error: preset 4: Bad checksum",
                                                     "error: preset 5: Bad checksum"}));
    EXPECT_EQ(notices.WarningCount(), 2);
    EXPECT_EQ(notices.ErrorCount(), 2);
}

} // namespace
} // namespace qvr::test
