#pragma once

#include "config/Qvrconfig.h"
#include "librarian/Dump.h"
#include "report/PresetModel.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvr {

// A preset that cannot be edited; the text says why.
class EEditError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where a value of a preset lies: a message of the file and the place of the value's
// variable-length form in that message's body (after the envelope, packing undone).
struct TValuePlace {
    size_t Message = 0; // in TDump::Messages
    size_t Offset = 0;
    size_t Length = 0; // bytes of the encoded value

    auto operator<=>(const TValuePlace&) const = default;
};

// What a value of a module is.
enum class TValueRole : uint8_t {
    Parameter, // a parameter of the module's type, or of a modifier
    LinkMax,   // the top of a modifier's link range, shown by the linked parameter
    LinkMin,   // its bottom
};

// One value an edit may change.
struct TEditableValue {
    // As an edit names it: the parameter's shown name ("Status", "Gain (dB)"), or "Link N Max"
    // and "Link N Min" for the range of a modifier's N-th link (from 1).
    std::string Name;
    TValueRole Role = TValueRole::Parameter;
    // Shows and reads the value: the module's parameter, or the linked one. In the
    // configuration, which outlives the module.
    const TQvrParam* Param = nullptr;
    TValuePlace Place;
    int32_t Raw = 0; // as the file holds it
};

// A module of a preset as an edit sees it. Its kind, component and type are shown and never
// edited: another type would change which values follow and what they mean.
struct TEditableModule {
    // How an edit names it: its heading, else the configuration's name; a module whose label
    // an earlier one of the preset has gets " #2", " #3", ... after it.
    std::string Label;
    TModuleKind Kind = TModuleKind::Loose;
    int32_t Id = 0;
    std::optional<int32_t> Position; // in the chain (components)
    std::optional<int32_t> TypeId;
    std::string TypeName;
    std::optional<std::string> Heading;
    std::vector<TEditableValue> Values;
};

// The modules of `preset` of `dump` with the places of their values, read with `config` (that
// of the dump's product); `shown` is the report's model of the same preset, which gives the
// modules their headings and type names. Values the configuration does not name (beyond a
// type's parameters, links to no known parameter) and the values of a message whose records run
// past its payload are left out; modules the configuration does not know have no values. Throws
// EEditError when the records do not make the modules `shown` has.
std::vector<TEditableModule> ReadEditableModules(const TDump& dump, const TDumpPreset& preset,
                                                 const TQvrConfig& config, const TPreset& shown);

} // namespace qvr
