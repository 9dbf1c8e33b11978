#include "app/ReportFile.h"

#include "app/AnsiText.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <fstream>

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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(document.data(), static_cast<std::streamsize>(document.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace qvr
