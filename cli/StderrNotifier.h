#pragma once

#include "base/ExceptionText.h"
#include "base/UserNotifier.h"

#include <cstdio>
#include <string>

namespace qvr {

// The exporter's stand-in for message boxes: one "error: " or "warning: "
// line per message on standard error, in order, with its own line breaks.
class TStderrNotifier : public IUserNotifier {
public:
    void ShowError(const std::string& text) override {
        ++ErrorCount;
        Write("error: ", text);
    }
    void ShowWarning(const std::string& text) override { Write("warning: ", text); }

    // An exception that reached the top, as the viewer's exception display
    // shows it: its text with a full stop appended when it lacks one.
    void ShowException(const std::string& text) { ShowError(StandardExceptionText(text)); }

    int ErrorCount = 0;

private:
    static void Write(const char* kind, const std::string& text) {
        std::string line = kind + text + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

} // namespace qvr
