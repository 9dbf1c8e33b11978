#include "app/ReportFile.h"

#include "app/AnsiText.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qvr {

std::string ReportFilePath(const std::string& programFolder) {
    const QFileInfo folder(FromFileNameBytes(programFolder));
    if (folder.isDir() && folder.isWritable()) {
        return programFolder + ReportFileTitle;
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return ToFileNameBytes(QDir(cache).filePath(QString::fromLatin1(ReportFileTitle)));
}

bool WriteReportFile(const std::string& path, const std::string& document) {
    // A load that fails half-way leaves the previous report whole.
    TAtomicFile file(path);
    return file.Write(document.data(), document.size()) && file.Commit();
}

} // namespace qvr
