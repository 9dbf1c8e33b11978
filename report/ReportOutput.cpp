#include "report/ReportOutput.h"

namespace qvr {

bool TReportOutput::InsertAtSlot(TNameSlot slot, std::string_view line) {
    std::optional<size_t>& mark = Marks[Index(slot)];
    if (!mark) {
        return false;
    }
    const size_t at = *mark;
    mark.reset();
    Text.insert(at, line);
    for (std::optional<size_t>& other : Marks) {
        if (other && *other >= at) {
            *other += line.size();
        }
    }
    return true;
}

void TReportOutput::Settle() {
    Marks.fill(std::nullopt);
    if (Text.size() >= BlockSize) {
        Target.Put(Text);
        Text.clear();
    }
}

void TReportOutput::Finish() {
    Marks.fill(std::nullopt);
    Target.Put(Text);
    Text.clear();
}

} // namespace qvr
