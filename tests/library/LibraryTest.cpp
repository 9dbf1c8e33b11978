#include "library/Library.h"

#include "library/Copies.h"
#include "library/Fingerprint.h"
#include "library/History.h"
#include "library/ParameterBlock.h"
#include "library/Schema.h"
#include "library/Search.h"
#include "platform/Version.h"
#include "report/CompareWriters.h"
#include "tests/support/TempFolder.h"
#include "tools/presetgen/PresetGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

// The query as a short text: terms joined by " & ", groups by " | ".
std::string Describe(const TQuery& query) {
    static const char* const compares[] = {"=", "!=", "<", "<=", ">", ">="};
    std::string text;
    for (const TQueryAll& all : query.Any) {
        text += text.empty() ? "" : " | ";
        for (size_t i = 0; i < all.size(); ++i) {
            const TQueryTerm& t = all[i];
            text += i == 0 ? "" : " & ";
            switch (t.Kind) {
            case TQueryTerm::TKind::Word:
                text += "W(" + t.Text + ")";
                break;
            case TQueryTerm::TKind::Model:
                text += "model(" + t.Text + ")";
                break;
            case TQueryTerm::TKind::Module:
                text += "module(" + t.Text + ")";
                break;
            case TQueryTerm::TKind::Condition:
                text += "C(" + t.Text + compares[static_cast<int>(t.Compare)] + t.Value +
                        (t.Number ? "#" : "") + ")";
                break;
            }
        }
    }
    return text;
}

TEST(LibraryQuery, ReadsTermsConditionsAndOr) {
    const std::pair<const char*, const char*> cases[] = {
        {"lead", "W(lead)"},
        {"  Lead  solo ", "W(Lead) & W(solo)"},
        {"\"two words\" model:QVR-3", "W(two words) & model(QVR-3)"},
        {"MODULE:\"Stereo Chorus\"", "module(Stereo Chorus)"},
        {"\"Rate\">5 Rate>=5.5 Rate<-1 Rate<=+2", "C(Rate>5#) & C(Rate>=5.5#) & C(Rate<-1#) & "
                                                  "C(Rate<=+2#)"},
        {"\"Amp Type\"=Lead Mix!=\"Dry Mix\" Level=0", "C(Amp Type=Lead) & C(Mix!=Dry Mix) & "
                                                       "C(Level=0#)"},
        {"lead OR crunch AND model:KDT-3", "W(lead) | W(crunch) & model(KDT-3)"},
        {"Name=\"\"", "C(Name=)"},
        // OR and AND only as words of their own.
        {"ORCA ANDY or", "W(ORCA) & W(ANDY) & W(or)"},
        // Blanks around the comparison.
        {"Rate > 5 \"Amp Type\" = Lead Mix !=  \"Dry\" Level\t<=-1",
         "C(Rate>5#) & C(Amp Type=Lead) & C(Mix!=Dry) & C(Level<=-1#)"},
    };
    for (const auto& [query, expected] : cases) {
        EXPECT_EQ(Describe(ParseQuery(query)), expected) << query;
    }
    // As many terms as a query may have, in groups.
    std::string most = "a";
    for (size_t i = 1; i < MaxQueryTerms; ++i) {
        most += i % 100 == 0 ? " OR a" : " a";
    }
    EXPECT_EQ(ParseQuery(most).Any.size(), 3u);
}

TEST(LibraryQuery, PointsAtTheOffendingWord) {
    struct TCase {
        const char* Query;
        const char* Message;
        size_t Offset;
        size_t Length;
    };
    // One term too many, the last of them pointed at.
    std::string tooMany;
    for (size_t i = 0; i < MaxQueryTerms; ++i) {
        tooMany += i == 128 ? "OR x " : "x ";
    }
    tooMany += "Rate>5";
    const size_t lastAt = tooMany.size() - 6;
    const TCase cases[] = {
        {tooMany.c_str(), "a query may have at most 256 terms", lastAt, 6},
        {"lead \"Rate>5", "the quote is not closed", 5, 7},
        {"modle:x", "unknown field 'modle:' (model: or module:)", 0, 6},
        {"lead model:", "'model:' needs a name after the colon", 5, 6},
        {"x Rate>", "a comparison needs a value after '>'", 2, 5},
        {"x Rate >  ", "a comparison needs a value after '>'", 2, 8},
        {"Rate > fast", "'fast' is not a number", 7, 4},
        {"Rate>fast", "'fast' is not a number", 5, 4},
        {"Rate<=1e3", "'1e3' is not a number", 6, 3},
        {">5", "a comparison needs a parameter name before it", 0, 1},
        {"Rate=>5", "'=>' is not a comparison", 4, 2},
        {"a!b", "'!' is not a comparison", 1, 1},
        {"OR lead", "OR needs terms on both sides", 0, 2},
        {"lead OR", "OR needs terms on both sides", 5, 2},
        {"   ", "the query is empty", 0, 3},
    };
    for (const TCase& c : cases) {
        try {
            ParseQuery(c.Query);
            ADD_FAILURE() << c.Query << " was read";
        } catch (const EQueryError& error) {
            EXPECT_EQ(std::string(error.what()), c.Message) << c.Query;
            EXPECT_EQ(error.Offset, c.Offset) << c.Query;
            EXPECT_EQ(error.Length, c.Length) << c.Query;
        }
    }
}

// A folder's files are taken by the extension of their name alone, as std::filesystem reads it.
TEST(LibraryFileScan, TakesFilesByTheExtensionOfTheirName) {
    const struct {
        std::string Path;
        bool Taken;
    } cases[] = {
        {"/a/b/stage.q1p", true},  {"/a/b/STAGE.Q3A", true},   {"backup.q1a", true},
        {"/a/b/..q3a", true},      {"/a/b.q3a/readme", false}, {"/a/b/.q3a", false},
        {"/a/b/x.q3a.txt", false}, {"/a/b/x.", false},         {"/a/b/x.q3", false},
        {"/a/b/q3a", false},       {"/a/b/x.q3a/", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPresetFileName(c.Path), c.Taken) << c.Path;
    }
}

// Fingerprints are kept in the library: the same content has the same one in every
// version of the program and on every machine (these values were written by the first).
TEST(LibraryFingerprint, StaysTheSameForTheSameContent) {
    const TLibModule amp{2, "amp", 3, "Green", "Green Amp", "My amp", {{"Bass", 5, 5.0, "5"}}};
    const TLibModule chorus{7,
                            "component",
                            std::nullopt,
                            "Chorus",
                            std::nullopt,
                            std::nullopt,
                            {{"Rate (Hz)", -3, std::nullopt, "Tempo"}, {"Mix", 300, 30.0, "30"}}};
    const struct {
        TLibPreset Preset;
        int64_t Fingerprint;
    } cases[] = {
        {{1, "Lead", {}}, 3244421341483603138},
        {{1, "Lead", {amp}}, 2045310861950414205},
        {{std::nullopt, "Other name", {amp, chorus}}, -4290969408621425620},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PresetFingerprint(c.Preset), c.Fingerprint) << c.Preset.Modules.size();
    }
}

TEST(LibraryParameterBlock, EntriesComeBackAsWritten) {
    const TParameterEntry entries[] = {
        {100, 0, 3, 3.0, "3"}, // the text is the value
        {100, 4, std::nullopt, std::nullopt, "On"},
        {101, 4, -7, -2.5, "-2.5"},
        {101, 11, 1400, 0.05, "0.05 s"},        // text and value differ
        {102, 4, 0, std::nullopt, "On"},        // a text met before
        {102, 300, 1, -0.0, "-0"},              // negative zero stays negative
        {5000, 2, std::nullopt, 1e20, "1e+20"}, // beyond the whole numbers kept as such
        {5000, 3, std::nullopt, std::nullopt, ""},
    };
    TParameterBlockWriter writer(100);
    for (const TParameterEntry& entry : entries) {
        writer.Add(entry);
    }
    EXPECT_EQ(writer.Count(), std::size(entries));
    const std::string bytes = writer.Bytes();
    TParameterBlockReader reader(100, bytes);
    TParameterEntry read;
    for (const TParameterEntry& entry : entries) {
        ASSERT_TRUE(reader.Next(read));
        EXPECT_EQ(read.Preset, entry.Preset);
        EXPECT_EQ(read.Module, entry.Module);
        EXPECT_EQ(read.Raw, entry.Raw);
        ASSERT_EQ(read.Number.has_value(), entry.Number.has_value());
        if (entry.Number) {
            EXPECT_EQ(std::signbit(*read.Number), std::signbit(*entry.Number));
            EXPECT_EQ(*read.Number, *entry.Number);
        }
        EXPECT_EQ(TextOf(read), entry.Text);
    }
    EXPECT_FALSE(reader.Next(read));
    EXPECT_FALSE(reader.Damaged());
    // Every cut short of the end is noticed, never read past.
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        TParameterBlockReader shortened(100, std::string_view(bytes).substr(0, cut));
        size_t count = 0;
        while (shortened.Next(read)) {
            ++count;
        }
        EXPECT_LT(count, std::size(entries)) << cut;
    }
}

// Preset files in a folder of their own: the examples, backups written from the
// benchmark's description (with user-model names) and a damaged copy.
class LibraryTest : public testing::Test {
protected:
    void SetUp() override {
        const fs::path source = QVR_SOURCE_DIR;
        fs::create_directories(Files / "examples");
        for (const auto& entry : fs::directory_iterator(source / "examples" / "presets")) {
            if (entry.is_regular_file()) {
                fs::copy_file(entry.path(), Files / "examples" / entry.path().filename());
            }
        }
        fs::copy(source / "examples" / "config", Temp.Path() / "config");
        Generate("gen/twenty.q3a", 20);
        Generate("gen/deeper/seven.q3a", 7);
        const std::string backup = ReadFileBytes(source / "examples/presets/backup.q1a");
        Temp.Write("files/damaged.q1a", backup.substr(0, backup.size() / 2));
        Temp.Write("files/notes.txt", "not a preset file");
        // Distinct times, the generated ones newest.
        auto time = fs::file_time_type::clock::now() - std::chrono::hours(24);
        for (const auto& entry : fs::recursive_directory_iterator(Files)) {
            if (entry.is_regular_file()) {
                fs::last_write_time(entry.path(), time += std::chrono::minutes(1));
            }
        }
    }

    void Generate(const std::string& name, int presets) const {
        std::ifstream description(fs::path(QVR_SOURCE_DIR) / "bench/large-backup.txt");
        std::ostringstream out;
        GeneratePresets(description, out, {{"PRESETS", presets}});
        Temp.Write("files/" + name, out.str());
    }

    TConfigSearch Configs() const {
        TConfigSearch search;
        search.EditorFolder = (Temp.Path() / "config").string() + "/";
        search.ProgramFolder = Temp.Folder();
        return search;
    }

    TTempFolder Temp;
    const fs::path Files = Temp.Path() / "files";
    const std::string Database = (Temp.Path() / "data" / "library.sqlite").string();
};

// Runs PROGRAM with ARGS; standard output and error and the exit status.
struct TToolRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TToolRun RunTool(const char* program, const fs::path& folder,
                 const std::vector<std::string>& args) {
    std::string command = "'" + std::string(program) + "'";
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    command +=
        " </dev/null >'" + (folder / "out").string() + "' 2>'" + (folder / "err").string() + "'";
    const int status = std::system(command.c_str());
    return TToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(folder / "out"),
                    ReadFileBytes(folder / "err")};
}

using nlohmann::json;

// A preset as the report's JSON of its file gives it, apart from the library.
struct TJsonPreset {
    std::string Path;
    std::string Model;
    int64_t Position;
    json Preset;
};

std::string TextOr(const json& value) {
    return value.is_string() ? value.get<std::string>() : std::string();
}

// Whether a word of the preset's name, module types and headings or user-model
// names (only its module types and headings with `modulesOnly`) is `word`, or
// starts with it with `prefix`; letters of any case.
bool HasWord(const json& preset, const std::string& word, bool prefix, bool modulesOnly = false) {
    std::vector<std::string> texts;
    if (!modulesOnly) {
        texts.push_back(TextOr(preset["name"]));
    }
    for (const json& module : preset["modules"]) {
        texts.push_back(TextOr(module["type_name"]));
        texts.push_back(TextOr(module["heading"]));
        if (!modulesOnly) {
            texts.push_back(TextOr(module["user_model_name"]));
        }
    }
    for (const std::string& text : texts) {
        std::string lower;
        for (const char c : text + " ") {
            if (std::isalnum(static_cast<unsigned char>(c))) {
                lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
            } else if (!lower.empty()) {
                if (prefix ? lower.starts_with(word) : lower == word) {
                    return true;
                }
                lower.clear();
            }
        }
    }
    return false;
}

// Whether any parameter named `name` (or `name (UNIT)`) holds.
bool AnyParameter(const json& preset, const std::string& name,
                  const std::function<bool(const json&)>& holds) {
    for (const json& module : preset["modules"]) {
        for (const json& p : module["parameters"]) {
            const std::string shown = p["name"];
            if ((shown == name || shown.starts_with(name + " (")) && holds(p)) {
                return true;
            }
        }
    }
    return false;
}

// A parameter's value as a number; not a number when it shows a text.
double Number(const json& parameter) {
    return parameter["value"].is_number() ? parameter["value"].get<double>() : NAN;
}

TEST_F(LibraryTest, SearchFindsWhatEachFilesJsonHolds) {
    TLibrary library(Database, Configs());
    std::vector<std::string> problems;
    size_t withErrors = 0;
    TLibrary::TProgress progress;
    progress.Problem = [&](const std::string& text) { problems.push_back(text); };
    progress.File = [&](size_t, size_t, const std::string&, const TLibrary::TFileResult& r) {
        withErrors += r.Messages.empty() ? 0 : 1;
    };
    EXPECT_EQ(library.Add({Files.string(), (Files / "missing").string()}, false, progress), 13u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], (Files / "missing").string() + ": No such file or directory");
    EXPECT_EQ(withErrors, 2u); // the damaged file, and a warning of the KDT-3 backup

    // The same presets, from each file's JSON as the report writes it.
    std::vector<TJsonPreset> all;
    for (const TLibraryFile& file : library.Files()) {
        const TToolRun report =
            RunTool(QVRREPORT_PATH, Temp.Path(),
                    {"--format=json", "-d", Configs().EditorFolder.value(), file.Path});
        const json document = json::parse(report.Out);
        const std::string model = TextOr(document["model"]);
        int64_t position = 0;
        for (const json& preset : document["presets"]) {
            // Modules before the first preset header make no preset of their own when there are
            // none.
            if (preset["header"] || !preset["modules"].empty()) {
                all.push_back(TJsonPreset{file.Path, model, ++position, preset});
            }
        }
        std::string messages;
        for (const json& message : document["messages"]) {
            // Named as every program names the preset a message was met in.
            std::string part;
            if (const json& place = message["preset"]; place.is_number()) {
                const json& number = document["presets"][place.get<size_t>()]["number"];
                part = number.is_number()
                           ? "preset " + std::to_string(number.get<int64_t>()) + ": "
                           : "preset at place " + std::to_string(place.get<size_t>() + 1) + ": ";
            }
            messages += message["kind"].get<std::string>() + ": " + part +
                        message["text"].get<std::string>() + "\n";
        }
        EXPECT_EQ(file.Presets, position) << file.Path;
        EXPECT_EQ(file.Model, model) << file.Path;
        EXPECT_EQ(file.Errors, messages) << file.Path;
    }
    ASSERT_GT(all.size(), 150u);

    using TWants = std::function<bool(const TJsonPreset&)>;
    const std::pair<const char*, TWants> cases[] = {
        {"lead", [](const TJsonPreset& r) { return HasWord(r.Preset, "lead", true); }},
        {"cru", [](const TJsonPreset& r) { return HasWord(r.Preset, "cru", true); }},
        {"MODEL:qvr-1", [](const TJsonPreset& r) { return r.Model == "QVR-1"; }},
        {"module:Chorus",
         [](const TJsonPreset& r) { return HasWord(r.Preset, "chorus", false, true); }},
        {"\"Rate\">5",
         [](const TJsonPreset& r) {
             return AnyParameter(r.Preset, "Rate", [](auto& p) { return Number(p) > 5; });
         }},
        {"Volume<=2.5 model:QVR-3",
         [](const TJsonPreset& r) {
             return r.Model == "QVR-3" &&
                    AnyParameter(r.Preset, "Volume", [](auto& p) { return Number(p) <= 2.5; });
         }},
        // Two conditions, each read from the file's blocks once, both met.
        {"Bass>=4 Mid<5",
         [](const TJsonPreset& r) {
             return AnyParameter(r.Preset, "Bass", [](auto& p) { return Number(p) >= 4; }) &&
                    AnyParameter(r.Preset, "Mid", [](auto& p) { return Number(p) < 5; });
         }},
        // A number given as 10 finds 10 among 9, 10.5 and 100: not compared as text.
        {"\"Time\"=10.0",
         [](const TJsonPreset& r) {
             return AnyParameter(r.Preset, "Time", [](auto& p) { return Number(p) == 10; });
         }},
        // Compared as shown: a value computed as 4.6000000000000005 is the 4.6 shown.
        {"Bass = 4.6 OR Mid = 4.6",
         [](const TJsonPreset& r) {
             return AnyParameter(r.Preset, "Bass", [](auto& p) { return Number(p) == 4.6; }) ||
                    AnyParameter(r.Preset, "Mid", [](auto& p) { return Number(p) == 4.6; });
         }},
        {"\"Mod Type\"=chorus",
         [](const TJsonPreset& r) {
             return AnyParameter(r.Preset, "Mod Type",
                                 [](auto& p) { return p["text"] == "Chorus"; });
         }},
        {"\"Red cab 7\" OR crunch",
         [](const TJsonPreset& r) {
             const json& modules = r.Preset["modules"];
             return HasWord(r.Preset, "crunch", true) ||
                    std::any_of(modules.begin(), modules.end(),
                                [](const json& m) { return m["user_model_name"] == "Red cab 7"; });
         }},
    };
    for (const auto& [query, wants] : cases) {
        std::set<std::string> expected;
        for (const TJsonPreset& r : all) {
            if (wants(r)) {
                expected.insert(r.Path + ":" + std::to_string(r.Position));
            }
        }
        const std::vector<TSearchHit> hits = Search(library.Database(), ParseQuery(query));
        std::set<std::string> found;
        for (size_t i = 0; i < hits.size(); ++i) {
            found.insert(hits[i].Path + ":" + std::to_string(hits[i].Position));
            if (i > 0) { // newest files first, then in file order
                const TSearchHit& before = hits[i - 1];
                EXPECT_TRUE(before.ModifiedNs > hits[i].ModifiedNs ||
                            (before.Path == hits[i].Path && before.Position < hits[i].Position))
                    << query;
            }
        }
        EXPECT_FALSE(expected.empty()) << query;
        EXPECT_EQ(found, expected) << query;
    }
}

TEST_F(LibraryTest, UpdateReadsOnlyChangedFilesAndDropsGoneOnes) {
    TLibrary library(Database, Configs());
    std::map<std::string, TFileChange> changes;
    TLibrary::TProgress progress;
    progress.File = [&](size_t, size_t, const std::string& path, const TLibrary::TFileResult& r) {
        changes[fs::path(path).filename().string()] = r.Change;
    };
    const auto presetsOf = [&](const std::string& name) {
        for (const TLibraryFile& file : library.Files()) {
            if (fs::path(file.Path).filename() == name) {
                return file.Presets;
            }
        }
        return int64_t{-1};
    };
    const fs::path qvr2 = Temp.Path() / "config/QVR2.cfg";
    fs::rename(qvr2, qvr2.string() + ".away");
    ASSERT_EQ(library.Add({Files.string()}, false, progress), 13u);
    EXPECT_EQ(presetsOf("backup.q2a"), 0);

    EXPECT_EQ(library.Update(progress), 0u);
    EXPECT_EQ(changes.size(), 13u);
    EXPECT_TRUE(std::all_of(changes.begin(), changes.end(),
                            [](const auto& c) { return c.second == TFileChange::Unchanged; }));

    fs::rename(qvr2.string() + ".away", qvr2); // the QVR-2 files read again
    Generate("gen/twenty.q3a", 3);             // new contents
    fs::last_write_time(Files / "examples/stage.q1p", fs::file_time_type::clock::now()); // touched
    fs::remove(Files / "gen/deeper/seven.q3a");                                          // gone
    changes.clear();
    EXPECT_EQ(library.Update(progress), 3u);
    EXPECT_EQ(changes["backup.q2a"], TFileChange::Updated);
    EXPECT_EQ(changes["stage.q2p"], TFileChange::Updated);
    EXPECT_EQ(changes["twenty.q3a"], TFileChange::Updated);
    EXPECT_EQ(changes["stage.q1p"], TFileChange::Restamped);
    EXPECT_EQ(changes["seven.q3a"], TFileChange::Dropped);
    EXPECT_EQ(std::count_if(changes.begin(), changes.end(),
                            [](const auto& c) { return c.second == TFileChange::Unchanged; }),
              8);
    EXPECT_EQ(presetsOf("backup.q2a"), 25);
    EXPECT_EQ(presetsOf("twenty.q3a"), 3);
    EXPECT_EQ(presetsOf("seven.q3a"), -1);
    EXPECT_TRUE(Search(library.Database(), ParseQuery("\"Bench 5\"")).empty());

    EXPECT_EQ(library.Remove({(Files / "examples").string()}).Files, 10u);
    EXPECT_EQ(library.Files().size(), 2u);
    TStatement rows(library.Database(),
                    "SELECT (SELECT count(*) FROM presets) + (SELECT count(*) FROM preset_words)");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Int(0), 2 * (3 + presetsOf("damaged.q1a")));
}

// Rows of every table that holds what presets use; none is left once the
// files are gone.
int64_t RowsLeft(TSqlite& db) {
    TStatement rows(db, "SELECT (SELECT count(*) FROM presets) + (SELECT count(*) FROM "
                        "preset_words) + (SELECT count(*) FROM parameters) + (SELECT count(*) "
                        "FROM parameter_names) + (SELECT count(*) FROM chains) + (SELECT "
                        "count(*) FROM chain_words) + (SELECT count(*) FROM module_types) + "
                        "(SELECT count(*) FROM file_messages)");
    EXPECT_TRUE(rows.Step());
    return rows.Int(0);
}

TEST_F(LibraryTest, FoldersAreFollowedAndKeptByTheirRealPath) {
    TLibrary library(Database, Configs());
    std::map<std::string, TFileChange> changes;
    TLibrary::TProgress progress;
    progress.File = [&](size_t, size_t, const std::string& path, const TLibrary::TFileResult& r) {
        changes[path] = r.Change;
    };
    const fs::path gen = fs::canonical(Files / "gen");
    const fs::path link = Temp.Path() / "gen-link";
    fs::create_directory_symlink(gen, link);
    fs::create_directories(Files / "gen-old");
    fs::copy_file(Files / "examples/stage.q1p", Files / "gen-old/stage.q1p");
    ASSERT_EQ(library.Add({gen.string(), (Files / "gen-old").string()}, false, progress), 3u);
    // The same folder through a link: followed once, its files held once.
    EXPECT_EQ(library.Add({link.string() + "/", (link / "twenty.q3a").string()}, false, progress),
              0u);
    std::vector<std::string> followed;
    for (const TLibraryFolder& folder : library.Folders()) {
        followed.push_back(folder.Path);
    }
    EXPECT_EQ(followed,
              (std::vector<std::string>{gen.string(), fs::canonical(Files / "gen-old").string()}));
    EXPECT_EQ(library.Files().size(), 3u);
    const TToolRun listed = RunTool(QVRLIB_PATH, Temp.Path(), {"folders", "--database", Database});
    EXPECT_EQ(listed.Out, followed[0] + "\n" + followed[1] + "\n");

    // A file copied into a new subfolder is found by the update, a gone one dropped.
    fs::create_directories(gen / "sub");
    fs::copy_file(Files / "examples/backup.q1a", gen / "sub/backup.q1a");
    fs::remove(gen / "deeper/seven.q3a");
    changes.clear();
    EXPECT_EQ(library.Update(progress), 1u);
    EXPECT_EQ(changes[(gen / "sub/backup.q1a").string()], TFileChange::Added);
    EXPECT_EQ(changes[(gen / "deeper/seven.q3a").string()], TFileChange::Dropped);
    EXPECT_EQ(changes.size(), 4u);

    // A single file; a folder, not its sibling whose name it begins; through the link.
    struct TCase {
        std::string Path;
        size_t Files;
        size_t Folders;
        size_t FilesLeft;
    };
    const TCase cases[] = {
        {(gen / "sub/backup.q1a").string(), 1, 0, 2},
        {(gen / "sub").string(), 0, 0, 2},
        {link.string(), 1, 1, 1},
        {(Files / "gen-old/").string(), 1, 1, 0},
    };
    for (const TCase& c : cases) {
        const TRemoved removed = library.Remove({c.Path});
        EXPECT_EQ(removed.Files, c.Files) << c.Path;
        EXPECT_EQ(removed.Folders, c.Folders) << c.Path;
        EXPECT_EQ(library.Files().size(), c.FilesLeft) << c.Path;
    }
    EXPECT_TRUE(library.Folders().empty());
    EXPECT_EQ(RowsLeft(library.Database()), 0);
}

// A library written by a program of version 2 (its tables as they were then,
// made by hand): the upgrade keeps the file and the next update reads its
// presets again.
TEST_F(LibraryTest, ALibraryOfAnOlderVersionIsReadAgainByTheNextUpdate) {
    const fs::path stage = fs::canonical(Files / "examples/stage.q1p");
    {
        fs::create_directories(fs::path(Database).parent_path());
        TSqlite db(Database);
        db.Exec(R"sql(
            CREATE TABLE files(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,
                size INTEGER NOT NULL, mtime INTEGER NOT NULL, hash BLOB NOT NULL, model TEXT,
                errors TEXT NOT NULL, presets INTEGER NOT NULL,
                configs TEXT NOT NULL DEFAULT '');
            CREATE TABLE presets(id INTEGER PRIMARY KEY, file INTEGER NOT NULL,
                position INTEGER NOT NULL, number INTEGER, name TEXT NOT NULL);
            CREATE TABLE module_types(id INTEGER PRIMARY KEY, kind TEXT NOT NULL,
                type_id INTEGER, type TEXT NOT NULL, heading TEXT,
                UNIQUE(kind, type_id, type, heading));
            CREATE TABLE modules(preset INTEGER NOT NULL, position INTEGER NOT NULL,
                type INTEGER NOT NULL, user_model TEXT, PRIMARY KEY(preset, position))
                WITHOUT ROWID;
            CREATE TABLE parameter_names(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
            CREATE TABLE parameters(id INTEGER PRIMARY KEY, name INTEGER NOT NULL,
                file INTEGER NOT NULL, chunk INTEGER NOT NULL, first_preset INTEGER NOT NULL,
                entries BLOB NOT NULL);
            CREATE VIRTUAL TABLE preset_words USING fts5(name, modules, user_models);
            INSERT INTO presets VALUES(1, 1, 1, 12, 'Stage');
            INSERT INTO module_types VALUES(1, 'component', 7, 'Chorus', 'Modulation');
            INSERT INTO modules VALUES(1, 0, 1, NULL);
            INSERT INTO preset_words(rowid, name, modules) VALUES(1, 'Stage', 'Chorus');
            PRAGMA user_version = 2;
        )sql");
        const std::optional<TFileStamp> stamp = StampOf(stage.string());
        ASSERT_TRUE(stamp);
        TStatement file(db, "INSERT INTO files VALUES(1, ?, ?, ?, x'00', 'QVR-1', "
                            "'warning: old', 1, '')");
        file.Bind(1, stage.string()).Bind(2, stamp->Size).Bind(3, stamp->ModifiedNs).Run();
    }
    TLibrary library(Database, Configs());
    ASSERT_EQ(library.Files().size(), 1u);
    EXPECT_EQ(library.Files()[0].Errors, "warning: old");
    EXPECT_EQ(library.Update({}), 1u);
    EXPECT_EQ(library.Files()[0].Presets, 1);
    EXPECT_EQ(library.Files()[0].Errors, "");
    EXPECT_EQ(Search(library.Database(), ParseQuery("module:chorus")).size(), 1u);
}

// Three backups of one owner, oldest first: preset 3 "Lead" has its compressor's
// third value raised between the first and the second, and stays so in the third,
// which also holds it under another name and number. "Clean" never changes.
class LibraryCopiesTest : public LibraryTest {
protected:
    void Backup(const std::string& name, int value, bool withCopy, int minute) const {
        const std::string lead = "components\n"
                                 "component 1 type=1 values=0,10,1\n"
                                 "component 10 type=1 values=0,1," +
                                 std::to_string(value) +
                                 ",3,50,50,10\n"
                                 "component 2 type=1 values=0,80,0\n";
        std::string text = "product QVR-3\n"
                           "preset 1 \"Clean\"\n"
                           "components\n"
                           "component 1 type=1 values=0,10,1\n"
                           "component 2 type=1 values=0,80,0\n"
                           "preset 3 \"Lead\"\n" +
                           lead;
        if (withCopy) {
            text += "preset 9 \"Lead for the gig\"\n" + lead;
        }
        std::istringstream description(text);
        std::ostringstream out;
        GeneratePresets(description, out);
        const fs::path path = Files / "owner" / name;
        Temp.Write("files/owner/" + name, out.str());
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2) +
                                      std::chrono::minutes(minute));
    }
    void SetUp() override {
        LibraryTest::SetUp();
        // Named against their order in time, so that the order is the files' times.
        Backup("c-2019.q3a", 20, false, 1);
        Backup("b-2021.q3a", 25, false, 2);
        Backup("a-2024.q3a", 25, true, 3);
    }
    std::string Owner(const std::string& name) const {
        return fs::canonical(Files / "owner" / name).string();
    }
};

// "FILE:N NAME" for each preset.
std::vector<std::string> Listed(const std::vector<TStoredPreset>& presets) {
    std::vector<std::string> listed;
    for (const TStoredPreset& preset : presets) {
        listed.push_back(fs::path(preset.Path).filename().string() + ":" +
                         std::to_string(preset.Number.value_or(-1)) + " " + preset.Name);
    }
    return listed;
}

TEST_F(LibraryCopiesTest, DuplicatesAreTheCopiesOfOneContentWhateverTheirNames) {
    TLibrary library(Database, Configs());
    library.Add({(Files / "owner").string()}, false, {});
    std::vector<std::vector<std::string>> groups;
    for (const std::vector<TStoredPreset>& group : Duplicates(library.Database())) {
        groups.push_back(Listed(group));
    }
    // The first Lead (another value) is a copy of nothing; the renamed one is a copy.
    const std::vector<std::vector<std::string>> expected = {
        {"c-2019.q3a:1 Clean", "b-2021.q3a:1 Clean", "a-2024.q3a:1 Clean"},
        {"b-2021.q3a:3 Lead", "a-2024.q3a:3 Lead", "a-2024.q3a:9 Lead for the gig"},
    };
    EXPECT_EQ(groups, expected);
}

// Each version as "FILE:N NAME", " unread" after one not read, and then its changes.
std::vector<std::string> VersionLines(const std::vector<TPresetVersion>& versions) {
    std::vector<std::string> listed;
    for (const TPresetVersion& version : versions) {
        listed.push_back(Listed({version.Preset})[0] + (version.Read ? "" : " unread"));
        for (const TChange& change : version.Changes) {
            listed.push_back(ChangeLineText(change));
        }
    }
    return listed;
}

TEST_F(LibraryCopiesTest, HistoryListsTheVersionsWithWhatChanged) {
    TLibrary library(Database, Configs());
    library.Add({(Files / "owner").string()}, false, {});
    const std::vector<std::string> lead = {
        "c-2019.q3a:3 Lead",
        "b-2021.q3a:3 Lead",
        "  Compressor: Threshold (dB): -20 → -25\n",
        "a-2024.q3a:3 Lead",
        "a-2024.q3a:9 Lead for the gig",
    };
    const std::vector<std::string> clean = {"c-2019.q3a:1 Clean", "b-2021.q3a:1 Clean",
                                            "a-2024.q3a:1 Clean"};
    // Asked of any version, by number and name or by content: the same history.
    for (const auto& [file, number] :
         {std::pair{"a-2024.q3a", 3}, {"c-2019.q3a", 3}, {"a-2024.q3a", 9}}) {
        EXPECT_EQ(VersionLines(PresetHistory(library.Database(), Configs(), Owner(file), number)),
                  lead)
            << file << ":" << number;
    }
    EXPECT_THROW(PresetHistory(library.Database(), Configs(), Owner("a-2024.q3a"), 4),
                 ENoSuchPreset);
    // By the place a search lists: Lead is second in every file, its renamed copy third.
    for (const auto& [file, position] : {std::pair{"c-2019.q3a", 2}, {"a-2024.q3a", 3}}) {
        EXPECT_EQ(
            VersionLines(PresetHistoryAt(library.Database(), Configs(), Owner(file), position)),
            lead)
            << file << " at " << position;
    }
    EXPECT_EQ(VersionLines(PresetHistoryAt(library.Database(), Configs(), Owner("b-2021.q3a"), 1)),
              clean);
    EXPECT_THROW(PresetHistoryAt(library.Database(), Configs(), Owner("c-2019.q3a"), 3),
                 ENoSuchPreset);
    // By a query: each preset found once, with every version of it, in the search's order.
    const struct {
        std::string Query;
        std::vector<std::vector<std::string>> Histories;
    } cases[] = {
        {"lead", {lead}},
        {"gig", {lead}},
        {"lead OR clean", {clean, lead}},
        {"Threshold=-20", {lead}},
        {"Threshold=-25 OR model:QVR-3", {clean, lead}},
        {"violin", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<std::string>> histories;
        for (const std::vector<TPresetVersion>& versions :
             QueryHistories(library.Database(), Configs(), ParseQuery(c.Query))) {
            histories.push_back(VersionLines(versions));
        }
        EXPECT_EQ(histories, c.Histories) << c.Query;
    }
}

TEST_F(LibraryCopiesTest, ALibraryOfVersionFiveGetsItsFingerprintsByTheNextUpdate) {
    {
        TLibrary library(Database, Configs());
        library.Add({(Files / "owner").string()}, false, {});
        // As the version before fingerprints left it.
        library.Database().Exec("DROP INDEX presets_by_fingerprint; DROP INDEX presets_by_label; "
                                "ALTER TABLE presets DROP COLUMN fingerprint; "
                                "PRAGMA user_version = 5;");
    }
    TLibrary library(Database, Configs());
    EXPECT_TRUE(Duplicates(library.Database()).empty());
    EXPECT_EQ(library.Update({}), 3u);
    EXPECT_EQ(Duplicates(library.Database()).size(), 2u);
}

TEST_F(LibraryTest, AnAddKilledMidwayKeepsEveryFinishedFile) {
    for (int i = 0; i < 12; ++i) {
        Generate("many/b" + std::to_string(i) + ".q3a", 60);
    }
    const std::string folder = (Files / "many").string();
    const auto add = [&] {
        const pid_t child = fork();
        if (child == 0) {
            execl(QVRLIB_PATH, "qvrlib", "add", "--database", Database.c_str(), "-d",
                  (std::string(QVR_SOURCE_DIR) + "/examples/config").c_str(), folder.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        return child;
    };
    const auto count = [&](const char* sql) {
        TSqlite db(Database);
        TStatement statement(db, sql);
        return statement.Step() ? statement.Int(0) : -1;
    };
    const pid_t child = add();
    ASSERT_GT(child, 0);
    // Killed once the first file is in.
    for (;;) {
        try {
            if (count("SELECT count(*) FROM files") > 0) {
                break;
            }
        } catch (const ELibraryDatabase&) {
            // not created yet
        }
        ASSERT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "qvrlib ended before it was killed";
        usleep(2000);
    }
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    {
        TSqlite db(Database);
        TStatement check(db, "PRAGMA integrity_check");
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.Text(0), "ok");
    }
    const int64_t files = count("SELECT count(*) FROM files");
    EXPECT_GT(files, 0);
    EXPECT_LT(files, 12);
    // Every file in it is there whole.
    EXPECT_EQ(count("SELECT count(*) FROM files WHERE presets != 60"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM presets"), 60 * files);
    EXPECT_EQ(count("SELECT count(*) FROM preset_words"), 60 * files);
    EXPECT_EQ(count("SELECT count(*) FROM modules"), 60 * files * 16);
    EXPECT_EQ(count("SELECT count(DISTINCT file) FROM parameters"), files);

    // The next run adds the rest.
    const pid_t again = add();
    ASSERT_EQ(waitpid(again, &status, 0), again);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(count("SELECT count(*) FROM presets"), 60 * 12);
}

TEST_F(LibraryTest, SearchCommandPrintsPresetsAsFileColonNumber) {
    const std::string stage = (Files / "examples/stage.q1p").string();
    const std::string db = "--database=" + Database;
    ASSERT_EQ(RunTool(QVRLIB_PATH, Temp.Path(), {"add", db, stage}).Status, 0);
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
        std::string Err;
    };
    const std::string head = std::string("{\n  \"format\": \"qvr-search\",\n  \"version\": 1,\n"
                                         "  \"tool\": {\"name\": \"qvrlib\", \"version\": \"") +
                             ProgramVersion + "\"},\n  \"query\": ";
    const TCase cases[] = {
        {{"search", db, "stage", "model:QVR-1"},
         0,
         stage + ":12  QVR-1  #12 Stage <Rig> & More\n",
         ""},
        {{"search", db, "module:chorus", "Rate>1.5"},
         0,
         stage + ":12  QVR-1  #12 Stage <Rig> & More\n    Modulation (Chorus)\n"
                 "    LFO 1: Rate (Hz) = 1.55\n",
         ""},
        {{"search", db, "--format=json", "stage"},
         0,
         head + "\"stage\",\n  \"presets\": [\n    {\"file\": \"" + stage +
             "\", \"position\": 1, \"number\": 12, \"model\": \"QVR-1\", \"name\": "
             "\"Stage <Rig> & More\", \"matches\": []}\n  ]\n}\n",
         ""},
        // Blanks around the comparison; the matches as fields, the value as shown.
        {{"search", db, "--format=json", "module:chorus", "Rate > 1.5"},
         0,
         head + "\"module:chorus Rate > 1.5\",\n  \"presets\": [\n    {\"file\": \"" + stage +
             "\", \"position\": 1, \"number\": 12, \"model\": \"QVR-1\", \"name\": "
             "\"Stage <Rig> & More\", \"matches\": [\n"
             "      {\"module\": \"Modulation\", \"type\": \"Chorus\", \"parameter\": null, "
             "\"raw\": null, \"value\": null, \"text\": null},\n"
             "      {\"module\": \"LFO 1\", \"type\": null, \"parameter\": \"Rate (Hz)\", "
             "\"raw\": 30, \"value\": 1.55, \"text\": \"1.55\"}\n    ]}\n  ]\n}\n",
         ""},
        {{"search", db, "model:KDT-3"}, 1, "", ""},
        {{"search", db, "--format=json", "model:KDT-3"},
         1,
         head + "\"model:KDT-3\",\n  \"presets\": []\n}\n",
         ""},
        {{"search", db, "--count", "stage OR model:KDT-3"}, 0, "1\n", ""},
        {{"search", db, "--count", "--format=json", "model:KDT-3"},
         1,
         head + "\"model:KDT-3\",\n  \"count\": 0\n}\n",
         ""},
        {{"search", db, "--limit=0", "stage"}, 1, "", ""},
        {{"search", db, "--limit=1", "stage"},
         0,
         stage + ":12  QVR-1  #12 Stage <Rig> & More\n",
         ""},
        {{"search", db, "--limit=1", "--count", "stage"},
         2,
         "",
         "qvrlib search: --limit does not apply to --count\n"
         "Try 'qvrlib search --help' for more information.\n"},
        {{"search", db, "stage", "Rate>x"},
         2,
         "",
         "qvrlib search: 'x' is not a number\n  stage Rate>x\n             ^\n"},
        {{"search", db, "stage", "&&"},
         2,
         "",
         "qvrlib search: '&&' has no letters or digits to look for\n  stage &&\n        ^^\n"},
    };
    for (const TCase& c : cases) {
        const TToolRun run = RunTool(QVRLIB_PATH, Temp.Path(), c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args[2];
        EXPECT_EQ(run.Out, c.Out) << c.Args[2];
        EXPECT_EQ(run.Err, c.Err) << c.Args[2];
    }
}

// The search examples of the README and of the manual page, run as written (from the source
// folder, on a library of the bundled presets): each finds something, and what the README shows
// a command print is what it prints.
TEST_F(LibraryTest, TheDocumentedSearchesFindSomething) {
    struct TExample {
        std::string Command;
        std::vector<std::string> Shown; // the first lines of its output, "..." left out
    };
    std::vector<TExample> examples;
    const fs::path source = QVR_SOURCE_DIR;
    std::istringstream readme(ReadFileBytes(source / "README.md"));
    bool showing = false;
    for (std::string line; std::getline(readme, line);) {
        const bool code = line.starts_with("    ");
        std::string text = code ? line.substr(4) : line;
        if (text.starts_with("$ ")) {
            text = text.substr(2);
            showing = text.starts_with("qvrlib search ");
        } else if (showing && code && text != "...") {
            examples.back().Shown.push_back(text);
            continue;
        } else {
            showing = false;
        }
        if (!code) {
            continue;
        }
        if (!examples.empty() && examples.back().Command.ends_with("|")) {
            examples.back().Command += "\n" + text; // continued
        } else if (text.starts_with("qvrlib search ")) {
            examples.push_back({text, {}});
        }
    }
    const size_t fromReadme = examples.size();
    std::istringstream manual(ReadFileBytes(source / "data/man/qvrlib.1"));
    for (std::string line; std::getline(manual, line);) {
        if (line.starts_with("qvrlib search ")) {
            for (const auto& [roff, plain] :
                 {std::pair{"\\(aq", "'"}, {"\\(dq", "\""}, {"\\-", "-"}}) {
                for (size_t at; (at = line.find(roff)) != std::string::npos;) {
                    line.replace(at, std::string_view(roff).size(), plain);
                }
            }
            examples.push_back({line, {}});
        }
    }
    ASSERT_GE(fromReadme, 6u);
    ASSERT_GE(examples.size() - fromReadme, 3u);

    // qvrlib on the PATH, its library and settings in the test's folder.
    const std::string path =
        fs::path(QVRLIB_PATH).parent_path().string() + ":" + std::getenv("PATH");
    const std::string prefix = "cd '" + source.string() + "' && export PATH='" + path +
                               "' XDG_DATA_HOME='" + Temp.Path().string() + "' XDG_CONFIG_HOME='" +
                               Temp.Path().string() + "' && ";
    const auto run = [&](const std::string& command) {
        Temp.Write("example.sh", prefix + command + "\n");
        return RunTool("/bin/sh", Temp.Path(), {(Temp.Path() / "example.sh").string()});
    };
    ASSERT_EQ(run("qvrlib add examples/presets").Status, 0);
    const bool jq = std::system("command -v jq >/dev/null") == 0;
    for (const TExample& example : examples) {
        if (!jq && example.Command.find("| jq") != std::string::npos) {
            continue;
        }
        const TToolRun result = run(example.Command);
        EXPECT_EQ(result.Status, 0) << example.Command << "\n" << result.Err;
        EXPECT_NE(result.Out, "") << example.Command;
        std::istringstream printed(result.Out);
        for (std::string shown : example.Shown) {
            const std::string home = "/home/me/oktrel/";
            if (shown.starts_with(home)) {
                shown = source.string() + "/" + shown.substr(home.size());
            }
            std::string line;
            std::getline(printed, line);
            EXPECT_EQ(line, shown) << example.Command;
        }
    }
}

TEST_F(LibraryTest, ALibraryOfANewerVersionIsLeftAlone) {
    {
        TSqlite db(Database.substr(0, Database.rfind('/')) + ".sqlite");
        db.Exec("PRAGMA user_version = 9");
    }
    const std::string newer = Database.substr(0, Database.rfind('/')) + ".sqlite";
    try {
        OpenLibrary(newer);
        ADD_FAILURE() << "opened";
    } catch (const ELibraryDatabase& error) {
        EXPECT_EQ(std::string(error.what()),
                  newer + " is a library of a newer version (9) than this program knows (6)");
    }
    // A new one is made at the current version, folder and all.
    TSqlite db = OpenLibrary(Database);
    TStatement version(db, "PRAGMA user_version");
    ASSERT_TRUE(version.Step());
    EXPECT_EQ(version.Int(0), LibrarySchemaVersion);
}

// Whether this process holds `path` open.
bool IsOpenHere(const fs::path& path) {
    std::error_code error;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd", error)) {
        std::error_code ignored;
        if (fs::read_symlink(fd.path(), ignored) == path) {
            return true;
        }
    }
    return false;
}

TEST_F(LibraryTest, FilesThatChangeKindOrAreTooLargeAreSkippedWithoutWaiting) {
    // Each is a regular file when the folder is searched, and something else when it is read.
    const fs::path folder = Temp.Path() / "swapped";
    const std::string stage = ReadFileBytes(Files / "examples/stage.q1p");
    WriteFileBytes(folder / "good.q1p", stage);
    struct TCase {
        const char* Name;
        std::function<void(const fs::path&)> Become;
        const char* Message;
    };
    const TCase cases[] = {
        {"fifo.q3a",
         [](const fs::path& p) {
             fs::remove(p);
             EXPECT_EQ(::mkfifo(p.c_str(), 0600), 0);
         },
         "error: Not a regular file"},
        {"link.q1p",
         [&](const fs::path& p) {
             fs::remove(p);
             fs::create_symlink(folder / "good.q1p", p);
         },
         "error: Is a symbolic link"},
        {"large.q3a",
         [](const fs::path& p) {
             EXPECT_EQ(::truncate(p.c_str(), static_cast<off_t>(MaxInputSize) + 1), 0);
         },
         "error: the file is larger than 256 MiB"},
    };
    for (const TCase& c : cases) {
        WriteFileBytes(folder / c.Name, stage);
    }
    // Should a FIFO be opened to wait for a writer, a writer that comes and goes releases it.
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    bool waited = false;
    std::thread watch([&] {
        std::unique_lock<std::mutex> guard(lock);
        if (!finished.wait_for(guard, std::chrono::seconds(30), [&] { return done; })) {
            const int writer = ::open((folder / "fifo.q3a").c_str(), O_WRONLY | O_NONBLOCK);
            waited = writer >= 0;
            ::close(writer);
        }
    });

    TLibrary library(Database, Configs());
    std::map<std::string, TLibrary::TFileResult> results;
    TLibrary::TProgress progress;
    progress.File = [&](size_t, size_t, const std::string& path, const TLibrary::TFileResult& r) {
        results[fs::path(path).filename().string()] = r;
    };
    // Asked on the reading thread first before it opens the first file: the files change then,
    // after the search of the folder.
    const std::thread::id searching = std::this_thread::get_id();
    std::once_flag swapped;
    progress.Stopped = [&] {
        if (std::this_thread::get_id() != searching) {
            std::call_once(swapped, [&] {
                for (const TCase& c : cases) {
                    c.Become(folder / c.Name);
                }
            });
        }
        return false;
    };
    EXPECT_EQ(library.Add({folder.string()}, false, progress), 1u);
    {
        const std::lock_guard<std::mutex> guard(lock);
        done = true;
    }
    finished.notify_all();
    watch.join();
    EXPECT_FALSE(waited) << "the FIFO was opened to be read";

    EXPECT_EQ(results["good.q1p"].Change, TFileChange::Added);
    for (const TCase& c : cases) {
        EXPECT_EQ(results[c.Name].Change, TFileChange::Failed) << c.Name;
        EXPECT_EQ(results[c.Name].Messages, std::vector<std::string>{c.Message}) << c.Name;
    }
    const std::vector<TLibraryFile> files = library.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].Presets, 1);
}

TEST_F(LibraryTest, AStopIsHonouredWithinAFile) {
    const fs::path big = Temp.Path() / "big/big.q3a";
    WriteFileBytes(big, "");
    ASSERT_EQ(::truncate(big.c_str(), 64 << 20), 0);
    TLibrary library(Database, Configs());
    TLibrary::TProgress progress;
    // Asked only between files, it would never see the file open.
    progress.Stopped = [&] { return IsOpenHere(big); };
    EXPECT_THROW(library.Add({big.parent_path().string()}, false, progress), TLibraryStopped);
    EXPECT_FALSE(IsOpenHere(big));
    EXPECT_TRUE(library.Files().empty());

    // Nor does it wait out another program that holds the database.
    TSqlite writer(Database);
    TTransaction holding(writer);
    std::atomic<int> asked = 0;
    progress.Stopped = [&] { return ++asked > 100; };
    EXPECT_THROW(library.Add({(Files / "examples/stage.q1p").string()}, false, progress),
                 TLibraryStopped);
    EXPECT_GT(asked, 100); // while it waited: reading the file asks far fewer times
}

TEST_F(LibraryTest, TheLibraryIsPrivateAndItsPathNoLink) {
    const mode_t umask = ::umask(022);
    const auto mode = [](const fs::path& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    };
    {
        TLibrary library(Database, Configs());
        library.Add({(Files / "examples/stage.q1p").string()}, false, {});
        // The log and its index are there while the library is open.
        EXPECT_EQ(mode(fs::path(Database).parent_path()), 0700u);
        for (const char* end : {"", "-wal", "-shm"}) {
            EXPECT_EQ(mode(Database + end), 0600u) << end;
        }
    }
    ::umask(umask);

    // A link planted where the database is to be is refused, and what it points at is not made.
    const fs::path planted = Temp.Path() / "data/planted.sqlite";
    fs::create_symlink(Temp.Path() / "elsewhere.sqlite", planted);
    try {
        OpenLibrary(planted.string());
        ADD_FAILURE() << "opened";
    } catch (const ELibraryDatabase& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot open " + planted.string() + ": it is a symbolic link");
    }
    EXPECT_FALSE(fs::exists(Temp.Path() / "elsewhere.sqlite"));
}

} // namespace
} // namespace qvr::test
