// Where the report file goes and how it is written.

#include "app/report/ReportFile.h"

#include "app/common/ExceptionDisplay.h"
#include "tests/app/QtTestRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sys/stat.h>

namespace qvr::test {

class ReportFileTest : public QObject {
    Q_OBJECT
private slots:
    void ALinkWhereTheReportGoesIsReplacedAndItsTargetKept() {
        QTemporaryDir folder;
        const std::string report = folder.filePath(QStringLiteral("__tmp__.html")).toStdString();
        const std::string victim = folder.filePath(QStringLiteral("victim")).toStdString();
        const std::string pipe = folder.filePath(QStringLiteral("pipe")).toStdString();
        std::ofstream(victim, std::ios::binary) << "kept";
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        for (const std::string& target : {victim, pipe}) {
            QFile::remove(QString::fromStdString(report));
            QVERIFY(QFile::link(QString::fromStdString(target), QString::fromStdString(report)));
            QVERIFY(WriteReportFile(report, "<table></table>\n"));
            QVERIFY(!QFileInfo(QString::fromStdString(report)).isSymLink());
            QFile written(QString::fromStdString(report));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), QByteArray("<table></table>\n"));
        }
        QFile kept(QString::fromStdString(victim));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("kept"));
        QVERIFY(QFileInfo(QString::fromStdString(pipe)).exists());
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
