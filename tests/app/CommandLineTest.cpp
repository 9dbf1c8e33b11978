#include "app/CommandLine.h"

#include "tests/app/QtTestRegistry.h"

#include <QTest>

namespace qvr::test {

using TAction = TViewerCommandLine::TAction;

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void Parses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("ignored");
        const int run = int(TAction::Run), help = int(TAction::Help);
        const int version = int(TAction::Version), usage = int(TAction::UsageError);
        const QString odd = QStringLiteral("/tmp/My Presets/\"odd\" name.q3a");
        QTest::newRow("nothing") << QStringList{} << run << QString() << QStringList{};
        QTest::newRow("a file as it comes") << QStringList{odd} << run << odd << QStringList{};
        QTest::newRow("several files")
            << QStringList{odd, "b.q1p", "c.q2a"} << run << odd << QStringList{"b.q1p", "c.q2a"};
        QTest::newRow("--help") << QStringList{"--help"} << help << QString() << QStringList{};
        QTest::newRow("-h after a file")
            << QStringList{"a.q3a", "-h"} << help << QString() << QStringList{};
        QTest::newRow("--help-all")
            << QStringList{"--help-all"} << help << QString() << QStringList{};
        QTest::newRow("--version")
            << QStringList{"--version"} << version << QString() << QStringList{};
        QTest::newRow("-v") << QStringList{"-v"} << version << QString() << QStringList{};
        QTest::newRow("help wins over an unknown option")
            << QStringList{"--bogus", "--help"} << help << QString() << QStringList{};
        QTest::newRow("unknown option")
            << QStringList{"--bogus", "a.q3a"} << usage << QString() << QStringList{};
        QTest::newRow("-- ends the options")
            << QStringList{"--", "-v.q3a"} << run << QStringLiteral("-v.q3a") << QStringList{};
        QTest::newRow("a lone dash is a file")
            << QStringList{"-"} << run << QStringLiteral("-") << QStringList{};
    }

    void Parses() {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, file);
        QFETCH(QStringList, ignored);
        args.prepend(QStringLiteral("qvrviewer"));
        const TViewerCommandLine line = ParseViewerCommandLine(args);
        QCOMPARE(int(line.Action), action);
        QCOMPARE(line.File, file);
        QCOMPARE(line.Ignored, ignored);
        QCOMPARE(line.Error.isEmpty(), action != int(TAction::UsageError));
    }

    void UnknownOptionIsNamed() {
        const TViewerCommandLine line = ParseViewerCommandLine({"qvrviewer", "--bogus"});
        QCOMPARE(line.Error, QStringLiteral("Unknown option 'bogus'."));
    }

    void HelpNamesTheProgramAndItsOptions() {
        const QString text = ViewerHelpText();
        QVERIFY2(text.startsWith(QStringLiteral("Usage: qvrviewer [options] [file]\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("-h, --help")));
        QVERIFY(text.contains(QStringLiteral("-v, --version")));
    }
};

QVR_REGISTER_TEST(CommandLineTest);

} // namespace qvr::test

#include "CommandLineTest.moc"
