#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"
#include "report/ComponentIndex.h"
#include "report/RenderState.h"
#include "report/ReportSink.h"
#include "report/ValueTextCache.h"

namespace qvr {

// What a renderer works with while one file is read.
struct TRenderContext {
    const TQvrConfig& Config;
    IReportSink& Sink;
    TRenderState& State;
    IUserNotifier& Notifier;
    char DecimalSeparator = '.';
    // Numbers already written, for this configuration and separator.
    TValueTextCache ValueTexts{};
    // The components of this configuration by id.
    TComponentIndex Components{};

    const TQvrComponent* FindComponent(int32_t id) { return Components.Find(Config, id); }
};

} // namespace qvr
