#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// The report's ordered list of lines for a whole load. Lines are appended at
// the end; a user-model name is inserted further up, but never above the
// point where the list was last sealed. Sealed lines are packed into one
// buffer, so inserting stays cheap however many presets a backup holds.
class TReportLines {
public:
    size_t Count() const { return SealedEnds.size() + Open.size(); }
    std::string_view Line(size_t i) const;

    void Append(std::string line);
    // Inserts before line `pos` (Count() appends); pos must not lie below
    // the sealed part. Throws std::out_of_range otherwise.
    void Insert(size_t pos, std::string line);
    // Packs every current line; later inserts must lie at Count() or beyond.
    void Seal();

    size_t SealedCount() const { return SealedEnds.size(); }

private:
    std::string Sealed;
    std::vector<size_t> SealedEnds; // end offset of each sealed line in Sealed
    std::vector<std::string> Open;  // the lines after the sealed part
};

} // namespace qvr
