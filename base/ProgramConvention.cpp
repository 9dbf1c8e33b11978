#include "base/ProgramConvention.h"

#include "base/TerminalText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qvr {

namespace {

void WriteToStderr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// Every line of `text` after `prefix`; a final line feed of `text` ends the last line. Control
// characters in either (a file name, a preset's name) are shown escaped.
std::string PrefixEveryLine(std::string_view prefix, std::string_view text) {
    const std::string safePrefix = TerminalSafe(prefix);
    std::string lines;
    size_t start = 0;
    do {
        const size_t end = text.find('\n', start);
        const std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        lines.append(safePrefix);
        AppendTerminalSafe(lines, line);
        lines.append("\n");
        start = end == std::string_view::npos ? text.size() + 1 : end + 1;
    } while (start < text.size());
    return lines;
}

} // namespace

int ShowUsageError(std::string_view program, std::string_view problem) {
    WriteToStderr(PrefixEveryLine(std::string(program) + ": ", problem) + "Try '" +
                  std::string(program) + " --help' for more information.\n");
    return ExitUsage;
}

void ShowProgramNote(std::string_view program, std::string_view text) {
    WriteToStderr(PrefixEveryLine(std::string(program) + ": ", text));
}

int PrintAnswer(std::string_view program, std::string_view text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) != 0 || !written || std::ferror(stdout) != 0) {
        ShowProgramNote(program,
                        std::string("write error: ") + std::strerror(errno != 0 ? errno : EIO));
        return ExitUsage;
    }
    return ExitOk;
}

std::string MessageLines(std::string_view kind, std::string_view source, std::string_view text) {
    std::string prefix(kind);
    prefix += ": ";
    if (!source.empty()) {
        prefix.append(source).append(": ");
    }
    return PrefixEveryLine(prefix, text);
}

std::string SourceName(const std::string& file) {
    return file == "-" ? "standard input" : file;
}

} // namespace qvr
