// Where the report file goes and how it is written.

#include "app/ReportFile.h"

#include "app/ExceptionDisplay.h"
#include "tests/app/QtTestRegistry.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace qvr::test {

class ReportFileTest : public QObject {
    Q_OBJECT
private slots:
    void LiesInTheProgramFolderWhenItIsWritable() {
        QTemporaryDir folder;
        const std::string path = folder.path().toStdString() + "/";
        QCOMPARE(ReportFilePath(path), path + "__tmp__.html");
    }

    void GoesToTheCacheFolderOtherwise() {
        const std::string path = ReportFilePath("/nonexistent/program/folder/");
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QCOMPARE(QString::fromStdString(path),
                 QDir(cache).filePath(QStringLiteral("__tmp__.html")));
        QVERIFY(QDir(cache).exists());
    }

    void IsWrittenByteForByte() {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("r.html")).toStdString();
        const std::string document("<table>\xAE\r\n\0x</table>\n", 21);
        QVERIFY(WriteReportFile(path, document));
        QVERIFY(WriteReportFile(path, document)); // replaces, never appends
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), document);
    }

    void AFileThatCannotBeWrittenIsReported() {
        QVERIFY(!WriteReportFile("/nonexistent/folder/r.html", "x"));
    }

    void StandardExceptionTextEndsWithAFullStop() {
        QCOMPARE(StandardExceptionText("Range check error"), std::string("Range check error."));
        QCOMPARE(StandardExceptionText("Done."), std::string("Done."));
        QCOMPARE(StandardExceptionText(""), std::string("."));
    }
};

QVR_REGISTER_TEST(ReportFileTest);

} // namespace qvr::test

#include "ReportFileTest.moc"
