#include "report/SummarySink.h"

#include <limits>

namespace qvr {

void TSummarySink::ReportStart(std::string_view model) {
    Noted.Model = model;
    Next.ReportStart(model);
}

void TSummarySink::PresetHeading(std::string_view model, std::optional<int32_t> number,
                                 std::string_view name) {
    if (Noted.PresetCount < std::numeric_limits<int32_t>::max()) {
        ++Noted.PresetCount;
    }
    Next.PresetHeading(model, number, name);
}

} // namespace qvr
