#include "library/PresetSource.h"

#include "base/HeldNotices.h"
#include "base/ProgramConvention.h"
#include "library/FileScan.h"
#include "library/Sqlite.h"
#include "report/InputBytes.h"
#include "report/PresetModel.h"
#include "report/PresetReport.h"
#include "report/Utf8Text.h"

#include <charconv>
#include <map>
#include <set>
#include <xxhash.h>

namespace qvr {

namespace {

// The library keeps UTF-8; the files' texts are windows-1252.
std::string Utf8(std::string_view text) {
    TLineText line;
    AppendUtf8(line, text);
    return std::move(line.Text);
}

// Messages of one file, in the order shown; one met in a preset names it ("warning: preset 4:
// TEXT"), as the report's messages do.
class TMessageList : public IUserNotifier, public IPresetMessages {
public:
    explicit TMessageList(std::vector<std::string>& list) : List(list) {}
    void ShowError(const std::string& text) override { List.push_back("error: " + Utf8(text)); }
    void ShowWarning(const std::string& text) override { List.push_back("warning: " + Utf8(text)); }
    void ShowInPreset(const TReportMessage& message) override {
        const std::string part = PresetPart(message.PresetNumber, message.Preset);
        List.push_back((message.IsError ? "error: " : "warning: ") +
                       (part.empty() ? std::string() : part + ": ") + Utf8(message.Text));
    }

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
    struct TLoaded {
        std::string Stamp; // ConfigStamps() of the product when it was loaded
        std::unique_ptr<TQvrConfig> Config;
    };
    std::map<uint8_t, TLoaded> Configs;
    std::set<uint8_t> Asked; // by the file being read
};

TPresetSource::TPresetSource(TConfigSearch search)
    : Search(std::move(search)), Cache(std::make_unique<TCache>()) {
    TConfigSearch plain = Search;
    Search.Loaded = [this, plain](uint8_t productId) -> const TQvrConfig* {
        Cache->Asked.insert(productId);
        auto& loaded = Cache->Configs[productId];
        std::string stamp = ConfigStamps({productId});
        if (!loaded.Config || loaded.Stamp != stamp) {
            loaded = {std::move(stamp), nullptr};
            // A configuration that fails is loaded again by the report, which shows why.
            THeldNotices ignored;
            try {
                loaded.Config = LoadProductConfig(productId, plain, ignored);
            } catch (const std::exception&) {
                return nullptr;
            }
        }
        return loaded.Config.get();
    };
}

std::string TPresetSource::ConfigStamps(const std::vector<uint8_t>& products) const {
    TConfigSearch plain = Search;
    plain.Loaded = nullptr;
    const std::vector<std::string> paths = ProductConfigPaths(plain);
    std::string stamps;
    for (const uint8_t product : products) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "literal" + a
        // temporary string.
        const std::string name = std::string("/").append(ProductConfigFileName(product));
        std::string files;
        for (const std::string& path : paths) {
            if (path.ends_with(name)) {
                const std::optional<TFileStamp> stamp = StampOf(path);
                files.append(path);
                if (stamp) {
                    files.append(" ").append(std::to_string(stamp->Size));
                    files.append(" ").append(std::to_string(stamp->ModifiedNs));
                } else {
                    files.append(" none");
                }
                files.push_back('\n');
            }
        }
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(XXH3_64bits(files.data(), files.size())));
        stamps.append(stamps.empty() ? "" : " ").append(std::to_string(product));
        stamps.append("=").append(hex);
    }
    return stamps;
}

std::string TPresetSource::ConfigStampsNow(std::string_view recorded) const {
    std::vector<uint8_t> products;
    while (!recorded.empty()) {
        unsigned product = 0;
        const auto [end, error] =
            std::from_chars(recorded.data(), recorded.data() + recorded.size(), product);
        if (error == std::errc() && product <= 255) {
            products.push_back(static_cast<uint8_t>(product));
        }
        const size_t next = recorded.find(' ', static_cast<size_t>(end - recorded.data()));
        recorded.remove_prefix(next == std::string_view::npos ? recorded.size() : next + 1);
    }
    return ConfigStamps(products);
}

TPresetSource::~TPresetSource() = default;

TSourceResult TPresetSource::Read(TInputFile& file,
                                  const std::function<void(TLibPreset&&)>& onPreset) {
    TSourceResult result;
    TMessageList messages(result.Errors);
    TPresetReport report(messages, Search);
    TLibrarySink sink(result, onPreset);
    Cache->Asked.clear();
    try {
        TInputBytes bytes(file);
        report.Emit(bytes, sink, '.');
    } catch (const ELibraryDatabase&) {
        throw; // the library's trouble, not the file's
    } catch (const std::exception& error) {
        result.Errors.push_back(std::string("error: ") + error.what());
    }
    result.Configs = ConfigStamps({Cache->Asked.begin(), Cache->Asked.end()});
    return result;
}

} // namespace qvr
