// Feeds preset files through the whole report: message reading, the product
// configuration lookup with the example configuration files, every renderer
// and the document writer.
//
// Input: byte 0 picks the product (mostly one of the five models), byte 1
// the form of the rest. Odd: the rest is the file as it stands. Even: the
// rest is a list of messages (id, length, payload) that are written with a
// valid envelope and checksum, so that the renderers see deep bodies.

#include "report/PresetReport.h"
#include "sysex/Products.h"
#include "sysex/Qvrsysex.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
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

const std::string& InputPath() {
    static const std::string path = "/tmp/fuzz_report_" + std::to_string(::getpid()) + ".syx";
    return path;
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
    {
        std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
        out.write(file.data(), static_cast<std::streamsize>(file.size()));
    }

    TSilentNotifier notifier;
    qvr::TConfigSearch search;
    search.EditorFolder = QVR_EXAMPLE_CONFIG_DIR;
    search.ProgramFolder = QVR_EXAMPLE_CONFIG_DIR;
    qvr::TPresetReport report(notifier, search);
    report.ColumnCount = 1 + data[1] / 2 % 4;
    const std::string document = report.Build(InputPath());
    // Every document is one table that ends the same way.
    if (document.size() < 9 || document.compare(document.size() - 9, 9, "</table>\n") != 0) {
        __builtin_trap();
    }
    return 0;
}
