#include "app/ReportSource.h"

#include "base/ByteTarget.h"
#include "base/Numbers.h"
#include "platform/ProgramPath.h"
#include "report/HtmlSink.h"
#include "report/PresetReport.h"

namespace qvr {

namespace {

class TPresetReportSource : public IReportSource {
public:
    explicit TPresetReportSource(IUserNotifier& notifier)
        : Report(notifier, ViewerConfigSearch()) {}

    std::string Build(const std::string& fileName, int32_t& columnCount) override {
        // The document Report.Build makes, with the summary noted on the way.
        Report.ColumnCount = columnCount;
        TStringTarget document;
        THtmlSink html(document, Report.ColumnCount);
        TSummarySink summary(html);
        Report.Emit(fileName, summary, UserDecimalSeparator());
        columnCount = Report.ColumnCount;
        Summary = summary.Summary();
        return std::move(document.Text);
    }

    TReportSummary LastSummary() const override { return Summary; }

private:
    TPresetReport Report;
    TReportSummary Summary;
};

} // namespace

TConfigSearch ViewerConfigSearch() {
    return TConfigSearch{std::nullopt, ProgramDataFolder()};
}

std::unique_ptr<IReportSource> MakePresetReportSource(IUserNotifier& notifier) {
    return std::make_unique<TPresetReportSource>(notifier);
}

} // namespace qvr
