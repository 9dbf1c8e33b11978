#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"
#include "report/RenderState.h"
#include "report/ReportSink.h"

namespace qvr {

// What a renderer works with while one file is read.
struct TRenderContext {
    const TQvrConfig& Config;
    IReportSink& Sink;
    TRenderState& State;
    IUserNotifier& Notifier;
    char DecimalSeparator = '.';
};

} // namespace qvr
