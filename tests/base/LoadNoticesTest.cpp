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
}

} // namespace
} // namespace qvr::test
