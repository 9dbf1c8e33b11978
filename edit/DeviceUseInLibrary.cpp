#include "edit/DeviceUseInLibrary.h"

#include "library/ValuesSeen.h"
#include "report/Utf8Text.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace qvr {

namespace {

// The library keeps its texts in UTF-8; edits hold the files' code page.
std::string Utf8(std::string_view text) {
    TLineText line;
    AppendUtf8(line, text);
    return std::move(line.Text);
}

} // namespace

TDeviceUse DeviceUseInLibrary(std::shared_ptr<TSqlite> database, const std::string& model) {
    TDeviceUse use;
    const TNamesSeen names = PresetNamesSeen(*database, model);
    if (names.Names > 0) {
        use.Names.emplace();
        use.Names->Characters = names.Characters;
        use.Names->Longest = names.Longest;
    }
    use.Values = [database](const TSeenKey& key) {
        const std::string type = Utf8(key.TypeName);
        std::optional<std::string> heading;
        if (key.Heading) {
            heading = Utf8(*key.Heading);
        }
        const TSeenModule module{key.Model, key.Kind, key.TypeId, type,
                                 heading ? std::optional<std::string_view>(*heading)
                                         : std::nullopt};
        std::vector<int32_t> values;
        for (const int64_t raw : ParameterValuesSeen(*database, module, Utf8(key.Parameter))) {
            if (raw >= INT32_MIN && raw <= INT32_MAX) {
                values.push_back(static_cast<int32_t>(raw));
            }
        }
        return values;
    };
    return use;
}

} // namespace qvr
