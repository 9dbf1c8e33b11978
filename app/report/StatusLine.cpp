#include "app/report/StatusLine.h"

#include "app/common/AnsiText.h"

#include <QFileInfo>
#include <QStringList>

namespace qvr {

namespace {

QString Counted(int32_t count, const char* singular, const char* plural) {
    return QStringLiteral("%1 %2").arg(count).arg(
        QString::fromLatin1(count == 1 ? singular : plural));
}

} // namespace

QString LoadStatusText(const QString& fileName, const TReportSummary& summary, int32_t errors,
                       int32_t warnings) {
    QStringList parts{QFileInfo(fileName).fileName()};
    if (!summary.Model.empty()) {
        parts << FromAnsi(summary.Model);
    }
    parts << Counted(summary.PresetCount, "preset", "presets");
    if (errors > 0) {
        parts << Counted(errors, "error", "errors");
    }
    parts << Counted(warnings, "warning", "warnings");
    return parts.join(QStringLiteral(" \u2014 "));
}

QString LoadingStatusText(int32_t shown, int32_t presets) {
    return QStringLiteral("Loading the report: %1 of %2")
        .arg(shown)
        .arg(Counted(presets, "preset", "presets"));
}

} // namespace qvr
