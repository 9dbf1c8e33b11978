#pragma once

#include "report/SummarySink.h"

#include <QString>

#include <cstdint>

namespace qvr {

// The main window's status line after a load: the file's name, its model, the number of
// presets and of warnings ("backup.q3a — QVR-3 — 24 presets — 3 warnings"). The model is
// left out when the file named none.
QString LoadStatusText(const QString& fileName, const TReportSummary& summary, int32_t warnings);

} // namespace qvr
