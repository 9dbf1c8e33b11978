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
    Insertions.push_back({*mark, InsertedText.size(), line.size()});
    InsertedText.append(line);
    mark.reset();
    return true;
}

void TReportOutput::Splice() {
    if (Insertions.empty()) {
        return;
    }
    // By place; at the same place in the order they came (the vector's order
    // is the tie-break, so an in-place sort keeps it).
    std::sort(Insertions.begin(), Insertions.end(), [](const TInsertion& a, const TInsertion& b) {
        return a.At != b.At ? a.At < b.At : a.Offset < b.Offset;
    });
    const size_t total = InsertedText.size();
    if (Size + total > Capacity) {
        Grow(total);
    }
    // From the back: the bytes after each place move right by the lengths of
    // the lines that go before them.
    size_t end = Size;
    size_t shift = total;
    for (auto it = Insertions.rbegin(); it != Insertions.rend(); ++it) {
        std::memmove(Text.get() + it->At + shift, Text.get() + it->At, end - it->At);
        shift -= it->Length;
        std::memcpy(Text.get() + it->At + shift, InsertedText.data() + it->Offset, it->Length);
        end = it->At;
    }
    Size += total;
    Insertions.clear();
    InsertedText.clear();
}

void TReportOutput::Settle() {
    Splice();
    Marks.fill(std::nullopt);
    if (Size >= BlockSize) {
        Target.Put(std::string_view(Text.get(), Size));
        Size = 0;
    }
}

void TReportOutput::Finish() {
    Splice();
    Marks.fill(std::nullopt);
    Target.Put(std::string_view(Text.get(), Size));
    Size = 0;
}

} // namespace qvr
