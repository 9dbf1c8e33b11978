#include "app/shell/CommandLine.h"

#include "tests/app/QtTestRegistry.h"

#include <QTest>

namespace qvr::test {

using TAction = TViewerCommandLine::TAction;
using TArgs = std::vector<std::string>;

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void Parses_data() {
        QTest::addColumn<TArgs>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<std::string>("file");
        QTest::addColumn<TArgs>("ignored");
        QTest::addColumn<std::string>("error");
        const int run = int(TAction::Run), help = int(TAction::Help);
        const int version = int(TAction::Version), usage = int(TAction::UsageError);
        const std::string odd = "/tmp/My Presets/\"odd\" name.q3a";
        const std::string none;
        QTest::newRow("nothing") << TArgs{} << run << none << TArgs{} << none;
        QTest::newRow("a file as it comes") << TArgs{odd} << run << odd << TArgs{} << none;
        QTest::newRow("several files")
            << TArgs{odd, "b.q1p", "c.q2a"} << run << odd << TArgs{"b.q1p", "c.q2a"} << none;
        QTest::newRow("--help") << TArgs{"--help"} << help << none << TArgs{} << none;
        QTest::newRow("-h after a file") << TArgs{"a.q3a", "-h"} << help << none << TArgs{} << none;
        QTest::newRow("--version") << TArgs{"--version"} << version << none << TArgs{} << none;
        QTest::newRow("-V") << TArgs{"-V"} << version << none << TArgs{} << none;
        QTest::newRow("help acts where it stands")
            << TArgs{"--help", "--bogus"} << help << none << TArgs{} << none;
        QTest::newRow("unknown option") << TArgs{"--bogus", "--help"} << usage << none << TArgs{}
                                        << std::string("unrecognized option '--bogus'");
        QTest::newRow("a window system option") << TArgs{"-platform", "offscreen"} << usage << none
                                                << TArgs{} << std::string("invalid option -- 'p'");
        QTest::newRow("-- ends the options")
            << TArgs{"--", "-V.q3a"} << run << std::string("-V.q3a") << TArgs{} << none;
        QTest::newRow("a lone dash is a file")
            << TArgs{"-"} << run << std::string("-") << TArgs{} << none;
    }

    void Parses() {
        QFETCH(TArgs, args);
        QFETCH(int, action);
        QFETCH(std::string, file);
        QFETCH(TArgs, ignored);
        QFETCH(std::string, error);
        const TViewerCommandLine line = ParseViewerCommandLine(args);
        QCOMPARE(int(line.Action), action);
        QCOMPARE(line.File, file);
        QCOMPARE(line.Ignored, ignored);
        QCOMPARE(line.Error, error);
    }
};

QVR_REGISTER_TEST(CommandLineTest);

} // namespace qvr::test

#include "CommandLineTest.moc"
