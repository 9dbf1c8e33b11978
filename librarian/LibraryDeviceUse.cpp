#include "librarian/LibraryDeviceUse.h"

#include "library/Schema.h"
#include "library/ValuesSeen.h"
#include "report/Utf8Text.h"

#include <cstdint>
#include <filesystem>
#include <memory>

namespace qvr {

namespace {

// The library keeps its texts in UTF-8; edits hold the files' code page.
std::string Utf8(std::string_view text) {
    TLineText line;
    AppendUtf8(line, text);
    return std::move(line.Text);
}

} // namespace

TDeviceUse LibraryDeviceUse(const char* command, const TLibraryOptions& options,
                            const std::string& model) {
    TDeviceUse use;
    const std::string path = options.Database.empty() ? DefaultLibraryPath() : options.Database;
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        return use;
    }
    const std::shared_ptr<TLibrary> library(OpenLibraryFor(command, options));
    if (!library) {
        return use;
    }
    const TNamesSeen names = PresetNamesSeen(library->Database(), model);
    if (names.Names > 0) {
        use.Names.emplace();
        use.Names->Characters = names.Characters;
        use.Names->Longest = names.Longest;
    }
    use.Values = [library](const TSeenKey& key) {
        const std::string type = Utf8(key.TypeName);
        std::optional<std::string> heading;
        if (key.Heading) {
            heading = Utf8(*key.Heading);
        }
        const TSeenModule module{key.Model, key.Kind, key.TypeId, type,
                                 heading ? std::optional<std::string_view>(*heading)
                                         : std::nullopt};
        std::vector<int32_t> values;
        for (const int64_t raw :
             ParameterValuesSeen(library->Database(), module, Utf8(key.Parameter))) {
            if (raw >= INT32_MIN && raw <= INT32_MAX) {
                values.push_back(static_cast<int32_t>(raw));
            }
        }
        return values;
    };
    return use;
}

} // namespace qvr
