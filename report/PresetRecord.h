#pragma once

#include "report/PresetModel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// A preset as its report shows it, in compact form for holding many: the
// number and name, and one string that holds its modules (each with what
// identifies it in the chain) and their lines, each text prefixed by its
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

// What a module is and where it stands: enough to tell apart two modules that
// show lines of one name (Input and Output) or that have no name at all.
struct TModuleRef {
    TModuleKind Kind = TModuleKind::Loose;
    std::optional<int32_t> Position; // in the chain of components, from 0
    int32_t Id = 0;                  // the configuration's component or modifier id

    bool operator==(const TModuleRef&) const = default;
};

// A module of a preset with its lines (the user-model name first, as "Name").
// Key tells what the module is (its kind and the configuration's id), which a
// module of the same place in another version of the preset shares; Ref adds
// its position. Label is its heading, else the configuration's name.
struct TRecordModule {
    std::optional<std::string_view> Heading;
    std::string_view Key;
    TModuleRef Ref;
    std::string_view Label;
    std::vector<TRecordLine> Lines;
};

// The kind and id of a module entry's key (what matches across versions of a
// preset), and all that the key says.
std::string_view ModuleIdentity(std::string_view key);
TModuleRef ModuleRefOf(std::string_view key);

// The entries of a record's body one after the other: a module heading, a pair
// or a whole line; views into the body.
class TRecordReader {
public:
    // A module with a heading and one without; Name is its heading or label,
    // Value its key (see ModuleRefOf).
    enum class TKind : char { Module = 'M', HeadlessModule = 'N', Pair = 'V', Line = 'L' };
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

// The record of a preset.
TPresetRecord RecordOf(const TPreset& preset);

// Hands on the record of every preset of a report, and its model.
class TPresetCollector : public IPresetSink {
public:
    using TOnPreset = std::function<void(TPresetRecord&&)>;
    using TOnMessage = std::function<void(const TReportMessage&)>;
    // `onModel` is called at the start of the report with the file's model,
    // `onMessage` with each message shown while it was read.
    explicit TPresetCollector(TOnPreset onPreset,
                              std::function<void(std::string_view)> onModel = {},
                              TOnMessage onMessage = {})
        : OnPreset(std::move(onPreset)), OnModel(std::move(onModel)),
          OnMessage(std::move(onMessage)) {}

    void ReportStart(std::string_view model) override {
        if (OnModel) {
            OnModel(model);
        }
    }
    void Preset(const TPreset& preset, bool) override { OnPreset(RecordOf(preset)); }
    void ReportEnd() override {}
    void Message(const TReportMessage& message) override {
        if (OnMessage) {
            OnMessage(message);
        }
    }

private:
    TOnPreset OnPreset;
    std::function<void(std::string_view)> OnModel;
    TOnMessage OnMessage;
};

} // namespace qvr
