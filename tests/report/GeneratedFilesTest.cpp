// Random preset files of every model, written by our preset generator from
// descriptions made here, go through the report in all four formats; the
// checker beside this file then reads every document back (JSON against the
// shipped schema, CSV as strict RFC 4180) and tells whether they hold the
// same presets, modules and parameters in the same order.

#include "ReportFixtures.h"
#include "report/PresetReport.h"
#include "report/ReportFormat.h"
#include "sysex/ByteInput.h"
#include "sysex/Products.h"
#include "tools/presetgen/PresetGenerator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace qvr::test {
namespace {

constexpr int FileCount = 2000;

// The description of one random file for a configuration.
class TRandomDescription {
public:
    TRandomDescription(std::mt19937& random, const TQvrConfig& config, std::string_view model)
        : Random(random), Config(config) {
        Lines.push_back("product " + std::string(model));
    }

    std::vector<std::string> Make() {
        if (Chance(10)) {
            Chain(); // modules before any preset header
        }
        const int presets = Between(1, 4);
        for (int i = 0; i < presets; ++i) {
            Lines.push_back(Chance(15)
                                ? "preset none " + Name()
                                : "preset " + std::to_string(Between(1, 254)) + " " + Name());
            // Names held back from the chain before come after this header.
            Lines.insert(Lines.end(), Pending.begin(), Pending.end());
            Pending.clear();
            if (!Chance(10)) {
                Chain();
            }
            if (Chance(20)) {
                Lines.push_back("raw " + std::to_string(Between(0x0B, 0x0C)) + " 01");
            }
        }
        Lines.insert(Lines.end(), Pending.begin(), Pending.end());
        return Lines;
    }

private:
    int Between(int low, int high) { return std::uniform_int_distribution(low, high)(Random); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

    // A quoted name with the characters that formats escape, and bytes of
    // windows-1252 beyond ASCII.
    std::string Name() {
        static const char* const pieces[] = {"Clean", " ",     ",",     "\\\"",  "&",
                                             "<b>",   "\\xE9", "\\x80", "\\x83", "\\x9F",
                                             "\\x0B", "\\\\",  "7"};
        std::string name = "\"";
        for (int i = Between(0, 5); i > 0; --i) {
            name += pieces[Between(0, std::size(pieces) - 1)];
        }
        return name + "\"";
    }

    std::string Values(int count, int first) {
        std::string values = "values=" + std::to_string(first);
        for (int i = 1; i < count; ++i) {
            values.append(",").append(
                std::to_string(Chance(10) ? Between(128, 70000) : Between(0, 127)));
        }
        return values;
    }

    void Chain() {
        Lines.emplace_back("components");
        std::vector<int> channels; // ids of amps and cabinets
        const int modules = Between(0, 9);
        for (int i = 0; i < modules; ++i) {
            const size_t count = Config.FxComponents.Count() + Config.QvrComponents.Count();
            const size_t pick = static_cast<size_t>(Between(0, static_cast<int>(count)));
            if (pick == count) {
                Lines.push_back("component 99 type=1 " + Values(Between(1, 4), 0));
                continue;
            }
            const TQvrComponent& c =
                pick < Config.FxComponents.Count()
                    ? Config.FxComponents.Object(pick)
                    : Config.QvrComponents.Object(pick - Config.FxComponents.Count());
            if (c.Name == "Amp" || c.Name == "Cabinet") {
                channels.push_back(c.Id);
            }
            const int typeIndex =
                c.TypeNames.empty() ? 0 : Between(0, static_cast<int>(c.TypeNames.size()));
            const int typeId = static_cast<size_t>(typeIndex) < c.TypeNames.size()
                                   ? c.TypeNames[static_cast<size_t>(typeIndex)].Id
                                   : Between(0, 20);
            Lines.push_back("component " + std::to_string(c.Id) + " type=" +
                            std::to_string(typeId) + " " + Values(Between(1, 12), typeIndex));
        }
        if (Chance(70) && Config.Modifiers.Count() > 0) {
            Lines.emplace_back("modifiers");
            for (int i = Between(1, 3); i > 0; --i) {
                const int id = Chance(10)
                                   ? 99
                                   : Config.Modifiers
                                         .Object(static_cast<size_t>(Between(
                                             0, static_cast<int>(Config.Modifiers.Count()) - 1)))
                                         .Id;
                Lines.push_back("modifier " + std::to_string(id) + " " + Values(Between(1, 4), 1));
                for (int link = Between(0, 3); link > 0; --link) {
                    Lines.push_back(Chance(20)
                                        ? "link none"
                                        : "link module=" + std::to_string(Between(0, modules + 1)) +
                                              " param=" + std::to_string(Between(0, 6)) +
                                              " max=" + std::to_string(Between(0, 300)) +
                                              " min=" + std::to_string(Between(0, 20)));
                }
            }
        }
        for (const int id : channels) {
            if (Chance(60)) {
                (Chance(25) ? Pending : Lines)
                    .push_back("usermodel " + std::to_string(id) + " " + Name() + " data=4");
            }
        }
    }

    std::mt19937& Random;
    const TQvrConfig& Config;
    std::vector<std::string> Lines;
    std::vector<std::string> Pending;
};

TEST(GeneratedFiles, EveryFormatHoldsTheSamePresetsModulesAndParameters) {
    TTempFolder out;
    std::mt19937 random(18);
    TRecordingNotifier notifier;
    std::vector<std::unique_ptr<TQvrConfig>> configs;
    for (const TProduct& product : Products()) {
        configs.push_back(std::make_unique<TQvrConfig>(QVR_EXAMPLES_DIR "/config/" +
                                                       std::string(product.ConfigFile)));
    }
    // Each configuration is loaded once.
    TConfigSearch search{QVR_EXAMPLES_DIR "/config/", QVR_EXAMPLES_DIR "/config/"};
    search.Loaded = [&configs](uint8_t id) -> const TQvrConfig* {
        for (size_t i = 0; i < Products().size(); ++i) {
            if (Products()[i].Id == id) {
                return configs[i].get();
            }
        }
        return nullptr;
    };
    for (int i = 0; i < FileCount; ++i) {
        const size_t model = static_cast<size_t>(i) % configs.size();
        TRandomDescription description(random, *configs[model], Products()[model].Model);
        std::ostringstream bytes;
        TPresetGenerator(bytes).Run(description.Make());
        const std::string file = bytes.str();
        const std::string name = out.Folder() + "file" + std::to_string(i);
        for (const auto& [format, extension] :
             {std::pair{TReportFormat::Html, ".html"}, std::pair{TReportFormat::Text, ".text"},
              std::pair{TReportFormat::Csv, ".csv"}, std::pair{TReportFormat::Json, ".json"}}) {
            TStringTarget document;
            const auto writer =
                MakeReportWriter(format, document, TDocumentSource{name, "qvrreport", "0"}, 4);
            TPresetReport report(notifier, search);
            TMemoryInput in(reinterpret_cast<const uint8_t*>(file.data()), file.size());
            report.Emit(in, *writer, '.');
            std::ofstream(name + extension, std::ios::binary) << document.Text;
        }
    }
    const std::string command = "/usr/bin/python3 " QVR_SOURCE_DIR "/tests/report/check-formats " +
                                out.Folder() + " " QVR_SOURCE_DIR "/data/qvr-presets.schema.json";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace
} // namespace qvr::test
