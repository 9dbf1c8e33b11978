#include "report/ReportOutput.h"

#include <algorithm>

namespace qvr {

void TReportOutput::Grow(size_t more) {
    const size_t capacity = std::max(Capacity * 2, Size + more);
    auto text = std::make_unique_for_overwrite<char[]>(capacity);
    std::memcpy(text.get(), Text.get(), Size);
    Text = std::move(text);
    Capacity = capacity;
}

bool TReportOutput::InsertAtSlot(TNameSlot slot, std::string_view line) {
    std::optional<size_t>& mark = Marks[Index(slot)];
    if (!mark) {
        return false;
    }
    const size_t at = *mark;
    mark.reset();
    if (Size + line.size() > Capacity) {
        Grow(line.size());
    }
    std::memmove(Text.get() + at + line.size(), Text.get() + at, Size - at);
    std::memcpy(Text.get() + at, line.data(), line.size());
    Size += line.size();
    for (std::optional<size_t>& other : Marks) {
        if (other && *other >= at) {
            *other += line.size();
        }
    }
    return true;
}

void TReportOutput::Settle() {
    Marks.fill(std::nullopt);
    if (Size >= BlockSize) {
        Target.Put(std::string_view(Text.get(), Size));
        Size = 0;
    }
}

void TReportOutput::Finish() {
    Marks.fill(std::nullopt);
    Target.Put(std::string_view(Text.get(), Size));
    Size = 0;
}

} // namespace qvr
