#include "library/PresetSource.h"

#include "base/HeldNotices.h"
#include "library/Sqlite.h"
#include "report/PresetModel.h"
#include "report/PresetReport.h"
#include "report/Utf8Text.h"

#include <map>

namespace qvr {

namespace {

// The library keeps UTF-8; the files' texts are windows-1252.
std::string Utf8(std::string_view text) {
    TLineText line;
    AppendUtf8(line, text);
    return std::move(line.Text);
}

// Messages of one file, in the order shown.
class TMessageList : public IUserNotifier {
public:
    explicit TMessageList(std::vector<std::string>& list) : List(list) {}
    void ShowError(const std::string& text) override { List.push_back("error: " + Utf8(text)); }
    void ShowWarning(const std::string& text) override { List.push_back("warning: " + Utf8(text)); }

private:
    std::vector<std::string>& List;
};

// Copies each preset of the report's model into the rows the library keeps.
class TLibrarySink : public IPresetSink {
public:
    TLibrarySink(TSourceResult& result, const std::function<void(TLibPreset&&)>& onPreset)
        : Result(result), OnPreset(onPreset) {}

    void ReportStart(std::string_view model) override { Result.Model = std::string(model); }
    void ReportEnd() override {}

    void Preset(const TPreset& preset, bool /*headingFollows*/) override {
        if (!preset.HasHeading && preset.Modules.empty()) {
            return;
        }
        TLibPreset copy{preset.Number, Utf8(preset.Name), {}};
        copy.Modules.reserve(preset.Modules.size());
        for (const TModule& module : preset.Modules) {
            TLibModule row;
            // Modifiers have no place in the chain of components; the library
            // numbers every module of the preset in order.
            row.Position = static_cast<int32_t>(copy.Modules.size());
            row.Kind = std::string(ModuleKindName(module.Kind));
            row.TypeId = module.TypeId;
            row.Type = Utf8(module.TypeName);
            if (module.Heading) {
                row.Heading = Utf8(*module.Heading);
            }
            if (module.UserModelName) {
                row.UserModelName = Utf8(*module.UserModelName);
            }
            for (const TParameter& parameter : preset.ParametersOf(module)) {
                row.Parameters.push_back(TLibParameter{Utf8(parameter.ShownName()), parameter.Raw,
                                                       parameter.Number, Utf8(parameter.Text)});
            }
            copy.Modules.push_back(std::move(row));
        }
        OnPreset(std::move(copy));
    }

private:
    TSourceResult& Result;
    const std::function<void(TLibPreset&&)>& OnPreset;
};

} // namespace

struct TPresetSource::TCache {
    std::map<uint8_t, std::unique_ptr<TQvrConfig>> Configs;
};

TPresetSource::TPresetSource(TConfigSearch search)
    : Search(std::move(search)), Cache(std::make_unique<TCache>()) {
    TConfigSearch plain = Search;
    Search.Loaded = [this, plain](uint8_t productId) -> const TQvrConfig* {
        auto& config = Cache->Configs[productId];
        if (!config) {
            // A configuration that fails is loaded again by the report, which shows why.
            THeldNotices ignored;
            try {
                config = LoadProductConfig(productId, plain, ignored);
            } catch (const std::exception&) {
                return nullptr;
            }
        }
        return config.get();
    };
}

TPresetSource::~TPresetSource() = default;

TSourceResult TPresetSource::Read(const std::string& file,
                                  const std::function<void(TLibPreset&&)>& onPreset) {
    TSourceResult result;
    TMessageList messages(result.Errors);
    TPresetReport report(messages, Search);
    TLibrarySink sink(result, onPreset);
    try {
        report.Emit(file, sink, '.');
    } catch (const ELibraryDatabase&) {
        throw; // the library's trouble, not the file's
    } catch (const std::exception& error) {
        result.Errors.push_back(std::string("error: ") + error.what());
    }
    return result;
}

} // namespace qvr
