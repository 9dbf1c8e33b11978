#include "app/ReportSource.h"

#include "platform/ProgramPath.h"
#include "report/PresetReport.h"

namespace qvr {

namespace {

class TPresetReportSource : public IReportSource {
public:
    explicit TPresetReportSource(IUserNotifier& notifier)
        : Report(notifier, TConfigSearch{std::nullopt, ProgramDataFolder()}) {}

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

std::unique_ptr<IReportSource> MakePresetReportSource(IUserNotifier& notifier) {
    return std::make_unique<TPresetReportSource>(notifier);
}

} // namespace qvr
