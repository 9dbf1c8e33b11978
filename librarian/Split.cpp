#include "librarian/Split.h"

#include "librarian/FileNames.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace qvr {

namespace {

std::string Padded(int32_t number, size_t width) {
    std::string digits = std::to_string(number);
    return std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

std::string PresetStem(const TDumpPreset& preset, size_t width) {
    const std::string name = SafeFileName(preset.Header.Name);
    const std::optional<int32_t> number = preset.Header.Number();
    if (!number) {
        return name.empty() ? "Preset" : name;
    }
    return name.empty() ? Padded(*number, width) : Padded(*number, width) + " " + name;
}

} // namespace

std::vector<TSplitPart> SplitParts(const TDump& dump) {
    size_t width = 2;
    for (const TDumpPreset& preset : dump.Presets) {
        width = std::max(width, std::to_string(preset.Header.Number().value_or(0)).size());
    }
    std::vector<TSplitPart> parts;
    if (const size_t leading = dump.LeadingMessages(); leading > 0) {
        parts.push_back({Padded(0, width) + " Before first preset", dump.MessageBytes(0, leading)});
    }
    for (const TDumpPreset& preset : dump.Presets) {
        parts.push_back({PresetStem(preset, width), dump.PresetBytes(preset), &preset});
    }
    return parts;
}

TSplitResult WriteSplit(const std::vector<TSplitPart>& parts, const std::filesystem::path& folder,
                        std::string_view extension) {
    TSplitResult result;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        result.Error = "cannot create the folder " + folder.string() + ": " + error.message();
        return result;
    }
    std::set<std::string> taken;
    for (const TSplitPart& part : parts) {
        std::string name;
        try {
            name = FreeFileName(folder, part.Stem, extension, taken);
        } catch (const std::runtime_error& e) {
            result.Error = e.what();
            return result;
        }
        TAtomicFile file((folder / name).string());
        if (!file.IsOpen() || !file.Write(part.Bytes.data(), part.Bytes.size()) || !file.Commit()) {
            result.Error = "cannot write " + file.Target() + ": " + std::strerror(file.Error());
            return result;
        }
        result.Written.push_back(name);
    }
    return result;
}

} // namespace qvr
