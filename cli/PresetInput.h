#pragma once

#include "platform/InputFile.h"
#include "report/InputBytes.h"

#include <optional>
#include <string>

namespace qvr {

// The preset file the exporter reads: the file of that name (a regular file, or a pipe or
// other stream the user named), or standard input for "-". It is opened once, without
// waiting; one that cannot be opened, a folder or a file larger than MaxInputSize is not read
// at all: Error() says why.
class TPresetInput {
public:
    explicit TPresetInput(const std::string& name);
    TPresetInput(const TPresetInput&) = delete;
    TPresetInput& operator=(const TPresetInput&) = delete;

    // Why the bytes cannot be read, in the system's words; empty when they can.
    const std::string& Error() const { return File.Problem(); }
    // The bytes, read through the file opened; only when Error() is empty.
    TByteInput& Bytes() { return *Input; }
    // A path that names the same file, for comparing it with the output.
    const std::string& Path() const { return FilePath; }

private:
    TInputFile File;
    std::string FilePath;
    std::optional<TInputBytes> Input;
};

} // namespace qvr
