#pragma once

#include <string>
#include <string_view>

namespace qvr {

// Where written bytes go, in pieces of any size. A target that cannot take
// them keeps its first failure to report at the end and drops what follows, so
// that a writer runs to its end and every message still comes out.
class IByteTarget {
public:
    virtual ~IByteTarget() = default;
    virtual void Put(std::string_view bytes) = 0;
};

// Collects the bytes in memory.
class TStringTarget : public IByteTarget {
public:
    void Put(std::string_view bytes) override { Text.append(bytes); }
    std::string Text;
};

} // namespace qvr
