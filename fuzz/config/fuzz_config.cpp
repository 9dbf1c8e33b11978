// Loads arbitrary bytes as a product configuration file. Every failure must be
// one of the errors the loader documents; anything else is a finding.
#include "base/Errors.h"
#include "config/Qvrconfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The file that each input is written to, removed when the run ends.
struct TTempFile {
    std::string Path = "/tmp/fuzz_config_" + std::to_string(::getpid()) + ".cfg";
    ~TTempFile() { std::remove(Path.c_str()); }
};

const std::string& TempPath() {
    static const TTempFile file;
    return file.Path;
}

// Walks everything that was loaded, as the report would.
size_t Visit(const qvr::TQvrConfig& config) {
    size_t n = 0;
    for (const auto* list : {&config.FxComponents, &config.QvrComponents}) {
        for (size_t i = 0; i < list->Count(); ++i) {
            const qvr::TQvrComponent& c = list->Object(i);
            n += c.Name.size() + c.TypeNames.size() + c.Properties.Count();
            for (size_t t = 0; t < c.Types.Count(); ++t) {
                n += c.Types.Item(t).Params.Count();
            }
            if (config.FindComponentById(c.Id) == nullptr) {
                __builtin_trap();
            }
        }
    }
    for (size_t i = 0; i < config.Modifiers.Count(); ++i) {
        n += config.Modifiers.Object(i).Params.Count();
        if (config.FindModifierById(config.Modifiers.Object(i).Id) == nullptr) {
            __builtin_trap();
        }
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = TempPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        const qvr::TQvrConfig config(path);
        volatile size_t sink = Visit(config);
        (void)sink;
    } catch (const qvr::EQvrInvalidConfigFile&) {
    } catch (const qvr::EQvrCannotOpenFile&) {
    } catch (const qvr::ELibraryError&) {
    }
    return 0;
}
