#include "tests/app/QtTestRegistry.h"

namespace qvr::test {

std::vector<TTestClass>& TestClasses() {
    static std::vector<TTestClass> classes;
    return classes;
}

} // namespace qvr::test
