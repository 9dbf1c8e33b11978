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

void TReportOutput::Settle() {
    if (Size >= BlockSize) {
        Target.Put(std::string_view(Text.get(), Size));
        Size = 0;
    }
}

void TReportOutput::Finish() {
    Target.Put(std::string_view(Text.get(), Size));
    Size = 0;
}

} // namespace qvr
