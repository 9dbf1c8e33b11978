#include "library/Fingerprint.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <xxhash.h>

namespace qvr {

namespace {

// The preset's content as one byte string; each text prefixed by its length so
// that no two contents run together into the same bytes.
class TContent {
public:
    void Text(std::string_view text) {
        Number(static_cast<int64_t>(text.size()));
        Bytes.append(text);
    }
    void Number(int64_t value) {
        // Little-endian, whatever the machine, so that a library moved keeps its fingerprints.
        // Gathered first and appended at once: every parameter of every preset adds some.
        char bytes[8];
        for (size_t i = 0; i < sizeof bytes; ++i) {
            bytes[i] = static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
        }
        Bytes.append(bytes, sizeof bytes);
    }
    template <class T> void Maybe(const std::optional<T>& value) {
        Bytes.push_back(value ? '1' : '0');
        if (value) {
            if constexpr (std::is_same_v<T, std::string>) {
                Text(*value);
            } else {
                Number(*value);
            }
        }
    }
    int64_t Hash() const { return static_cast<int64_t>(XXH3_64bits(Bytes.data(), Bytes.size())); }

private:
    std::string Bytes;
};

} // namespace

int64_t PresetFingerprint(const TLibPreset& preset) {
    TContent content;
    for (const TLibModule& module : preset.Modules) {
        content.Number(module.Position);
        content.Text(module.Kind);
        content.Maybe(module.TypeId);
        content.Text(module.Type);
        content.Maybe(module.Heading);
        content.Maybe(module.UserModelName);
        content.Number(static_cast<int64_t>(module.Parameters.size()));
        for (const TLibParameter& parameter : module.Parameters) {
            content.Text(parameter.Name);
            content.Maybe(parameter.Raw);
            content.Text(parameter.Text);
        }
    }
    return content.Hash();
}

} // namespace qvr
