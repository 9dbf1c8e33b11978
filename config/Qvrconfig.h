#pragma once

#include "config/Components.h"
#include "config/ConfigErrors.h"
#include "config/ConfigReader.h"
#include "config/Modifiers.h"
#include "config/Params.h"
#include "config/Types.h"
#include "config/ValuePair.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace qvr {

// The loaded product configuration of one model: its effect modules ("fx"),
// its chain blocks ("qvr") and its link sources ("modifiers").
class TQvrConfig {
public:
    // Opens and loads the file. Raises EQvrCannotOpenFile, EQvrInvalidConfigFile,
    // or the library's ERangeError / EConvertError for bad values; nothing
    // built up to the failure outlives it.
    explicit TQvrConfig(const std::string& fileName);
    TQvrConfig(const TQvrConfig&) = delete;
    TQvrConfig& operator=(const TQvrConfig&) = delete;

    // First match in FxComponents, then in QvrComponents; null when none.
    const TQvrComponent* FindComponentById(int32_t id) const;
    // First match in Modifiers; null when none.
    const TQvrModifier* FindModifierById(int32_t id) const;

private:
    // Declared first: open from construction to destruction.
    std::ifstream Stream;

public:
    TQvrComponentList FxComponents, QvrComponents;
    TQvrModifierList Modifiers;

private:
    void RequireSection(const char* name);
};

} // namespace qvr
