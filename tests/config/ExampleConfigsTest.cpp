#include "config/Qvrconfig.h"

#include <gtest/gtest.h>

#include <set>

namespace qvr::test {
namespace {

// Our own example files: they must load, and every model must be consistent,
// because the presets made for them refer to these ids.
struct TExpected {
    const char* File;
    size_t Fx, Qvr, Modifiers, AmpTypes, CabTypes;
};

const TExpected Models[] = {
    {"QVR1.cfg", 8, 5, 3, 6, 4},       {"QVR2.cfg", 10, 5, 4, 9, 6},
    {"Tindrel3.cfg", 12, 6, 4, 12, 8}, {"QVR3.cfg", 13, 6, 4, 14, 9},
    {"KDT3.cfg", 14, 6, 4, 16, 10},
};

void CheckComponent(const TQvrComponent& c, const std::string& where) {
    ASSERT_FALSE(c.TypeNames.empty()) << where;
    std::set<int32_t> typeIds;
    for (size_t i = 0; i < c.Types.Count(); ++i) {
        EXPECT_TRUE(typeIds.insert(c.Types.Item(i).Id).second) << where << ": duplicate set";
        EXPECT_GT(c.Types.Item(i).Params.Count(), 0u) << where;
    }
    for (const TQvrTypeName& name : c.TypeNames) {
        EXPECT_EQ(typeIds.count(name.Id), 1u) << where << ": no set for " << name.Name;
    }
    EXPECT_EQ(typeIds.size(), c.TypeNames.size()) << where;
    EXPECT_EQ(c.TypeLabel.empty(), c.Name == "Misc") << where;
}

TEST(ExampleConfigs, LoadWithTheExpectedCountsAndConsistentIds) {
    for (const TExpected& m : Models) {
        const std::string path = std::string(QVR_EXAMPLE_CONFIG_DIR) + "/" + m.File;
        std::unique_ptr<TQvrConfig> config;
        try {
            config = std::make_unique<TQvrConfig>(path);
        } catch (const EQvrInvalidConfigFile& e) {
            FAIL() << m.File << ": " << e.Message;
        } catch (const EQvrCannotOpenFile&) {
            FAIL() << m.File << ": cannot open";
        }
        EXPECT_EQ(config->FxComponents.Count(), m.Fx) << m.File;
        EXPECT_EQ(config->QvrComponents.Count(), m.Qvr) << m.File;
        EXPECT_EQ(config->Modifiers.Count(), m.Modifiers) << m.File;

        std::set<int32_t> ids;
        for (const auto* list : {&config->FxComponents, &config->QvrComponents}) {
            for (size_t i = 0; i < list->Count(); ++i) {
                const TQvrComponent& c = list->Object(i);
                EXPECT_TRUE(ids.insert(c.Id).second) << m.File << ": duplicate cid " << c.Id;
                EXPECT_GT(c.Id, 0);
                EXPECT_LT(c.Id, 256);
                CheckComponent(c, std::string(m.File) + " " + c.Name);
            }
        }
        for (const char* chain : {"Input", "Output", "Amp", "Cabinet", "Misc"}) {
            bool found = false;
            for (size_t i = 0; i < config->QvrComponents.Count(); ++i) {
                found = found || config->QvrComponents.Name(i) == chain;
            }
            EXPECT_TRUE(found) << m.File << " has no " << chain;
        }
        ASSERT_NE(config->FindComponentById(3), nullptr);
        EXPECT_EQ(config->FindComponentById(3)->Name, "Amp");
        EXPECT_EQ(config->FindComponentById(3)->TypeNames.size(), m.AmpTypes) << m.File;
        ASSERT_NE(config->FindComponentById(4), nullptr);
        EXPECT_EQ(config->FindComponentById(4)->Name, "Cabinet");
        EXPECT_EQ(config->FindComponentById(4)->TypeNames.size(), m.CabTypes) << m.File;

        ASSERT_NE(config->FindModifierById(1), nullptr);
        EXPECT_EQ(config->FindModifierById(1)->Name, "Expression Pedal");
        EXPECT_EQ(config->FindModifierById(2)->Name, "LFO 1");
        EXPECT_EQ(config->FindModifierById(4)->Name, "Control Switch");
        EXPECT_EQ(config->FindModifierById(3) != nullptr, m.Modifiers == 4) << m.File;
        for (size_t i = 0; i < config->Modifiers.Count(); ++i) {
            EXPECT_GT(config->Modifiers.Object(i).Params.Count(), 0u);
        }

        // The delay time switches to its upper scale at 1000 ms.
        const TQvrComponent* delay = config->FindComponentById(16);
        ASSERT_NE(delay, nullptr);
        const TQvrParam& time = delay->Types.Item(0).Params.Object(1);
        EXPECT_EQ(time.Name, "Time (ms)");
        EXPECT_EQ(time.ScaleSwitch, 1000.0);
        EXPECT_EQ(1400 * time.ScaleMulHigh + time.ScaleAddHigh, 3000.0);
    }
}

} // namespace
} // namespace qvr::test
