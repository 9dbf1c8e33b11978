#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace qvr {

// Room for the short texts of one preset, handed out as views that stay valid
// until Clear, also when the arena itself is moved: the bytes live in blocks
// that never move. Clear keeps the first block for the next preset.
class TTextArena {
public:
    std::string_view Store(std::string_view text) {
        if (text.empty()) {
            return {};
        }
        if (Blocks.empty() || Used + text.size() > BlockCapacity) {
            NewBlock(text.size());
        }
        char* const at = Blocks.back().get() + Used;
        std::memcpy(at, text.data(), text.size());
        Used += text.size();
        return {at, text.size()};
    }

    // Room for a text of at most `most` bytes written in place, which Keep
    // then hands out; nothing else may be stored in between.
    char* Room(size_t most) {
        if (Blocks.empty() || Used + most > BlockCapacity) {
            NewBlock(most);
        }
        return Blocks.back().get() + Used;
    }
    // The text written at Room's place up to `end`.
    std::string_view Keep(const char* end) {
        char* const at = Blocks.back().get() + Used;
        const auto size = static_cast<size_t>(end - at);
        Used += size;
        return {at, size};
    }

    void Clear() {
        if (Blocks.size() > 1 || BlockCapacity != BlockSize) {
            Blocks.clear();
        }
        Used = 0;
    }

private:
    static constexpr size_t BlockSize = 4096;

    void NewBlock(size_t least) {
        // A text longer than a block gets a block of its own size.
        if (!Blocks.empty() && Used == 0 && BlockCapacity >= least) {
            return;
        }
        BlockCapacity = std::max(BlockSize, least);
        Blocks.push_back(std::make_unique_for_overwrite<char[]>(BlockCapacity));
        Used = 0;
    }

    std::vector<std::unique_ptr<char[]>> Blocks;
    size_t BlockCapacity = BlockSize; // of the last block
    size_t Used = 0;                  // in the last block
};

} // namespace qvr
