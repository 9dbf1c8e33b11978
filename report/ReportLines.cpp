#include "report/ReportLines.h"

#include <stdexcept>

namespace qvr {

std::string_view TReportLines::Line(size_t i) const {
    if (i < SealedEnds.size()) {
        const size_t begin = i == 0 ? 0 : SealedEnds[i - 1];
        return std::string_view(Sealed).substr(begin, SealedEnds[i] - begin);
    }
    return Open.at(i - SealedEnds.size());
}

void TReportLines::Append(std::string line) {
    Open.push_back(std::move(line));
}

void TReportLines::Insert(size_t pos, std::string line) {
    if (pos < SealedEnds.size() || pos > Count()) {
        throw std::out_of_range("report line insert position");
    }
    const auto at = Open.begin() + static_cast<std::ptrdiff_t>(pos - SealedEnds.size());
    Open.insert(at, std::move(line));
}

void TReportLines::Seal() {
    for (const std::string& line : Open) {
        Sealed += line;
        SealedEnds.push_back(Sealed.size());
    }
    Open.clear();
}

} // namespace qvr
