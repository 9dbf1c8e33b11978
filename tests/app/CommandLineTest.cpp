#include "app/CommandLine.h"

#include "app/Startup.h"
#include "tests/app/QtTestRegistry.h"

#include <QTest>

namespace qvr::test {

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void CutsTheTail_data() {
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("quoted path with a space, further argument")
            << QByteArray("\"C:\\My Presets\\live set.q3a\" /extra")
            << QByteArray("C:\\My Presets\\live set.q3a");
        QTest::newRow("unquoted path, further argument")
            << QByteArray("C:\\presets\\a.q3p second") << QByteArray("C:\\presets\\a.q3p");
        QTest::newRow("opening quote without a closing one is cut at the first space")
            << QByteArray("\"C:\\My Presets\\a.q3p") << QByteArray("C:\\My");
        QTest::newRow("opening quote only") << QByteArray("\"") << QByteArray("");
        QTest::newRow("empty quotes then more") << QByteArray("\"\" b.q3p") << QByteArray("");
        QTest::newRow("single argument") << QByteArray("a.q1a") << QByteArray("a.q1a");
        QTest::newRow("tabs are no separators")
            << QByteArray("a.q1a\tb.q1a") << QByteArray("a.q1a\tb.q1a");
        QTest::newRow("leading space gives an empty name")
            << QByteArray(" a.q1a") << QByteArray("");
        QTest::newRow("quote inside an unquoted name stays")
            << QByteArray("a\"b.q1a c") << QByteArray("a\"b.q1a");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
        QTest::newRow("8-bit bytes pass")
            << QByteArray("\"Caf\xe9 \xae.q2p\"") << QByteArray("Caf\xe9 \xae.q2p");
    }

    void CutsTheTail() {
        QFETCH(QByteArray, tail);
        QFETCH(QByteArray, file);
        QCOMPARE(QByteArray::fromStdString(CutCommandLineTail(tail.toStdString())), file);
    }

    void TakesTheFirstArgumentAsItComes() {
        std::string program = "qvrviewer";
        std::string first = "/tmp/My Presets/\"odd\" name.q3a";
        std::string second = "second";
        char* two[] = {program.data(), first.data(), second.data(), nullptr};
        QCOMPARE(CommandLineArgument(3, two), first);
        char* none[] = {program.data(), nullptr};
        QCOMPARE(CommandLineArgument(1, none), std::string());
    }
};

QVR_REGISTER_TEST(CommandLineTest);

} // namespace qvr::test

#include "CommandLineTest.moc"
