#pragma once

#include "sysex/ByteInput.h"

#include <optional>
#include <string>

namespace qvr {

// The preset file the exporter reads: the file of that name, or standard input for "-". A file
// that cannot be opened, or a folder, is not read at all: Error() says why.
class TPresetInput {
public:
    explicit TPresetInput(const std::string& name);
    ~TPresetInput();
    TPresetInput(const TPresetInput&) = delete;
    TPresetInput& operator=(const TPresetInput&) = delete;

    // errno of the failure to open, 0 when the bytes can be read.
    int Error() const { return OpenError; }
    // The bytes; only when Error() is 0.
    TByteInput& Bytes() { return *Input; }
    // A path that names the same file, for comparing it with the output.
    const std::string& Path() const { return FilePath; }

private:
    int Fd = -1;
    bool Owned = false;
    int OpenError = 0;
    std::string FilePath;
    std::optional<TFileInput> Input;
};

} // namespace qvr
