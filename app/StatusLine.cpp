#include "app/StatusLine.h"

#include "app/AnsiText.h"

#include <QFileInfo>
#include <QStringList>

namespace qvr {

namespace {

QString Counted(int32_t count, const char* singular, const char* plural) {
    return QStringLiteral("%1 %2").arg(count).arg(
        QString::fromLatin1(count == 1 ? singular : plural));
}

} // namespace

QString LoadStatusText(const QString& fileName, const TReportSummary& summary, int32_t warnings) {
    QStringList parts{QFileInfo(fileName).fileName()};
    if (!summary.Model.empty()) {
        parts << FromAnsi(summary.Model);
    }
    parts << Counted(summary.PresetCount, "preset", "presets")
          << Counted(warnings, "warning", "warnings");
    return parts.join(QStringLiteral(" \u2014 "));
}

} // namespace qvr
