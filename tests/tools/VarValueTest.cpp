#include "tools/presetgen/VarValue.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qvr::test {
namespace {

struct TEncodeCase {
    uint32_t Value;
    TVarForm Form;
    uint32_t Length;
    std::vector<uint8_t> Bytes;
};

TEST(VarValue, EncodesEveryForm) {
    const TEncodeCase cases[] = {
        {0, TVarForm::Auto, 0, {0x00}},
        {5, TVarForm::Auto, 0, {0x05}},
        {127, TVarForm::Auto, 0, {0x7F}},
        {128, TVarForm::Auto, 0, {0x81, 0x80}},
        {300, TVarForm::Auto, 0, {0x82, 0x01, 0x2C}},
        {0x01000000, TVarForm::Auto, 0, {0x84, 0x01, 0x00, 0x00, 0x00}},
        {0xFFFFFFFF, TVarForm::Auto, 0, {0x84, 0xFF, 0xFF, 0xFF, 0xFF}},
        {5, TVarForm::Short, 1, {0x81, 0x05}},
        {7, TVarForm::Short, 3, {0x83, 0x00, 0x00, 0x07}},
        {0x0102, TVarForm::Short, 6, {0x86, 0, 0, 0, 0, 0x01, 0x02}},
        {256, TVarForm::Long, 2, {0x80, 0x00, 0x02, 0x01, 0x00}},
        {0, TVarForm::Long, 0, {0x80, 0x00, 0x00}},
        {9, TVarForm::Long, 1, {0x80, 0x00, 0x01, 0x09}},
    };
    for (const TEncodeCase& c : cases) {
        std::vector<uint8_t> out{0xAA};
        AppendVarValue(out, {c.Value, c.Form, c.Length});
        std::vector<uint8_t> expected{0xAA};
        expected.insert(expected.end(), c.Bytes.begin(), c.Bytes.end());
        EXPECT_EQ(out, expected) << "value " << c.Value << " length " << c.Length;
    }
}

TEST(VarValue, LongFormCarriesSixteenBitLength) {
    std::vector<uint8_t> out;
    AppendVarValue(out, {3, TVarForm::Long, 300});
    ASSERT_EQ(out.size(), 3u + 300u);
    EXPECT_EQ(out[0], 0x80);
    EXPECT_EQ(out[1], 0x01);
    EXPECT_EQ(out[2], 0x2C);
    EXPECT_EQ(out.back(), 3);
    EXPECT_EQ(out[out.size() - 2], 0);
}

TEST(VarValue, RejectsFormsThatCannotHoldTheValue) {
    const TVarValue bad[] = {
        {300, TVarForm::Short, 1}, // needs two bytes
        {1, TVarForm::Long, 0},    // zero length holds only 0
        {0, TVarForm::Short, 0},   // 0x80 would be the long form
        {0, TVarForm::Short, 128}, // beyond seven bits of length
        {0, TVarForm::Long, 0x10000},
    };
    for (const TVarValue& v : bad) {
        std::vector<uint8_t> out;
        EXPECT_THROW(AppendVarValue(out, v), std::invalid_argument) << v.Value << ":" << v.Length;
    }
}

} // namespace
} // namespace qvr::test
