// Runs the shell's QtTest classes; "test_app NAME" runs only class NAME, so
// that CTest can list each class as a test of its own.

#include "tests/app/QtTestRegistry.h"

#include <QApplication>
#include <QTest>

#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    int failures = 0;
    int ran = 0;
    for (const auto& entry : qvr::test::TestClasses()) {
        if (only != nullptr && std::strcmp(only, entry.Name) != 0) {
            continue;
        }
        ++ran;
        const auto object = entry.Make();
        failures += QTest::qExec(object.get(), 1, argv);
    }
    return ran == 0 ? 2 : (failures == 0 ? 0 : 1);
}
