// Feeds preset files through the whole report: message reading, every
// renderer and the HTML writer, with the example configuration files. Each
// configuration is loaded once and kept (loading one is the configuration
// fuzzer's part), so that a run takes microseconds, not a configuration load.
//
// The document may hold only the markup the report writes itself: preset
// texts are escaped, and the example configurations hold no markup.
//
// Input: byte 0 picks the product (mostly one of the five models), byte 1
// the form of the rest. Odd: the rest is the file as it stands. Even: the
// rest is a list of messages (id, length, payload) that are written with a
// valid envelope and checksum, so that the renderers see deep bodies.
//
// The same file also goes through the preset records of a comparison.

#include "base/ByteTarget.h"
#include "report/HtmlSink.h"
#include "report/PresetCompare.h"
#include "report/PresetRecord.h"
#include "report/PresetReport.h"
#include "sysex/ByteInput.h"
#include "sysex/Products.h"
#include "sysex/Qvrsysex.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

class TSilentNotifier : public qvr::IUserNotifier {
public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
};

uint8_t ProductOf(uint8_t selector) {
    const auto products = qvr::Products();
    return selector < 250 ? products[selector % products.size()].Id : selector;
}

std::string FramedFile(uint8_t product, const uint8_t* data, size_t size) {
    std::ostringstream out;
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t messageId = data[at];
        size_t length = data[at + 1];
        at += 2;
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

// The configuration of each model, loaded from the examples at the first use.
const qvr::TQvrConfig* LoadedConfig(uint8_t productId) {
    static const std::map<uint8_t, std::unique_ptr<qvr::TQvrConfig>> configs = [] {
        std::map<uint8_t, std::unique_ptr<qvr::TQvrConfig>> loaded;
        for (const qvr::TProduct& product : qvr::Products()) {
            loaded[product.Id] = std::make_unique<qvr::TQvrConfig>(
                std::string(QVR_EXAMPLE_CONFIG_DIR) + std::string(product.ConfigFile));
        }
        return loaded;
    }();
    const auto it = configs.find(productId);
    return it == configs.end() ? nullptr : it->second.get();
}

bool IsTagLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether every '<' of the document opens or closes one of the report's own elements.
bool OnlyReportMarkup(const std::string& document) {
    static const std::set<std::string_view> tags = {"table", "tr", "td", "th", "b", "br"};
    for (size_t at = document.find('<'); at != std::string::npos; at = document.find('<', at + 1)) {
        size_t start = at + 1;
        if (start < document.size() && document[start] == '/') {
            ++start;
        }
        size_t end = start;
        while (end < document.size() && IsTagLetter(document[end])) {
            ++end;
        }
        if (end == document.size() || (document[end] != '>' && document[end] != ' ') ||
            tags.count(std::string_view(document).substr(start, end - start)) == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint8_t product = ProductOf(data[0]);
    const bool raw = (data[1] & 1) != 0;
    const std::string file = raw ? std::string(reinterpret_cast<const char*>(data + 2), size - 2)
                                 : FramedFile(product, data + 2, size - 2);

    TSilentNotifier notifier;
    qvr::TConfigSearch search;
    search.EditorFolder = QVR_EXAMPLE_CONFIG_DIR;
    search.ProgramFolder = QVR_EXAMPLE_CONFIG_DIR;
    search.Loaded = LoadedConfig;
    qvr::TPresetReport report(notifier, search);
    report.ColumnCount = 1 + data[1] / 2 % 4;
    qvr::TMemoryInput in(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    qvr::TStringTarget document;
    qvr::THtmlSink html(document, report.ColumnCount);
    report.Emit(in, html, '.');
    const std::string& text = document.Text;
    // Every document is one table that ends the same way.
    if (text.size() < 9 || text.compare(text.size() - 9, 9, "</table>\n") != 0 ||
        !OnlyReportMarkup(text)) {
        __builtin_trap();
    }

    // The same events as preset records, as a comparison holds them: each reads back to the
    // same record (nothing differs from itself), and neighbours compare without harm.
    std::vector<qvr::TPresetRecord> records;
    qvr::TPresetCollector collector(
        [&](qvr::TPresetRecord&& record) { records.push_back(std::move(record)); });
    qvr::TMemoryInput again(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    report.Emit(again, collector, '.');
    for (size_t i = 0; i < records.size(); ++i) {
        if (!qvr::ComparePresets(records[i], records[i]).empty()) {
            __builtin_trap();
        }
        if (i > 0) {
            qvr::ComparePresets(records[i - 1], records[i]);
        }
    }
    return 0;
}
