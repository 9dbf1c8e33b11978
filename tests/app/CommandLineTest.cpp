#include "app/Startup.h"
#include "tests/app/QtTestRegistry.h"

#include <QTest>

namespace qvr::test {

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
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
