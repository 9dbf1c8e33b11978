#pragma once

#include "base/OwnedStringList.h"
#include "base/Text.h"
#include "config/ValuePair.h"

#include <cstdint>
#include <initializer_list>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace qvr {

// The longest line the format allows, without its line end (LF or CR LF).
constexpr size_t MaxConfigLineLength = 254;

// Configuration files hold some tens of kilobytes; a file that goes on past this many bytes is
// not one, and reading it could take memory without bound.
constexpr std::streamoff MaxConfigFileSize = std::streamoff{1} << 20;

// The most value texts ("items") one parameter may have: far more than any parameter names.
constexpr size_t MaxParamItems = 4096;

// The position of the next unread character, also after a read has met the
// end of the file.
std::streampos ReadPosition(std::istream& in);

// Reads one line and consumes its line end (LF, or CR LF). The text ends at a
// zero byte.
// At the end of the file the stream's end-of-file state is set; the text
// read up to there is still returned. A line longer than MaxConfigLineLength,
// a line that starts past MaxConfigFileSize and a failing read raise
// EQvrInvalidConfigFile.
std::string ReadConfigLine(std::istream& in);

// Sets the read position back to a remembered line start, clearing the
// end-of-file state first, so that the enclosing reader sees that line again.
void StepBack(std::istream& in, std::streampos pos);

// Reads forward to the line that holds only the section name (any case,
// blanks around it allowed). True with the position just after that line;
// false at the end of the file. A name on a last line without line end is
// not found.
bool FindSection(std::istream& in, std::string_view name);

bool IsOneOf(const std::string& name, std::initializer_list<std::string_view> keywords);

// The loop of every block reader: reads line after line up to the end of the
// file, skips empty ones and hands each trimmed line with its start position
// to handle, which returns false to end the block (after stepping back when
// the line belongs to the enclosing block).
template <class THandler> void ForEachBlockLine(std::istream& in, THandler handle) {
    while (!in.eof()) {
        const std::streampos start = ReadPosition(in);
        const std::string line = Trim(ReadConfigLine(in));
        if (line.empty()) {
            continue;
        }
        if (!handle(line, start)) {
            return;
        }
    }
}

// Reads forward to the line that starts an entry ("key = NAME"), passing over other lines; a
// line named in endsSearch ends the search. Returns the parsed pair of that line, or nullptr
// with the position back where the search began. The pair is built empty, so that a line
// without "=" gets an empty value when the caller parses further lines into it.
std::unique_ptr<TQvrValuePair> FindEntryStart(std::istream& in, std::string_view key,
                                              std::initializer_list<std::string_view> endsSearch);

// Reads the entries of a section one after the other until readOne finds no
// further entry; each is appended under its name. Returns their number. An
// entry that fails while being read is released before the error passes on.
template <class TEntry, class TReadOne>
int32_t ReadEntries(TOwnedStringList<TEntry>& list, std::istream& in, TReadOne readOne) {
    int32_t count = 0;
    if (in.eof()) {
        return count;
    }
    for (;;) {
        auto entry = std::make_unique<TEntry>();
        if (!readOne(*entry, in)) {
            return count;
        }
        std::string name = entry->Name;
        list.Add(std::move(name), std::move(entry));
        ++count;
    }
}

} // namespace qvr
