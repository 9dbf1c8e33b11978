#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"
#include "report/ComponentIndex.h"
#include "report/PresetBuilder.h"
#include "report/RenderState.h"
#include "report/ValueTextCache.h"

#include <string>
#include <vector>

namespace qvr {

// What a renderer works with while one file is read.
struct TRenderContext {
    const TQvrConfig& Config;
    TPresetBuilder& Builder;
    TRenderState& State;
    IUserNotifier& Notifier;
    char DecimalSeparator = '.';
    // Numbers already written, for this configuration and separator.
    TValueTextCache ValueTexts{};
    // The components of this configuration by id.
    TComponentIndex Components{};
    // Room for a text on its way into the builder, kept from use to use.
    std::string Scratch{};
    // The parameter sets of a component record's type, kept from record to record.
    std::vector<const TQvrParamList*> TypeParams{};

    const TQvrComponent* FindComponent(int32_t id) { return Components.Find(Config, id); }
};

} // namespace qvr
