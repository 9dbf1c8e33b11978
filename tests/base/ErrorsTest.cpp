#include "base/Errors.h"

#include "base/ExceptionText.h"
#include "base/OwnedStringList.h"

#include <gtest/gtest.h>

#include <new>

namespace qvr::test {
namespace {

TEST(LibraryErrors, CarryTheirTextsAndShareABase) {
    const ERangeError range;
    EXPECT_STREQ(range.what(), "Range check error");
    const EConvertError convert("'x' is not a valid floating point value");
    EXPECT_STREQ(convert.what(), "'x' is not a valid floating point value");
    EXPECT_THROW(throw ERangeError(), ELibraryError);
    EXPECT_THROW(throw EConvertError("y"), ELibraryError);
}

// Counts how many objects are alive, to check that the list releases each once.
struct TCounted {
    explicit TCounted(int v, int& alive) : Value(v), Alive(alive) { ++Alive; }
    ~TCounted() { --Alive; }
    int Value;
    int& Alive;
};

TEST(OwnedStringList, KeepsOrderAndDuplicatesAndOwnsItsObjects) {
    int alive = 0;
    {
        TOwnedStringList<TCounted> list;
        list.Add("b", std::make_unique<TCounted>(1, alive));
        list.Add("a", std::make_unique<TCounted>(2, alive));
        list.Add("b", std::make_unique<TCounted>(3, alive));
        ASSERT_EQ(list.Count(), 3u);
        EXPECT_EQ(list.Name(0), "b");
        EXPECT_EQ(list.Name(1), "a");
        EXPECT_EQ(list.Name(2), "b");
        EXPECT_EQ(list.Object(2).Value, 3);
        EXPECT_EQ(alive, 3);

        list.Delete(1);
        EXPECT_EQ(alive, 2);
        ASSERT_EQ(list.Count(), 2u);
        EXPECT_EQ(list.Object(1).Value, 3);
        EXPECT_THROW(list.Name(2), std::out_of_range);
        EXPECT_THROW(list.Add("x", nullptr), std::invalid_argument);
    }
    EXPECT_EQ(alive, 0);
}

TEST(ExceptionText, IsWhatTheUserSeesOfAnExceptionThatReachedTheTop) {
    struct Case {
        std::string Message;
        std::string Shown;
    };
    for (const Case& c : {Case{"Range check error", "Range check error."},
                          Case{"Bad things happened.", "Bad things happened."}, Case{"", "."}}) {
        EXPECT_EQ(StandardExceptionText(c.Message), c.Shown) << c.Message;
    }
    EXPECT_EQ(ExceptionMessage(ERangeError()), "Range check error");
    EXPECT_EQ(ExceptionMessage(std::bad_alloc()), "Out of memory");
    EXPECT_EQ(ExceptionMessage(std::bad_array_new_length()), "Out of memory");
}

} // namespace
} // namespace qvr::test
