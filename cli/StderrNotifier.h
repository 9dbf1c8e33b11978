#pragma once

#include "base/ExceptionText.h"
#include "base/ProgramConvention.h"
#include "base/UserNotifier.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

namespace qvr {

// The command-line programs' stand-in for message boxes: every line of a message as
// "error: SOURCE: LINE" or "warning: SOURCE: LINE" on standard error, in order, where SOURCE
// names the file the message is about (see MessageLines).
class TStderrNotifier : public IUserNotifier {
public:
    explicit TStderrNotifier(std::string source = {}) : Source(std::move(source)) {}

    void ShowError(const std::string& text) override {
        ++ErrorCount;
        Write("error", text);
    }
    void ShowWarning(const std::string& text) override { Write("warning", text); }

    // An exception that reached the top, as the viewer's exception display
    // shows it: its text with a full stop appended when it lacks one.
    void ShowException(const std::string& text) { ShowError(StandardExceptionText(text)); }

    // The file that later messages are about.
    void SetSource(std::string source) {
        Source = std::move(source);
        Last = {};
    }

    int ErrorCount = 0;

protected:
    // A message about a part of the file, such as "preset 12": every line as
    // "KIND: SOURCE: PART: LINE".
    void ShowAbout(bool isError, std::string_view part, const std::string& text) {
        ErrorCount += isError ? 1 : 0;
        Write(isError ? "error" : "warning", text, part);
    }

private:
    void Write(const char* kind, const std::string& text, std::string_view part = {}) {
        // A bad file repeats one message for many links of a preset: its lines are made once.
        if (kind != Last.Kind || part != Last.Part || text != Last.Text) {
            Last.Lines = FileMessageLines(kind, Source, text, part);
            Last.Kind = kind;
            Last.Part = part;
            Last.Text = text;
        }
        // Not flushed, as ShowFileError writes them.
        std::fwrite(Last.Lines.data(), 1, Last.Lines.size(), stderr);
    }

    std::string Source;
    struct TLastMessage {
        std::string_view Kind;
        std::string Part;
        std::string Text;
        std::string Lines;
    } Last;
};

} // namespace qvr
