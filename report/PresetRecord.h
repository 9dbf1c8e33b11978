#pragma once

#include "report/ReportSink.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// A preset as its report says it, in compact form: the number and name, and
// one string that holds its modules and their lines, each text prefixed by its
// length. Texts are the file's bytes (windows-1252).
struct TPresetRecord {
    std::optional<int32_t> Number;
    std::string Name;
    std::string Body;
};

// One line of a module: "name = value", or a whole line (Name is its text).
struct TRecordLine {
    std::string_view Name;
    std::string_view Value;
    bool IsPair = false;

    bool operator==(const TRecordLine&) const = default;
};

// A module of a preset with its lines; the lines before a preset's first
// module sit in a module without a heading.
struct TRecordModule {
    std::optional<std::string_view> Heading;
    std::vector<TRecordLine> Lines;
};

// The entries of a record's body one after the other: a module heading, a pair
// or a whole line; views into the body.
class TRecordReader {
public:
    enum class TKind : char { Module = 'M', Pair = 'V', Line = 'L' };
    explicit TRecordReader(std::string_view body) : Body(body) {}

    // False at the end of the body.
    bool Next();
    TKind Kind = TKind::Line;
    std::string_view Name; // heading, name or the whole line
    std::string_view Value;

private:
    std::string_view ReadText();
    std::string_view Body;
    size_t At = 0;
};

// The modules of a record in chain order; views into its body.
std::vector<TRecordModule> RecordModules(const TPresetRecord& record);

// Reduces a report's events to preset records and hands each one on once it
// is final: when the next chain starts (no user-model name can reach it any
// more), or at the end of the report. Holds only the presets that a name may
// still reach. Events before any preset heading form a preset without number
// and name.
class TPresetCollector : public IReportSink {
public:
    using TOnPreset = std::function<void(TPresetRecord&&)>;
    // `onModel` is called at the start of the report with the file's model.
    TPresetCollector(TOnPreset onPreset, std::function<void(std::string_view)> onModel = {})
        : OnPreset(std::move(onPreset)), OnModel(std::move(onModel)) {}

    void ReportStart(std::string_view model) override;
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override;
    void ChainStart() override;
    void ModuleStart(std::string_view heading, TNameSlot slot) override;
    void Value(std::string_view name, std::string_view value) override;
    void Line(std::string_view text) override;
    void UserModelName(TNameSlot slot, std::string_view name) override;
    void ReportEnd() override;

private:
    struct TMark {
        size_t Preset; // serial number of the preset
        size_t At;     // offset in its body
    };
    TPresetRecord& Current();
    // Hands on the open presets before the current one that no mark reaches.
    void HandOn(bool all);

    TOnPreset OnPreset;
    std::function<void(std::string_view)> OnModel;
    std::vector<TPresetRecord> Open; // oldest first; the last is the current one
    size_t FirstSerial = 0;          // serial number of Open.front()
    std::array<std::optional<TMark>, 5> Marks;
};

} // namespace qvr
