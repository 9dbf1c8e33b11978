#pragma once

#include "base/Errors.h"
#include "librarian/Dump.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvr {

// One operand of a join: every message of a file, or one preset of it ("FILE:N").
struct TJoinInput {
    std::string Name; // the file, as messages name it
    const TDump* Dump = nullptr;
    std::optional<int32_t> Preset; // the first preset of this number, instead of the whole file
};

// The joined file cannot be made; the text says why, and File() names the input at fault
// (empty when the fault is no one input's).
class EJoinError : public EFileProblem {
public:
    explicit EJoinError(const std::string& text) : EFileProblem({}, text) {}
    EJoinError(std::string file, const std::string& text) : EFileProblem(std::move(file), text) {}
};

struct TJoined {
    std::string Bytes;
    uint8_t ProductId = 0;
    size_t Presets = 0;
};

// How a join numbers its presets: as their files do, where no two may share a number (the
// presets a user puts together), or as their files do whatever repeats (the pieces of a backup
// that holds one number twice, put back), or anew in order from a first number.
struct TJoinNumbers {
    bool KeepRepeats = false;
    std::optional<int32_t> RenumberFrom = {}; // 1 to 254
};

// The messages of the inputs one after the other, in the order given, byte for byte as their
// files hold them. Every input must have read whole and be of one product; no two presets may
// share a number, unless `numbers` keeps them or renumbers the presets in order, which rewrites
// their header messages (index and checksum) and nothing else. Throws EJoinError, or
// EDifferentModels for inputs of two products.
TJoined JoinDumps(const std::vector<TJoinInput>& inputs, const TJoinNumbers& numbers);

} // namespace qvr
