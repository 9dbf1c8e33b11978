#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace qvr::test {

struct TTestClass {
    const char* Name;
    std::function<std::unique_ptr<QObject>()> Make;
};

std::vector<TTestClass>& TestClasses();

// Registers a QtTest class under its name, at program start.
template <class T> struct TRegisterTest {
    explicit TRegisterTest(const char* name) {
        TestClasses().push_back({name, [] { return std::make_unique<T>(); }});
    }
};

} // namespace qvr::test

#define QVR_REGISTER_TEST(Class)                                                                   \
    static const qvr::test::TRegisterTest<Class> Class##Registration(#Class)
