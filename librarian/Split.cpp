#include "librarian/Split.h"

#include "librarian/FileNames.h"
#include "platform/FolderTree.h"
#include "platform/NewFiles.h"
#include "platform/TempFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
        result.ErrorPath = folder.string();
        result.Error = "cannot create the folder: " + error.message();
        return result;
    }
    // Every file is made relative to this descriptor: the folder cannot be swapped for
    // another one half-way.
    const TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<std::string> names;
    if (!dir.IsOpen() || !ListFolder(dir.Get(), names)) {
        result.ErrorPath = folder.string();
        result.Error = std::string("cannot read the folder: ") + std::strerror(errno);
        return result;
    }
    SweepStaleTempFilesOnce(dir.Get(), folder.string());
    TFreeNames freeNames(std::set<std::string>(names.begin(), names.end()));
    TNewFiles files(dir.Get());
    for (const TSplitPart& part : parts) {
        const std::string& stem = part.Stem;
        if (!files.Add(part.Bytes, [&freeNames, &stem, extension] {
                return freeNames.Next(stem, extension);
            })) {
            break;
        }
    }
    files.Finish();
    result.Written = files.Named();
    if (files.Error() != 0) {
        result.ErrorPath =
            files.FailedName().empty() ? folder.string() : (folder / files.FailedName()).string();
        result.Error = std::string(files.FailedName().empty() ? "cannot write a new file: "
                                                              : "cannot write: ") +
                       std::strerror(files.Error());
    }
    return result;
}

} // namespace qvr
