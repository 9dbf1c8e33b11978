#include "base/Numbers.h"

#include "base/Errors.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>

namespace qvr::test {
namespace {

TEST(StrToIntDef, AcceptsOnlyWholeDecimal32BitIntegers) {
    const struct {
        const char* In;
        int32_t Out;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"+7", 7},
        {"-13", -13},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"2147483648", -1},
        {"-2147483649", -1},
        {"99999999999999999999", -1},
        {"", -1},
        {"+", -1},
        {"-", -1},
        {" 5", -1},
        {"5 ", -1},
        {"5x", -1},
        {"1.0", -1},
        {"0x10", -1},
        {"$10", -1},
        {"--1", -1},
        {"(none)", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrToIntDef(c.In, -1), c.Out) << "input: [" << c.In << "]";
    }
}

TEST(StrToFloatDot, ReadsDotRealsExactly) {
    const struct {
        const char* In;
        double Out;
    } cases[] = {
        {"0", 0.0},       {"0.5", 0.5},   {"-12", -12.0},        {"+3.25", 3.25},
        {".5", 0.5},      {"5.", 5.0},    {"1e3", 1000.0},       {"1E-2", 0.01},
        {"2.5e+1", 25.0}, {"-0.1", -0.1}, {"1000000000.0", 1e9},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(StrToFloatDot(c.In), c.Out) << "input: [" << c.In << "]";
    }
}

// A number too small for a 64-bit real is still a number: it reads as zero
// with its sign. One too large has no value and is refused below.
TEST(StrToFloatDot, ReadsUnderflowAsZero) {
    const struct {
        const char* In;
        double Out;
    } cases[] = {
        {"1e-400", 0.0},        {"-2e-324", -0.0},
        {"0.000001e-320", 0.0}, {"123e-99999999999999999999", 0.0},
        {"4.9e-324", 4.9e-324},
    };
    for (const auto& c : cases) {
        double value = 1.0;
        EXPECT_NO_THROW(value = StrToFloatDot(c.In)) << "input: [" << c.In << "]";
        EXPECT_EQ(value, c.Out) << "input: [" << c.In << "]";
        EXPECT_EQ(std::signbit(value), std::signbit(c.Out)) << "input: [" << c.In << "]";
    }
}

TEST(StrToFloatDot, RejectsEverythingElseWithTheConversionMessage) {
    const char* bad[] = {
        "",    " 1",   "1 ",     "0,5",   "1e",       "1e+",     ".",
        "-",   "+",    "e5",     "inf",   "nan",      "0x1",     "1.2.3",
        "--1", "1e5x", "(none)", "1e999", "-1.8e308", "0.1e310", "1e99999999999999999999"};
    for (const char* s : bad) {
        try {
            StrToFloatDot(s);
            ADD_FAILURE() << "accepted: [" << s << "]";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(s) + "' is not a valid floating point value");
        }
    }
}

// A comma locale must not change how "." reals are read.
TEST(StrToFloatDot, IgnoresACommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const std::locale savedGlobal;
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup generates it)";
    }
    std::locale::global(std::locale("de_DE.UTF-8"));
    const double half = StrToFloatDot("0.5");
    bool commaRejected = false;
    try {
        StrToFloatDot("0,5");
    } catch (const EConvertError&) {
        commaRejected = true;
    }
    std::locale::global(savedGlobal);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(half, 0.5);
    EXPECT_TRUE(commaRejected);
}

TEST(FormatGeneral, Writes15SignificantDigitsInFixedOrScientificForm) {
    const struct {
        double In;
        char Sep;
        const char* Out;
    } cases[] = {
        {0.0, '.', "0"},
        {-0.0, '.', "0"},
        {5.0, '.', "5"},
        {-9.5, '.', "-9.5"},
        {-9.5, ',', "-9,5"},
        {0.5, ',', "0,5"},
        {100.0, '.', "100"},
        {0.1 * 3, '.', "0.3"},
        {1.0 / 3, '.', "0.333333333333333"},
        {2.0 / 3, '.', "0.666666666666667"},
        {0.0001, '.', "0.0001"},
        {0.00012, '.', "0.00012"},
        {0.00001, '.', "1E-5"},
        {-0.000015, ',', "-1,5E-5"},
        {123456789012345.0, '.', "123456789012345"},
        {999999999999999.0, '.', "999999999999999"},
        {1e15, '.', "1E15"},
        {1.5e20, '.', "1.5E20"},
        {1234567890123456.0, '.', "1.23456789012346E15"},
        {9999999999999999.0, '.', "1E16"},
        {0.99999999999999999, '.', "1"},
        {1e-100, '.', "1E-100"},
        {2.5e300, '.', "2.5E300"},
        {-128.0, '.', "-128"},
        {12.25, '.', "12.25"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatGeneral(c.In, c.Sep), c.Out) << "input: " << c.In;
    }
}

TEST(ShownNumber, IsTheValueRoundedAsFormatGeneralShowsIt) {
    const struct {
        double In;
        double Out;
    } cases[] = {
        {4.6000000000000005, 4.6},
        {0.1 * 3, 0.3},
        {1.0 / 3, 0.333333333333333},
        {-2.0 / 3, -0.666666666666667},
        {1234567890123456.7, 1.23456789012346e15},
        {1e-100 / 3, 3.33333333333333e-101},
        {12.25, 12.25},
        {-128.0, -128.0},
        {123456789012345.0, 123456789012345.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShownNumber(c.In), c.Out) << "input: " << c.In;
    }
    EXPECT_TRUE(std::isinf(ShownNumber(std::numeric_limits<double>::infinity())));
}

TEST(FormatGeneral, NamesNonFiniteValues) {
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity(), '.'), "INF");
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity(), '.'), "-INF");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN(), '.'), "NAN");
}

TEST(UserDecimalSeparator, FollowsTheUserLocale) {
    const char* savedLang = std::getenv("LC_ALL");
    const std::string saved = savedLang ? savedLang : "";
    const std::string savedCLocale = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    }
    std::setlocale(LC_ALL, savedCLocale.c_str());
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const char german = UserDecimalSeparator();
    setenv("LC_ALL", "C", 1);
    const char plain = UserDecimalSeparator();
    setenv("LC_ALL", "no_SUCH.locale", 1);
    const char unknown = UserDecimalSeparator();
    if (savedLang) {
        setenv("LC_ALL", saved.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
    EXPECT_EQ(german, ',');
    EXPECT_EQ(plain, '.');
    EXPECT_EQ(unknown, '.');
}

} // namespace
} // namespace qvr::test
