// The table of models: lookups by id, extension and name, and the names of every product id.

#include "sysex/Products.h"

#include <gtest/gtest.h>

#include <set>

namespace qvr::test {
namespace {

TEST(Products, LookupsFindTheModelOrNothing) {
    const struct {
        const TProduct* Found;
        int Id; // -1: nothing found
    } cases[] = {
        {ProductById(0x5A), 0x5A},          {ProductById(0x59), -1},
        {ProductByExtension("q1p"), 0x56},  {ProductByExtension("t3a"), 0x58},
        {ProductByExtension("k3p"), 0x5B},  {ProductByExtension(".q3a"), -1},
        {ProductByExtension("Q3A"), -1},    {ProductByExtension("html"), -1},
        {ProductByModel("Tindrel3"), 0x58}, {ProductByModel("QVR-2"), 0x57},
        {ProductByModel("qvr-2"), -1},      {ProductByModel(""), -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Found == nullptr ? -1 : c.Found->Id, c.Id);
    }
    const TProduct& qvr3 = *ProductById(0x5A);
    EXPECT_EQ(qvr3.ConfigFile, "QVR3.cfg");
    EXPECT_EQ(qvr3.PresetTypeName(), "QVR-3 Preset");
    EXPECT_EQ(qvr3.BackupTypeName(), "QVR-3 Backup");
}

struct NameCase {
    uint8_t Id;
    const char* Name;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << static_cast<int>(c.Id);
}

class ProductModelName : public testing::TestWithParam<NameCase> {};

TEST_P(ProductModelName, NamesProduct) {
    EXPECT_EQ(ModelName(GetParam().Id), GetParam().Name);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, ProductModelName,
    testing::Values(NameCase{86, "QVR-1"}, NameCase{87, "QVR-2"}, NameCase{88, "Tindrel3"},
                    NameCase{90, "QVR-3"}, NameCase{91, "KDT-3"}, NameCase{89, "Product Id 89"},
                    NameCase{0, "Product Id 0"}, NameCase{14, "Product Id 14"},
                    NameCase{17, "Product Id 17"}, NameCase{72, "Product Id 72"},
                    NameCase{0x7F, "Product Id 127"}, NameCase{0x80, "Product Id -128"},
                    NameCase{0xD6, "Product Id -42"}, NameCase{0xFF, "Product Id -1"}));

TEST(Products, OlderModelsHaveDistinctNames) {
    std::set<std::string> names{"QVR-1", "QVR-2", "Tindrel3", "QVR-3", "KDT-3"};
    std::vector<int> older{16, 32, 33};
    for (int id = 1; id <= 13; ++id) {
        older.push_back(id);
    }
    for (int id = 64; id <= 71; ++id) {
        older.push_back(id);
    }
    for (const int id : older) {
        const std::string name = ModelName(static_cast<uint8_t>(id));
        EXPECT_FALSE(name.empty()) << id;
        EXPECT_EQ(name.find("Product Id"), std::string::npos) << id;
        EXPECT_TRUE(names.insert(name).second) << id << " repeats " << name;
    }
}

} // namespace
} // namespace qvr::test
