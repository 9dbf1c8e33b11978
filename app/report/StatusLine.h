#pragma once

#include "report/SummarySink.h"

#include <QString>

#include <cstdint>

namespace qvr {

// The main window's status line after a load: the file's name, its model, the number of
// presets, of errors when there were any, and of warnings ("backup.q3a — QVR-3 — 24 presets —
// 1 error — 3 warnings"). The model is left out when the file named none.
QString LoadStatusText(const QString& fileName, const TReportSummary& summary, int32_t errors,
                       int32_t warnings);

// While the view loads a report: how far it has come.
QString LoadingStatusText(int32_t shown, int32_t presets);

} // namespace qvr
