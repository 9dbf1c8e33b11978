#include "library/PresetSource.h"

#include "base/HeldNotices.h"
#include "library/Sqlite.h"
#include "report/PresetRecord.h"
#include "report/PresetReport.h"
#include "report/Utf8Text.h"

#include <charconv>
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

std::optional<double> NumberOf(std::string_view text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

TLibPreset PresetOf(const TPresetRecord& record) {
    TLibPreset preset{record.Number, Utf8(record.Name), {}};
    for (const TRecordModule& part : RecordModules(record)) {
        TLibModule module;
        module.Position = static_cast<int32_t>(preset.Modules.size());
        if (part.Heading) {
            module.Heading = Utf8(*part.Heading);
            module.Kind = "component";
        } else {
            module.Kind = preset.Modules.empty() ? "input" : "output";
        }
        for (const TRecordLine& line : part.Lines) {
            if (!line.IsPair) {
                continue;
            }
            if (line.Name == "Name" && part.Heading && !module.UserModelName &&
                module.Parameters.empty()) {
                module.UserModelName = Utf8(line.Value);
                continue;
            }
            if (module.Type.empty() && line.Name.ends_with("Type")) {
                module.Type = Utf8(line.Value);
            }
            module.Parameters.push_back(TLibParameter{Utf8(line.Name), std::nullopt,
                                                      NumberOf(line.Value), Utf8(line.Value)});
        }
        preset.Modules.push_back(std::move(module));
    }
    return preset;
}

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
    TPresetCollector collector(
        [&](TPresetRecord&& record) {
            if (record.Number || !record.Name.empty() || !record.Body.empty()) {
                onPreset(PresetOf(record));
            }
        },
        [&](std::string_view model) { result.Model = std::string(model); });
    try {
        report.Emit(file, collector, '.');
    } catch (const ELibraryDatabase&) {
        throw; // the library's trouble, not the file's
    } catch (const std::exception& error) {
        result.Errors.push_back(std::string("error: ") + error.what());
    }
    return result;
}

} // namespace qvr
