#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvr {

// Value types as the registry numbers them.
inline constexpr uint32_t RegNone = 0;
inline constexpr uint32_t RegSz = 1;
inline constexpr uint32_t RegExpandSz = 2;
inline constexpr uint32_t RegBinary = 3;
inline constexpr uint32_t RegDword = 4;

// One typed value. DWORD data is 4 bytes, little-endian; string data is the text without a
// terminator when it came from a quoted string, the raw bytes when it came from a hex form.
struct TRegValue {
    uint32_t Type = RegNone;
    std::string Data;
};

// Canonical form of a full key path ("HKEY_CURRENT_USER\Software\X"): the root spelled out
// (HKCU and HKLM are accepted), ASCII lower case, empty segments dropped, because the
// registry compares key names without regard to case. Empty when the root is not known.
std::string CanonicalKeyPath(std::string_view fullPath);

// The contents of one registry text file in a REGEDIT4-like syntax:
//
//   REGEDIT4
//   [HKEY_CURRENT_USER\Software\Brindmoor\QVRviewer]
//   "MainWidth"=dword:000002e0
//   "InitialDir"="C:\\x\\"
//   "Expanded"=expand:"%HOME%\\x"       (REG_EXPAND_SZ; hex(2):41,00 works too)
//   "Raw"=hex:01,02                      (hex(N): gives type N)
//
// Lines the store does not understand (comments, deletion entries, garbage) are skipped when
// reading but kept as they are when the file is written back; so are values under unknown
// roots. A value defined twice takes its last definition. Hex data may go on over following
// lines when a line ends in '\' and the next one starts with blanks. Parsing takes time and
// memory in proportion to the text, whatever it holds (a key path of thousands of segments
// included): each key path is kept once, and a key's ancestors are found by prefix.
class TRegDocument {
public:
    void Parse(std::string_view text);
    std::string Text() const;

    bool HasKey(std::string_view fullPath) const;
    const TRegValue* FindValue(std::string_view fullPath, std::string_view name) const;

    // Both return false when the key path or the value cannot be written in this syntax
    // (line breaks or NUL in a key or value name, unknown root).
    bool AddKey(std::string_view fullPath);
    bool SetValue(std::string_view fullPath, std::string_view name, const TRegValue& value);

private:
    struct TValueInfo {
        TRegValue Value;
        size_t FirstLine = 0; // line range of the definition that counts
        size_t LastLine = 0;
    };
    // A key with a section of its own; its ancestors exist without one.
    struct TKeyInfo {
        size_t InsertAt = 0;                      // line after the last entry of its last section
        std::string Display;                      // the path as written in that section
        std::map<std::string, TValueInfo> Values; // by value name in lower case
    };

    void ParseValueLine(TKeyInfo& key, std::string_view line, size_t first, size_t last);
    void AppendSection(const std::string& display);
    const TKeyInfo* FindKey(std::string_view fullPath) const;

    std::vector<std::string> Lines;
    std::map<std::string, TKeyInfo, std::less<>> Keys; // by canonical path
};

} // namespace qvr
