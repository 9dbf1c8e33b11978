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

std::string PresetPart(std::optional<int32_t> number, std::optional<size_t> place) {
    if (number) {
        return "preset " + std::to_string(*number);
    }
    return place ? "preset at place " + std::to_string(*place + 1) : std::string();
}

std::string FileMessageLines(std::string_view kind, const std::string& file, std::string_view text,
                             std::string_view part) {
    std::string source = file.empty() ? std::string() : SourceName(file);
    if (!part.empty()) {
        source.append(source.empty() ? "" : ": ").append(part);
    }
    return MessageLines(kind, source, text);
}

namespace {

void ShowAboutFile(std::string_view kind, const std::string& file, std::string_view text,
                   std::string_view part) {
    // Not flushed: a report's thousands of warnings go out in blocks (standard error is
    // unbuffered unless a program chose otherwise).
    const std::string lines = FileMessageLines(kind, file, text, part);
    std::fwrite(lines.data(), 1, lines.size(), stderr);
}

} // namespace

void ShowFileError(const std::string& file, std::string_view text, std::string_view part) {
    ShowAboutFile("error", file, text, part);
}

void ShowFileWarning(const std::string& file, std::string_view text, std::string_view part) {
    ShowAboutFile("warning", file, text, part);
}

int ShowCannotWrite(const std::string& file, int error) {
    ShowFileError(file, std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO));
    return ExitUsage;
}

} // namespace qvr
