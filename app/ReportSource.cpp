#include "app/ReportSource.h"

#include "platform/ProgramPath.h"
#include "report/PresetReport.h"

namespace qvr {

namespace {

class TPresetReportSource : public IReportSource {
public:
    explicit TPresetReportSource(IUserNotifier& notifier)
        : Report(notifier, ViewerConfigSearch()) {}

    std::string Build(const std::string& fileName, int32_t& columnCount) override {
        Report.ColumnCount = columnCount;
        std::string document = Report.Build(fileName);
        columnCount = Report.ColumnCount;
        return document;
    }

private:
    TPresetReport Report;
};

} // namespace

TConfigSearch ViewerConfigSearch() {
    return TConfigSearch{std::nullopt, ProgramDataFolder()};
}

std::unique_ptr<IReportSource> MakePresetReportSource(IUserNotifier& notifier) {
    return std::make_unique<TPresetReportSource>(notifier);
}

} // namespace qvr
