#include "app/report/ReportSource.h"

#include "base/ByteTarget.h"
#include "base/LoadNotices.h"
#include "base/Numbers.h"
#include "base/ProgramConvention.h"
#include "platform/ProgramPath.h"
#include "report/HtmlSink.h"
#include "report/PresetReport.h"
#include "sysex/ByteInput.h"

namespace qvr {

namespace {

// Passes every event on, noting the presets' numbers and names on the way.
class TPresetListSink : public TSummarySink {
public:
    using TSummarySink::TSummarySink;
    std::vector<TPresetLabel> Presets;
    int WithoutHeading = 0;

    void Preset(const TPreset& preset, bool headingFollows) override {
        if (preset.HasHeading) {
            Presets.push_back({preset.Number, std::string(preset.Name)});
        } else if (!preset.Modules.empty()) {
            ++WithoutHeading;
        }
        TSummarySink::Preset(preset, headingFollows);
    }
};

// The report's messages to the viewer's notifier, each naming the preset it was met in as
// qvrreport names it ("preset 4: Bad checksum").
class TPlacedMessages : public IUserNotifier, public IPresetMessages {
public:
    explicit TPlacedMessages(IUserNotifier& shown)
        : Shown(shown), Load(dynamic_cast<TLoadNotices*>(&shown)) {}

    // While set, nothing is passed on: the messages of a file read again were shown already.
    bool Quiet = false;

    void ShowError(const std::string& text) override {
        if (!Quiet) {
            Shown.ShowError(text);
        }
    }
    void ShowWarning(const std::string& text) override {
        if (!Quiet) {
            Shown.ShowWarning(text);
        }
    }
    void ShowInPreset(const TReportMessage& message) override {
        if (Quiet) {
            return;
        }
        const std::string part = PresetPart(message.PresetNumber, message.Preset);
        if (Load != nullptr) {
            Load->ShowIn(message.IsError, part, message.Text);
            return;
        }
        const std::string text = part.empty() ? message.Text : part + ": " + message.Text;
        if (message.IsError) {
            Shown.ShowError(text);
        } else {
            Shown.ShowWarning(text);
        }
    }

private:
    IUserNotifier& Shown;
    TLoadNotices* Load; // when it is one: a warning is shown once per text
};

class TPresetReportSource : public IReportSource {
public:
    explicit TPresetReportSource(IUserNotifier& notifier)
        : Placed(notifier), Report(Placed, ViewerConfigSearch()) {}

    std::string Build(const std::string& fileName, int32_t& columnCount) override {
        // The document Report.Build makes, with the summary noted on the way.
        Report.ColumnCount = columnCount;
        TStringTarget document;
        THtmlSink html(document, Report.ColumnCount);
        TPresetListSink summary(html);
        Emit(fileName, summary);
        columnCount = Report.ColumnCount;
        Summary = summary.Summary();
        Presets = std::move(summary.Presets);
        WithoutHeading = summary.WithoutHeading;
        return std::move(document.Text);
    }

    std::string BuildPart(const std::string& fileName, int32_t columnCount,
                          TPresetRange range) override {
        Placed.Quiet = true;
        const struct TLoud {
            TPlacedMessages& Placed;
            ~TLoud() { Placed.Quiet = false; }
        } loud{Placed};
        Report.ColumnCount = columnCount;
        TStringTarget document;
        THtmlSink html(document, Report.ColumnCount);
        TPresetRangeSink part(html, range);
        Emit(fileName, part);
        return std::move(document.Text);
    }

    void KeepStandardInput(std::string bytes) override { StandardInput = std::move(bytes); }
    TReportSummary LastSummary() const override { return Summary; }
    std::vector<TPresetLabel> LastPresets() const override { return Presets; }
    int LastPresetsWithoutHeading() const override { return WithoutHeading; }

private:
    void Emit(const std::string& fileName, IPresetSink& sink) {
        if (fileName == "-") {
            TMemoryInput in(StandardInput.data(), StandardInput.size());
            Report.Emit(in, sink, UserDecimalSeparator());
        } else {
            Report.Emit(fileName, sink, UserDecimalSeparator());
        }
    }

    TPlacedMessages Placed;
    TPresetReport Report;
    std::string StandardInput;
    TReportSummary Summary;
    std::vector<TPresetLabel> Presets;
    int WithoutHeading = 0;
};

} // namespace

TConfigSearch ViewerConfigSearch() {
    return TConfigSearch{std::nullopt, ProgramDataFolder()};
}

std::unique_ptr<IReportSource> MakePresetReportSource(IUserNotifier& notifier) {
    return std::make_unique<TPresetReportSource>(notifier);
}

} // namespace qvr
