#include "config/ConfigReader.h"

#include "config/ConfigErrors.h"

#include <cctype>

namespace qvr {

namespace {

using TTraits = std::istream::traits_type;

EQvrInvalidConfigFile ReadError() {
    return EQvrInvalidConfigFile("The configuration file could not be read.");
}

// Line number (from 1) of the line that starts at pos; only needed for messages.
size_t LineNumberAt(std::istream& in, std::streampos pos) {
    in.clear();
    in.seekg(0);
    size_t line = 1;
    for (std::streamoff i = 0; i < static_cast<std::streamoff>(pos); ++i) {
        const int c = in.get();
        if (c == TTraits::eof()) {
            break;
        }
        if (c == '\n') {
            ++line;
        }
    }
    return line;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::streampos ReadPosition(std::istream& in) {
    const bool atEnd = in.eof();
    in.clear(in.rdstate() & ~std::ios::eofbit);
    const std::streampos pos = in.tellg();
    if (atEnd) {
        in.setstate(std::ios::eofbit);
    }
    if (pos == std::streampos(-1)) {
        throw ReadError();
    }
    return pos;
}

std::string ReadConfigLine(std::istream& in) {
    std::string text;
    if (in.eof()) {
        return text;
    }
    const std::streampos start = ReadPosition(in);
    if (static_cast<std::streamoff>(start) > MaxConfigFileSize) {
        throw EQvrInvalidConfigFile("The configuration file is longer than " +
                                    std::to_string(MaxConfigFileSize) + " bytes.");
    }
    size_t length = 0;
    bool cut = false;
    for (;;) {
        const int c = in.get();
        if (c == TTraits::eof() || c == '\n') {
            break;
        }
        // With CR LF line ends the CR belongs to the line end: it neither
        // counts towards the limit nor reaches the text.
        if (c == '\r' && in.peek() == '\n') {
            continue;
        }
        if (++length > MaxConfigLineLength) {
            const size_t number = LineNumberAt(in, start);
            throw EQvrInvalidConfigFile("Line " + std::to_string(number) + " is longer than " +
                                        std::to_string(MaxConfigLineLength) + " characters.");
        }
        cut = cut || c == 0;
        if (!cut) {
            text.push_back(static_cast<char>(c));
        }
    }
    if (in.bad()) {
        throw ReadError();
    }
    // Only the end-of-file state is kept: a failed state would block the
    // position queries and the step back.
    in.clear(in.rdstate() & ~std::ios::failbit);
    return text;
}

void StepBack(std::istream& in, std::streampos pos) {
    in.clear();
    in.seekg(pos);
    if (in.fail()) {
        throw ReadError();
    }
}

bool FindSection(std::istream& in, std::string_view name) {
    if (in.eof()) {
        return false;
    }
    for (;;) {
        const std::string line = ReadConfigLine(in);
        if (in.eof() || EqualsIgnoreCase(Trim(line), name)) {
            break;
        }
    }
    return !in.eof();
}

std::unique_ptr<TQvrValuePair> FindEntryStart(std::istream& in, std::string_view key,
                                              std::initializer_list<std::string_view> endsSearch) {
    const std::streampos searchStart = ReadPosition(in);
    auto pair = std::make_unique<TQvrValuePair>();
    bool found = false;
    ForEachBlockLine(in, [&](const std::string& line, std::streampos) {
        pair->Parse(line);
        found = pair->Name == key;
        return !found && !IsOneOf(pair->Name, endsSearch);
    });
    if (!found) {
        StepBack(in, searchStart);
        return nullptr;
    }
    return pair;
}

bool IsOneOf(const std::string& name, std::initializer_list<std::string_view> keywords) {
    for (const std::string_view keyword : keywords) {
        if (name == keyword) {
            return true;
        }
    }
    return false;
}

} // namespace qvr
