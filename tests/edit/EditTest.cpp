// The editing core: a value given as shown is read back by the configuration's rules, written in
// its message, and the file's report then differs in that value alone.

#include "edit/EditRequest.h"
#include "edit/PresetEditor.h"
#include "edit/Reencode.h"
#include "edit/ShownValue.h"
#include "library/Library.h"
#include "library/ValuesSeen.h"
#include "report/PresetCompare.h"
#include "report/PresetReport.h"
#include "sysex/ByteInput.h"
#include "tests/support/MessageBuilder.h"
#include "tests/support/TempFolder.h"
#include "tools/presetgen/PresetGenerator.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace qvr::test {
namespace {

std::shared_ptr<const TQvrConfig> ExampleConfig(const std::string& file) {
    static std::map<std::string, std::shared_ptr<const TQvrConfig>> loaded;
    auto& config = loaded[file];
    if (!config) {
        config = std::make_shared<TQvrConfig>(std::string(QVR_EXAMPLES_DIR) + "/config/" + file);
    }
    return config;
}

std::string Generate(const std::string& description) {
    std::istringstream in(description);
    std::ostringstream out(std::ios::binary);
    GeneratePresets(in, out);
    return std::move(out).str();
}

class TFailOnError : public IUserNotifier {
public:
    void ShowError(const std::string& text) override { ADD_FAILURE() << text; }
    void ShowWarning(const std::string&) override {}
};

// The records of a file's presets, read as a report reads them.
std::vector<TPresetRecord> Records(const std::string& bytes, const TQvrConfig& config) {
    std::vector<TPresetRecord> records;
    TFailOnError notifier;
    TConfigSearch search;
    search.Loaded = [&config](uint8_t) { return &config; };
    TPresetReport report(notifier, search);
    TPresetCollector collector([&records](TPresetRecord&& r) { records.push_back(std::move(r)); });
    TMemoryInput in(bytes.data(), bytes.size());
    report.Emit(in, collector, '.');
    return records;
}

// Every kind of value: a switch, numbers under both scales, items, a maximum text, a value in
// its long form, modifier values and link ranges.
const std::string Qvr3 = R"(product QVR-3
preset 3 "Glassy Clean"
components
component 1 type=1 values=0,24,0
component 10 type=1 values=0,1,40,2,20,30,24
component 3 type=2 values=1,55,60,45,70,1,1,80
component 16 type=1 values=0,1,1200,35,25:l2,0,150
component 2 type=1 values=0,80,0
modifiers
modifier 1 values=0,1,1
link module=1 param=2 max=60 min=0
modifier 2 values=0,40,2,3
link module=3 param=2 max=99 min=10
link none
preset 4 "Next"
components
component 1 type=1 values=0,24,0
)";

struct TRoundTrip {
    const char* Module;
    const char* Name;
    const char* Value;
    const char* Old; // as the comparison shows the change
    const char* New;
    const char* ChangeName = nullptr; // when the comparison names the line otherwise
};

class RoundTripTest : public testing::TestWithParam<TRoundTrip> {};

TEST_P(RoundTripTest, TheComparisonShowsTheEditAlone) {
    const TRoundTrip& c = GetParam();
    const auto config = ExampleConfig("QVR3.cfg");
    const std::string file = Generate(Qvr3);
    TDump dump = ReadDump(file);
    TPresetEditor editor(std::move(dump), 0, config);
    const TEditResult result = editor.Set(c.Module, c.Name, c.Value, false);
    ASSERT_TRUE(result.Done) << result.Problem;
    EXPECT_FALSE(result.Forced);
    const std::string edited = editor.Bytes();

    const std::vector<TPresetRecord> before = Records(file, *config);
    const std::vector<TPresetRecord> after = Records(edited, *config);
    ASSERT_EQ(after.size(), 2u);
    const std::vector<TChange> changes = ComparePresets(before[0], after[0]);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Kind, TChange::TKind::ValueChanged);
    EXPECT_EQ(changes[0].Module, std::string(c.Module));
    EXPECT_EQ(changes[0].Name, std::string(c.ChangeName ? c.ChangeName : c.Name));
    EXPECT_EQ(changes[0].Old, c.Old);
    EXPECT_EQ(changes[0].New, c.New);
    EXPECT_EQ(after[0].Name, "Glassy Clean");
    // One message is written anew; every other is the file's.
    const TDump original = ReadDump(file);
    const TDump again = ReadDump(edited);
    ASSERT_EQ(again.Messages.size(), original.Messages.size());
    size_t rewritten = 0;
    for (size_t i = 0; i < original.Messages.size(); ++i) {
        rewritten += again.MessageBytes(i) != original.MessageBytes(i) ? 1 : 0;
    }
    EXPECT_EQ(rewritten, 1u);
    // Read again, the edited file shows the new value as the current one.
    TPresetEditor reread(ReadDump(edited), 0, config);
    EXPECT_EQ(reread.Set(c.Module, c.Name, c.Value, false).Old, c.New);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, RoundTripTest,
    testing::Values(TRoundTrip{"Compressor", "Status", "Off", "On", "Off"},
                    TRoundTrip{"Compressor", "On/Off", "Off", "On", "Off", "Status"},
                    TRoundTrip{"Compressor", "Threshold (dB)", "-12", "-40", "-12"},
                    TRoundTrip{"Compressor", "Ratio", "20:1", "3:1", "20:1"},
                    TRoundTrip{"Compressor", "Attack (ms)", "49.5", "10.5", "49.5"},
                    TRoundTrip{"Compressor", "attack (MS)", "1", "10.5", "1", "Attack (ms)"},
                    TRoundTrip{"Green Amp", "Volume", "0.3", "5.5", "0.3"},
                    // The lower scale, then the upper one from the switch on, and back.
                    TRoundTrip{"Delay", "Time (ms)", "999", "2000", "999"},
                    TRoundTrip{"Delay", "Time (ms)", "1005", "2000", "1005"},
                    TRoundTrip{"Delay", "Time (ms)", "3000", "2000", "3000"},
                    // A value in its long form, and the maximum text.
                    TRoundTrip{"Delay", "Mix", "100", "25", "100"},
                    TRoundTrip{"Delay", "High Cut (Hz)", "Off", "16000", "Off"},
                    TRoundTrip{"Delay", "Tempo Sync", "1/4 Triplet", "Off", "1/4 Triplet"},
                    TRoundTrip{"Input", "Input Level (dB)", "-12", "0", "-12"},
                    TRoundTrip{"Expression Pedal", "Toe Switch", "Off", "On", "Off"},
                    TRoundTrip{"LFO 1", "Rate (Hz)", "Tempo", "2.05", "Tempo"},
                    TRoundTrip{"LFO 1", "Rate (Hz)", "9.95", "2.05", "9.95"},
                    // Link ranges are shown by the linked parameter.
                    TRoundTrip{"Expression Pedal", "Link 1 Max", "-10", "-60", "-10", "Max"},
                    TRoundTrip{"LFO 1", "Link 1 Min", "500", "10", "500", "Min"}));

TEST(SeveralEdits, AValueThatGrowsMovesNoneAfterIt) {
    const auto config = ExampleConfig("QVR3.cfg");
    const std::string file = Generate(Qvr3);
    TPresetEditor editor(ReadDump(file), 0, config);
    // Raw 200 takes two bytes more than the one it replaces, ahead of the others in its record.
    ASSERT_TRUE(editor.Set("Compressor", "Attack (ms)", "100.5", true).Forced);
    ASSERT_TRUE(editor.Set("Compressor", "Gain (dB)", "0", false).Done);
    ASSERT_TRUE(editor.Set("Compressor", "Threshold (dB)", "-1", false).Done);
    ASSERT_TRUE(editor.Set("LFO 1", "Waveform", "Random", false).Done);
    const std::vector<TChange> changes =
        ComparePresets(Records(file, *config)[0], Records(editor.Bytes(), *config)[0]);
    std::vector<std::string> shown;
    for (const TChange& change : changes) {
        shown.push_back(*change.Module + ": " + change.Name + " " + change.Old + " -> " +
                        change.New);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Compressor: Threshold (dB) -40 -> -1",
                                               "Compressor: Attack (ms) 10.5 -> 100.5",
                                               "Compressor: Gain (dB) 12 -> 0",
                                               "LFO 1: Waveform Sine -> Random"}));
    // Undone, the file is as it was.
    editor.Restore({});
    EXPECT_EQ(editor.Bytes(), file);
}

// Where a message's records run past its payload, the report reads its checksum as data: a
// value changed there would change what it shows beyond. Such a message has no editable values;
// a header whose name does not end before the checksum cannot be renamed.
TEST(DamagedRecords, AreNotEditable) {
    const std::string file = Generate(R"(product QVR-3
preset 3 "Cut"
components
component 10 type=1 values=0,1,40,2,20,30,24
raw 0x26 00 00 00 02 02 04 00 28 02 03 00
)");
    TPresetEditor editor(ReadDump(file), 0, ExampleConfig("QVR3.cfg"));
    std::vector<std::string> modules;
    for (const TEditableModule& module : editor.Modules()) {
        modules.push_back(module.Label + " " + std::to_string(module.Values.size()));
    }
    // The second modifier record starts at the checksum, which it reads as its id.
    ASSERT_EQ(modules.size(), 3u);
    EXPECT_EQ(modules[0], "Compressor 6");
    EXPECT_EQ(modules[1], "LFO 1 0");
    EXPECT_EQ(editor.Set("LFO 1", "Waveform", "Sine", false).Problem,
              "LFO 1 has no value 'Waveform' to edit; its values are none");
    EXPECT_TRUE(editor.Set("Compressor", "Ratio", "4:1", false).Done);

    const std::string unnamed = Msg(0x21).Body({0, 0, 2, 'A', 'B'}).Str();
    TPresetEditor header(ReadDump(unnamed), 0, ExampleConfig("QVR3.cfg"));
    EXPECT_EQ(header.Rename("C", true).Problem,
              "the preset's header holds no name that ends before its checksum");
}

TEST(RawForShownText, EveryRuleRunBackwards) {
    TQvrParam time; // two scales: 0 to 999 as they are, then 5 per step from 1000 on
    time.Name = "Time (ms)";
    time.Max = 1400;
    time.ScaleSwitch = 1000;
    time.ScaleMulHigh = 5;
    time.ScaleAddHigh = -4000;
    TQvrParam rate; // a fraction, and a maximum text at the top
    rate.Name = "Rate (Hz)";
    rate.Max = 200;
    rate.ScaleMul = 0.05;
    rate.ScaleAdd = 0.05;
    rate.MaxText = "Tempo";
    TQvrParam onOff;
    onOff.Name = "On/Off";
    onOff.Max = 1;
    onOff.Items = {"Off", "On"};
    TQvrParam flat; // every raw number shows the same
    flat.Name = "Flat";
    flat.Max = 3;
    flat.ScaleMul = 0;
    flat.ScaleAdd = 7;
    struct TCase {
        const TQvrParam* Param;
        std::string Text;
        std::optional<int32_t> Current;
        std::optional<int32_t> Raw;
    };
    const std::vector<TCase> cases = {
        {&time, "999", {}, 999},
        {&time, "1000", {}, 1000},
        {&time, "1005", {}, 1001},
        {&time, "3000", {}, 1400},
        {&time, "1003", {}, std::nullopt},
        {&time, "-2103213521", {}, -2103213521},
        {&time, "10737414235", {}, 2147483647},
        {&time, "2147483647", {}, std::nullopt}, // above the switch: the upper scale
        {&rate, "0.1", {}, 1},
        {&rate, "0,1", {}, 1},
        {&rate, "Tempo", {}, 200},
        {&rate, "10.05", {}, std::nullopt}, // raw 200 shows Tempo
        {&onOff, "On", {}, 1},
        {&onOff, "On", 5, 5}, // every raw number but 0 shows On: the file's is kept
        {&onOff, "Off", {}, 0},
        {&flat, "7", {}, 0},
        {&flat, "7", 2, 2},
    };
    for (const TCase& c : cases) {
        const TRawValue raw = RawForShownText(*c.Param, c.Text, c.Current);
        EXPECT_EQ(raw.Raw, c.Raw) << c.Param->Name << " " << c.Text << ": " << raw.Problem;
    }
}

struct TRefusal {
    const char* Module;
    const char* Name;
    const char* Value;
    const char* Problem;
    bool ForceTakes; // the value is one the configuration shows, outside the device's range
};

class RefusalTest : public testing::TestWithParam<TRefusal> {};

TEST_P(RefusalTest, NamesWhatIsWrongAndChangesNothing) {
    const TRefusal& c = GetParam();
    const std::string file = Generate(Qvr3);
    TPresetEditor editor(ReadDump(file), 0, ExampleConfig("QVR3.cfg"));
    const TEditResult refused = editor.Set(c.Module, c.Name, c.Value, false);
    EXPECT_FALSE(refused.Done);
    EXPECT_EQ(refused.Problem, c.Problem);
    EXPECT_EQ(refused.NeedsForce, c.ForceTakes);
    EXPECT_TRUE(editor.Edits().Empty());
    EXPECT_EQ(editor.Bytes(), file);
    const TEditResult forced = editor.Set(c.Module, c.Name, c.Value, true);
    EXPECT_EQ(forced.Done, c.ForceTakes) << forced.Problem;
    EXPECT_EQ(forced.Forced, c.ForceTakes);
    if (c.ForceTakes) {
        EXPECT_EQ(forced.New, c.Value);
        EXPECT_NE(editor.Bytes(), file);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusalTest,
    testing::Values(
        TRefusal{"Compressor", "Attack (ms)", "10.3",
                 "Compressor: '10.3' is not a value of Attack (ms); the nearest shown are 10 and "
                 "10.5",
                 false},
        TRefusal{"Compressor", "Attack (ms)", "50.5",
                 "Compressor: Attack (ms) '50.5' lies outside what the device uses (0.5 to 50, "
                 "and the values the library has seen)",
                 true},
        TRefusal{"Compressor", "Ratio", "5:1",
                 "Compressor: '5:1' is not a value of Ratio: it takes '1.5:1', '2:1', '3:1', "
                 "'4:1', '6:1', '8:1' and '20:1'",
                 false},
        TRefusal{"Compressor", "Status", "Maybe",
                 "Compressor: 'Maybe' is not a value of Status: it takes On or Off", false},
        TRefusal{"Delay", "High Cut (Hz)", "loud",
                 "Delay: 'loud' is not a value of High Cut (Hz): it takes numbers from 1000 to "
                 "20900 and 'Off'",
                 false},
        TRefusal{"Delay", "Time (ms)", "3005",
                 "Delay: Time (ms) '3005' lies outside what the device uses (0 to 3000, and the "
                 "values the library has seen)",
                 true},
        TRefusal{"Nowhere", "Status", "On",
                 "the preset has no module 'Nowhere'; its modules are 'Input', 'Compressor', "
                 "'Green Amp', 'Delay', 'Output', 'Expression Pedal', 'LFO 1'",
                 false},
        TRefusal{"Compressor", "Comp Type", "Optical Comp",
                 "Compressor has no value 'Comp Type' to edit (a module's type is shown, not "
                 "edited); its values are 'Status', 'Threshold (dB)', 'Ratio', 'Attack (ms)', "
                 "'Release (ms)', 'Gain (dB)'",
                 false}));

TEST(DeviceUse, TheLibrarysValuesAreTakenWithoutTheForce) {
    std::vector<std::string> asked;
    TDeviceUse use;
    use.Values = [&asked](const TSeenKey& key) {
        asked.push_back(std::string(key.Model) + "|" + std::string(key.Kind) + "|" +
                        std::to_string(key.TypeId.value_or(-1)) + "|" + std::string(key.TypeName) +
                        "|" + std::string(key.Heading.value_or("-")) + "|" +
                        std::string(key.Parameter));
        return std::vector<int32_t>{100};
    };
    TPresetEditor editor(ReadDump(Generate(Qvr3)), 0, ExampleConfig("QVR3.cfg"), use);
    const TEditResult seen = editor.Set("Compressor", "Attack (ms)", "50.5", false);
    EXPECT_TRUE(seen.Done) << seen.Problem;
    EXPECT_FALSE(seen.Forced);
    EXPECT_FALSE(editor.Set("Compressor", "Attack (ms)", "51", false).Done);
    // Asked once, for the module's kind, type and heading and the parameter's shown name.
    EXPECT_EQ(asked,
              std::vector<std::string>{"QVR-3|component|1|Studio Comp|Compressor|Attack (ms)"});
    // A value in the configuration's range is not asked about; back to the file's drops the edit.
    EXPECT_TRUE(editor.Set("Compressor", "Attack (ms)", "10.5", false).Done);
    EXPECT_TRUE(editor.Edits().Empty());
}

struct TRename {
    std::string Name;
    bool WithLibrary; // the library has seen names up to 20 characters with an e acute
    bool Done;
    bool ForceTakes;
};

class RenameTest : public testing::TestWithParam<TRename> {};

TEST_P(RenameTest, ChangesTheNameAloneWithinTheNamesSeen) {
    const TRename& c = GetParam();
    const auto config = ExampleConfig("QVR3.cfg");
    const std::string file = Generate(Qvr3);
    TDeviceUse use;
    if (c.WithLibrary) {
        use.Names.emplace();
        use.Names->Add("Caf\xE9 Lounge 20 chars");
    }
    TPresetEditor editor(ReadDump(file), 0, config, use);
    const TEditResult result = editor.Rename(c.Name, false);
    EXPECT_EQ(result.Done, c.Done) << result.Problem;
    if (!c.Done) {
        EXPECT_EQ(result.NeedsForce, c.ForceTakes);
        EXPECT_EQ(editor.Rename(c.Name, true).Done, c.ForceTakes);
    }
    if (!editor.Edits().Name) {
        EXPECT_EQ(editor.Bytes(), file);
        return;
    }
    const std::string edited = editor.Bytes();
    const std::vector<TPresetRecord> before = Records(file, *config);
    const std::vector<TPresetRecord> after = Records(edited, *config);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].Name, c.Name);
    EXPECT_EQ(after[0].Number, 3);
    EXPECT_TRUE(ComparePresets(before[0], after[0]).empty());
    EXPECT_EQ(ReadDump(edited).MessageBytes(1), ReadDump(file).MessageBytes(1));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RenameTest,
    testing::Values(TRename{"Bright", false, true, true}, TRename{"", false, true, true},
                    // As long as "Glassy Clean", the longest name of the file, and longer.
                    TRename{"Glassy Clear", false, true, true},
                    TRename{"Glassy Clean!", false, false, true},
                    TRename{"Glassy Clean 2", false, false, true},
                    TRename{"Glassy Clean 2", true, true, true},
                    TRename{"Caf\xE9", false, false, true}, TRename{"Caf\xE9", true, true, true},
                    TRename{"tab\there", true, false, true},
                    // A 0 byte would end the name: never taken.
                    TRename{std::string("a\0b", 3), false, false, false}));

struct TEncoding {
    int32_t Raw;
    Bytes Old;
    Bytes New;
};

TEST(EncodeVarValue, KeepsTheFormWhenItHoldsTheNumber) {
    const std::vector<TEncoding> cases = {
        {5, {0x10}, {0x05}},
        {127, {0x10}, {0x7F}},
        {128, {0x10}, {0x81, 0x80}},
        {300, {0x10}, {0x82, 0x01, 0x2C}},
        {5, {0x82, 0x01, 0x2C}, {0x82, 0x00, 0x05}},
        {0x12345, {0x82, 0x01, 0x2C}, {0x83, 0x01, 0x23, 0x45}},
        {0x1234, {0x80, 0x00, 0x02, 0x00, 0x19}, {0x80, 0x00, 0x02, 0x12, 0x34}},
        {0x123456, {0x80, 0x00, 0x02, 0x00, 0x19}, {0x83, 0x12, 0x34, 0x56}},
        {0, {0x80, 0x00, 0x00}, {0x80, 0x00, 0x00}},
        {1, {0x80, 0x00, 0x00}, {0x01}},
        {-2, {0x00}, {0x84, 0xFF, 0xFF, 0xFF, 0xFE}},
        {7, {0x85, 0, 0, 0, 0, 1}, {0x85, 0, 0, 0, 0, 7}},
    };
    for (const TEncoding& c : cases) {
        EXPECT_EQ(EncodeVarValue(c.Raw, c.Old), c.New) << c.Raw << " over " << Hex(ToString(c.Old));
    }
}

TEST(EditRequest, ModuleNameAndValue) {
    struct TCase {
        std::string Text;
        std::optional<std::vector<std::string>> Parts; // module, name, value
        std::string Problem;
    };
    const std::vector<TCase> cases = {
        {"Compressor: Ratio=4:1", std::vector<std::string>{"Compressor", "Ratio", "4:1"}, ""},
        {" Delay :  Mix = 40 ", std::vector<std::string>{"Delay", "Mix", "40"}, ""},
        {"LFO 1: Link 1 Max=", std::vector<std::string>{"LFO 1", "Link 1 Max", ""}, ""},
        {"A: b=c=d", std::vector<std::string>{"A", "b", "c=d"}, ""},
        {"Delay Mix=40", std::nullopt, "'Delay Mix=40' is not MODULE: PARAMETER=VALUE"},
        {"Delay: Mix", std::nullopt, "'Delay: Mix' is not MODULE: PARAMETER=VALUE"},
        {" : Mix=4", std::nullopt, "' : Mix=4' names no module"},
        {"Delay: =4", std::nullopt, "'Delay: =4' names no parameter"},
    };
    for (const TCase& c : cases) {
        std::string problem;
        const std::optional<TEditRequest> request = ParseEditRequest(c.Text, problem);
        ASSERT_EQ(request.has_value(), c.Parts.has_value()) << c.Text;
        if (request) {
            EXPECT_EQ((std::vector<std::string>{request->Module, request->Name, request->Value}),
                      *c.Parts);
        }
        EXPECT_EQ(problem, c.Problem);
    }
}

// The library's values of a parameter are those of modules of the same kind, type and heading in
// files of the same model; the names, its characters back in the files' code page.
TEST(ValuesSeen, OfOneParameterOfOneKindOfModuleOfOneModel) {
    const TTempFolder temp;
    const std::string qvr3 = temp.Write("a.q3p", Generate(R"(product QVR-3
preset 1 "Caf\xE9"
components
component 10 type=1 values=0,1,40,2,100,30,24
component 10 type=2 values=1,1,7,8,9
preset 2 "Longer Name Here"
components
component 10 type=1 values=0,1,40,2,20,30,24
component 16 type=1 values=0,1,1200,35,25,0,150
)"));
    const std::string kdt3 = temp.Write("b.k3p", Generate(R"(product KDT-3
preset 1 "Other Model Name Longest"
components
component 10 type=1 values=0,1,40,2,77,30,24
)"));
    TConfigSearch search;
    search.EditorFolder = std::string(QVR_EXAMPLES_DIR) + "/config/";
    TLibrary library((temp.Path() / "library.sqlite").string(), search);
    library.Add({qvr3, kdt3}, false, {});
    const auto seen = [&](std::string_view model, std::string_view type,
                          std::optional<std::string_view> heading, std::string_view parameter) {
        return ParameterValuesSeen(library.Database(),
                                   TSeenModule{model, "component", 1, type, heading}, parameter);
    };
    EXPECT_EQ(seen("QVR-3", "Studio Comp", "Compressor", "Attack (ms)"),
              (std::vector<int64_t>{20, 100}));
    EXPECT_EQ(seen("QVR-3", "Studio Comp", "Compressor", "Status"), (std::vector<int64_t>{1}));
    EXPECT_EQ(seen("KDT-3", "Studio Comp", "Compressor", "Attack (ms)"),
              (std::vector<int64_t>{77}));
    // Another type, heading or parameter of the same id and place holds none of these.
    EXPECT_TRUE(seen("QVR-3", "Stomp Squeeze", "Compressor", "Attack (ms)").empty());
    EXPECT_TRUE(seen("QVR-3", "Studio Comp", "Delay", "Attack (ms)").empty());
    EXPECT_TRUE(seen("QVR-3", "Studio Comp", std::nullopt, "Attack (ms)").empty());
    EXPECT_TRUE(seen("QVR-3", "Studio Comp", "Compressor", "Mix").empty());

    const TNamesSeen names = PresetNamesSeen(library.Database(), "QVR-3");
    EXPECT_EQ(names.Names, 2u);
    EXPECT_EQ(names.Longest, 16u);
    EXPECT_TRUE(names.Characters[0xE9]);
    EXPECT_TRUE(names.Characters['L']);
    EXPECT_FALSE(names.Characters['O']);  // only in the other model's names
    EXPECT_FALSE(names.Characters[0xC3]); // the UTF-8 the library keeps is read back
}

} // namespace
} // namespace qvr::test
