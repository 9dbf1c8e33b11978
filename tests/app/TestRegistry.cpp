#include "tests/app/TestRegistry.h"

namespace qvr::test {

std::vector<TTestClass>& TestClasses() {
    static std::vector<TTestClass> classes;
    return classes;
}

} // namespace qvr::test
