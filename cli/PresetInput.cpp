#include "cli/PresetInput.h"

#include <unistd.h>

namespace qvr {

TPresetInput::TPresetInput(const std::string& name)
    : File(name == "-" ? TInputFile::Borrow(STDIN_FILENO)
                       : TInputFile::Open(name, TInputRule::FileOrStream)),
      FilePath(name == "-" ? "/dev/stdin" : name) {
    if (File.IsOpen()) {
        Input.emplace(File);
    }
}

} // namespace qvr
