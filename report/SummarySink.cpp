#include "report/SummarySink.h"

#include <limits>

namespace qvr {

void TSummarySink::ReportStart(std::string_view model) {
    Noted.Model = model;
    Next.ReportStart(model);
}

void TSummarySink::Preset(const TPreset& preset, bool headingFollows) {
    if (preset.HasHeading && Noted.PresetCount < std::numeric_limits<int32_t>::max()) {
        ++Noted.PresetCount;
    }
    Next.Preset(preset, headingFollows);
}

} // namespace qvr
