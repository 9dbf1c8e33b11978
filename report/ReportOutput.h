#pragma once

#include "base/ByteTarget.h"
#include "report/ReportSink.h"

#include <array>
#include <cstddef>
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
    explicit TReportOutput(IByteTarget& target) : Target(target) { Text.reserve(2 * BlockSize); }

    void Append(std::string_view bytes) { Text.append(bytes); }
    void Append(char c) { Text.push_back(c); }

    // The slot's line goes at the current end; a mark the slot had is dropped.
    void MarkSlot(TNameSlot slot) { Marks[Index(slot)] = Text.size(); }
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

    IByteTarget& Target;
    std::string Text;
    std::array<std::optional<size_t>, 5> Marks;
};

} // namespace qvr
