#pragma once

#include "base/ByteTarget.h"
#include "report/ReportSink.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// What a sink has written, on its way to the target. Bytes are appended at the
// end. Since the current chain started they stay open, so that a user-model
// name line can still go in under its module's heading (at the slot's mark);
// once settled they go on to the target in blocks. The buffer so holds one
// block and one chain of modules, whatever the size of the file.
class TReportOutput {
public:
    explicit TReportOutput(IByteTarget& target)
        : Target(target), Text(std::make_unique_for_overwrite<char[]>(2 * BlockSize)),
          Capacity(2 * BlockSize) {}

    // One or more pieces, one after the other (one test for room).
    template <class... TPieces> void Append(const TPieces&... pieces) {
        const size_t size = (Length(pieces) + ...);
        if (Size + size > Capacity) {
            Grow(size);
        }
        (Copy(pieces), ...);
    }

    // The slot's line goes at the current end; a mark the slot had is dropped.
    void MarkSlot(TNameSlot slot) { Marks[Index(slot)] = Size; }
    bool HasMark(TNameSlot slot) const { return Marks[Index(slot)].has_value(); }
    // Inserts at the slot's mark and uses it up; later marks move along. False
    // (nothing inserted) when the slot has no mark.
    bool InsertAtSlot(TNameSlot slot, std::string_view line);

    // Everything so far is final: the marks are forgotten, and full blocks go
    // on to the target.
    void Settle();
    // Hands everything on.
    void Finish();

private:
    static constexpr size_t BlockSize = 64 * 1024;
    static size_t Index(TNameSlot slot) { return static_cast<size_t>(slot); }
    static size_t Length(std::string_view text) { return text.size(); }
    static size_t Length(char) { return 1; }
    static size_t Length(const char* text) { return std::char_traits<char>::length(text); }
    template <size_t N> static size_t Length(const char (&)[N]) { return N - 1; }
    void Copy(char c) { Text[Size++] = c; }
    void Copy(const char* text) { Copy(std::string_view(text)); }
    template <size_t N> void Copy(const char (&text)[N]) { Copy(std::string_view(text, N - 1)); }
    void Copy(std::string_view text) {
        // Most pieces are a few bytes: a plain loop beats a library call.
        char* out = Text.get() + Size;
        if (text.size() <= 16) {
            for (const char c : text) {
                *out++ = c;
            }
        } else {
            std::memcpy(out, text.data(), text.size());
        }
        Size += text.size();
    }
    // Makes room for `more` bytes.
    void Grow(size_t more);

    IByteTarget& Target;
    std::unique_ptr<char[]> Text;
    size_t Size = 0;
    size_t Capacity;
    std::array<std::optional<size_t>, 5> Marks;
};

} // namespace qvr
