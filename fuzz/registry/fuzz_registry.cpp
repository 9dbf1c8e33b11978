// A settings file edited by hand may hold anything: parsing it, reading the program's values
// and writing one back must never crash, and the written text must parse to the same values.
#include "platform/RegistryDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view SettingsKey = "HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer";

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qvr::TRegDocument doc;
    doc.Parse(text);
    (void)doc.HasKey(SettingsKey);
    (void)doc.FindValue(SettingsKey, "ColCount");

    qvr::TRegValue value;
    value.Type = qvr::RegDword;
    value.Data = std::string("\x04\x00\x00\x00", 4);
    if (doc.SetValue(SettingsKey, "ColCount", value)) {
        qvr::TRegDocument again;
        again.Parse(doc.Text());
        const qvr::TRegValue* read = again.FindValue(SettingsKey, "ColCount");
        Require(read != nullptr && read->Type == qvr::RegDword && read->Data == value.Data);
    }
    return 0;
}
