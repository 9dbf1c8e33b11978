// Random edits of random presets: whatever the file and the edits, the edited file reads back
// whole, each value reads back as set, and the comparison with the file shows the edited values
// and nothing else.
//
// Input: byte 0 picks the product, bytes 1 and 2 the length of the file part; the file part is a
// list of messages (id, 16-bit length high byte first, payload) written with a valid envelope
// and checksum, so that the
// editor sees deep bodies; each 6 bytes that follow are one edit: the preset's module and value
// (bytes 0 and 1), the raw number (bytes 2 to 5). Bit 7 of byte 1 sets the value by its shown
// text, else by the raw number; module byte 255 renames the preset to the four bytes.

#include "edit/PresetEditor.h"
#include "report/PresetCompare.h"
#include "report/PresetRecord.h"
#include "report/PresetReport.h"
#include "report/ValueFormat.h"
#include "sysex/ByteInput.h"
#include "sysex/Products.h"
#include "sysex/Qvrsysex.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

class TErrorCount : public qvr::IUserNotifier {
public:
    void ShowError(const std::string&) override { ++Errors; }
    void ShowWarning(const std::string&) override {}
    size_t Errors = 0;
};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string FramedFile(uint8_t product, const uint8_t* data, size_t size) {
    std::ostringstream out;
    size_t at = 0;
    while (at + 3 <= size) {
        const uint8_t messageId = data[at];
        size_t length = data[at + 1] * 256u + data[at + 2];
        at += 3;
        if (length > size - at) {
            length = size - at;
        }
        qvr::TKorvaneQVRSysEx message;
        message.SetManufacturerId(16);
        message.SetDeviceId(0);
        message.SetProductId(product);
        message.SetMessageId(messageId);
        message.SetBody(std::vector<uint8_t>(data + at, data + at + length));
        message.WriteMessage(out);
        at += length;
    }
    return out.str();
}

std::shared_ptr<const qvr::TQvrConfig> LoadedConfig(uint8_t productId) {
    static const std::map<uint8_t, std::shared_ptr<const qvr::TQvrConfig>> configs = [] {
        std::map<uint8_t, std::shared_ptr<const qvr::TQvrConfig>> loaded;
        for (const qvr::TProduct& product : qvr::Products()) {
            loaded[product.Id] = std::make_shared<qvr::TQvrConfig>(
                std::string(QVR_EXAMPLE_CONFIG_DIR) + std::string(product.ConfigFile));
        }
        return loaded;
    }();
    const auto it = configs.find(productId);
    return it == configs.end() ? nullptr : it->second;
}

std::vector<qvr::TPresetRecord> Records(const std::string& bytes, const qvr::TQvrConfig& config,
                                        size_t& errors) {
    std::vector<qvr::TPresetRecord> records;
    TErrorCount notifier;
    qvr::TConfigSearch search;
    search.ProgramFolder = "/";
    search.Loaded = [&config](uint8_t) { return &config; };
    qvr::TPresetReport report(notifier, search);
    qvr::TPresetCollector collector(
        [&records](qvr::TPresetRecord&& record) { records.push_back(std::move(record)); });
    qvr::TMemoryInput in(bytes.data(), bytes.size());
    report.Emit(in, collector, '.');
    errors = notifier.Errors;
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    const auto products = qvr::Products();
    const uint8_t product = products[data[0] % products.size()].Id;
    const size_t fileLength = std::min<size_t>(size - 3, data[1] * 256u + data[2]);
    const std::string file = FramedFile(product, data + 3, fileLength);
    const std::shared_ptr<const qvr::TQvrConfig> config = LoadedConfig(product);
    qvr::TDump dump = qvr::ReadDump(file);
    if (!dump.Problem.empty() || dump.Presets.empty()) {
        return 0;
    }
    std::optional<qvr::TPresetEditor> editor;
    try {
        editor.emplace(std::move(dump), 0, config);
    } catch (const qvr::EEditError&) {
        return 0;
    }

    // The names the comparison may show changed: the values edited, as its lines name them.
    std::set<std::string> edited;
    const std::vector<qvr::TEditableModule>& modules = editor->Modules();
    for (size_t at = 3 + fileLength; at + 6 <= size; at += 6) {
        const uint8_t* const edit = data + at;
        const auto raw = static_cast<int32_t>(static_cast<uint32_t>(edit[2]) << 24 |
                                              static_cast<uint32_t>(edit[3]) << 16 |
                                              static_cast<uint32_t>(edit[4]) << 8 | edit[5]);
        if (edit[0] == 255) {
            std::string name(reinterpret_cast<const char*>(edit + 2), 4);
            name.erase(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
            const bool renamed = editor->Rename(name, true).Done;
            Require(!renamed || editor->Name() == name);
            continue;
        }
        if (modules.empty()) {
            continue;
        }
        const qvr::TEditableModule& module = modules[edit[0] % modules.size()];
        if (module.Values.empty()) {
            continue;
        }
        const qvr::TEditableValue& value = module.Values[(edit[1] & 0x7F) % module.Values.size()];
        const std::string text = qvr::FormatParamValue(*value.Param, raw, '.');
        if (std::getenv("FUZZ_EDIT_TRACE") != nullptr) {
            std::fprintf(stderr, "set %s: %s = %s (raw %d, %s)\n", module.Label.c_str(),
                         value.Name.c_str(), text.c_str(), raw, (edit[1] & 0x80) ? "text" : "raw");
        }
        const qvr::TEditResult result = (edit[1] & 0x80) != 0
                                            ? editor->Set(module.Label, value.Name, text, true)
                                            : editor->SetRaw(module, value, raw, true);
        // Every text a raw number shows reads back, as that number or one of the same text.
        if (!result.Done || editor->Text(value) != text) {
            std::fprintf(stderr, "%s: %s = %s (raw %d): %s\n", module.Label.c_str(),
                         value.Name.c_str(), text.c_str(), raw, result.Problem.c_str());
            std::abort();
        }
        edited.insert(value.Role == qvr::TValueRole::Parameter ? value.Name
                      : value.Role == qvr::TValueRole::LinkMax ? "Max"
                                                               : "Min");
    }

    std::string bytes;
    try {
        bytes = editor->Bytes();
    } catch (const qvr::EEditError&) {
        std::abort(); // an edited file always reads back whole
    }
    if (const char* keep = std::getenv("FUZZ_EDIT_KEEP")) {
        std::ofstream(std::string(keep) + ".old", std::ios::binary) << file;
        std::ofstream(std::string(keep) + ".new", std::ios::binary) << bytes;
    }
    size_t errorsBefore = 0;
    size_t errorsAfter = 0;
    const std::vector<qvr::TPresetRecord> before = Records(file, *config, errorsBefore);
    const std::vector<qvr::TPresetRecord> after = Records(bytes, *config, errorsAfter);
    Require(errorsAfter == errorsBefore);
    Require(before.size() == after.size());
    size_t renamed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        renamed += before[i].Name != after[i].Name ? 1 : 0;
        for (const qvr::TChange& change : qvr::ComparePresets(before[i], after[i])) {
            if (change.Kind != qvr::TChange::TKind::ValueChanged ||
                edited.count(change.Name) == 0) {
                std::fprintf(stderr, "changed: %s: %s: %s -> %s\n",
                             change.Module.value_or("").c_str(), change.Name.c_str(),
                             change.Old.c_str(), change.New.c_str());
                std::abort();
            }
        }
    }
    Require(renamed <= 1);
    if (editor->Edits().Empty()) {
        Require(bytes == file);
    }
    return 0;
}
