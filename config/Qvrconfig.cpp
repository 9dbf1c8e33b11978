#include "config/Qvrconfig.h"

#include "config/ConfigReader.h"

#include <filesystem>
#include <system_error>

namespace qvr {

namespace {

template <class TList> auto FindById(const TList& list, int32_t id) -> decltype(&list.Object(0)) {
    for (size_t i = 0; i < list.Count(); ++i) {
        if (list.Object(i).Id == id) {
            return &list.Object(i);
        }
    }
    return nullptr;
}

} // namespace

TQvrConfig::TQvrConfig(const std::string& fileName) {
    // Only a regular file is read. A folder would open like a file but not read
    // as one, and opening a pipe or a device could wait for ever; the type is
    // looked at before anything is opened, so neither is ever touched.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) {
        throw EQvrCannotOpenFile();
    }
    // Binary, so that positions are plain byte offsets; CR of CR LF line ends
    // goes with the trimming of every line.
    Stream.open(fileName, std::ios::in | std::ios::binary);
    if (!Stream.is_open()) {
        throw EQvrCannotOpenFile();
    }
    // Each search starts where the previous reader stopped, which fixes the
    // order of the sections.
    RequireSection("device");
    RequireSection("presets");
    RequireSection("components");
    RequireSection("fx");
    ReadComponents(FxComponents, Stream);
    RequireSection("qvr");
    ReadComponents(QvrComponents, Stream);
    RequireSection("modifiers");
    ReadModifiers(Modifiers, Stream);
}

void TQvrConfig::RequireSection(const char* name) {
    if (!FindSection(Stream, name)) {
        throw EQvrInvalidConfigFile("Section '" + std::string(name) + "' not found.");
    }
}

const TQvrComponent* TQvrConfig::FindComponentById(int32_t id) const {
    if (const TQvrComponent* fx = FindById(FxComponents, id)) {
        return fx;
    }
    return FindById(QvrComponents, id);
}

const TQvrModifier* TQvrConfig::FindModifierById(int32_t id) const {
    return FindById(Modifiers, id);
}

} // namespace qvr
