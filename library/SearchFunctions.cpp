#include "library/SearchFunctions.h"

#include "base/Numbers.h"
#include "library/ParameterBlock.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <memory>
#include <string>

namespace qvr {

namespace {

enum TColumn { Preset, FirstPreset, Entries, Compare, Number, Text, Columns };

std::string_view TextArgument(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text == nullptr
               ? std::string_view()
               : std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value)));
}

bool Contains(std::string_view text, std::string_view part) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char x, char y) { return lower(x) == lower(y); }) != text.end();
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

struct TTable : sqlite3_vtab {};

struct TCursor : sqlite3_vtab_cursor {
    std::string Block; // a copy: the argument lives only as long as the filter call
    std::unique_ptr<TParameterBlockReader> Reader;
    TCompare Compare = TCompare::Equal;
    std::optional<double> Number;
    std::string Text;
    int64_t Preset = 0; // the preset of the row
    bool AtEnd = true;

    // To the next preset with an entry that holds.
    void Step() {
        TParameterEntry entry;
        const int64_t last = Preset;
        while (Reader && Reader->Next(entry)) {
            if (entry.Preset != last && Holds(Compare, Number, Text, entry)) {
                Preset = entry.Preset;
                return;
            }
        }
        AtEnd = true;
    }
};

int Connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    const int result =
        sqlite3_declare_vtab(db, "CREATE TABLE x(preset INTEGER, first_preset HIDDEN, "
                                 "entries HIDDEN, compare HIDDEN, number HIDDEN, text HIDDEN)");
    if (result != SQLITE_OK) {
        return result;
    }
    auto made = std::make_unique<TTable>();
    *made = {};
    *table = made.release();
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* table) {
    std::unique_ptr<TTable>(static_cast<TTable*>(table));
    return SQLITE_OK;
}

// Every hidden column must be given (as the function's arguments).
int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int given[Columns];
    std::fill(std::begin(given), std::end(given), -1);
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.op == SQLITE_INDEX_CONSTRAINT_EQ && constraint.iColumn > Preset &&
            constraint.iColumn < Columns) {
            if (!constraint.usable) {
                return SQLITE_CONSTRAINT;
            }
            given[constraint.iColumn] = i;
        }
    }
    for (int column = FirstPreset; column < Columns; ++column) {
        if (given[column] < 0) {
            return SQLITE_CONSTRAINT;
        }
        info->aConstraintUsage[given[column]].argvIndex = column;
        info->aConstraintUsage[given[column]].omit = 1;
    }
    info->estimatedCost = 100;
    info->estimatedRows = 100;
    return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    auto made = std::make_unique<TCursor>();
    static_cast<sqlite3_vtab_cursor&>(*made) = {};
    *cursor = made.release();
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
    std::unique_ptr<TCursor>(static_cast<TCursor*>(cursor));
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int, const char*, int count, sqlite3_value** values) {
    auto& cursor = *static_cast<TCursor*>(base);
    cursor.Reader.reset();
    cursor.AtEnd = false;
    cursor.Preset = 0;
    if (count == Columns - 1 && sqlite3_value_type(values[1]) == SQLITE_BLOB) {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(values[1]));
        cursor.Block.assign(bytes == nullptr ? "" : bytes,
                            static_cast<size_t>(sqlite3_value_bytes(values[1])));
        cursor.Reader =
            std::make_unique<TParameterBlockReader>(sqlite3_value_int64(values[0]), cursor.Block);
        const int compare = sqlite3_value_int(values[2]);
        cursor.Compare =
            static_cast<TCompare>(std::clamp(compare, static_cast<int>(TCompare::Equal),
                                             static_cast<int>(TCompare::GreaterOrEqual)));
        cursor.Number = sqlite3_value_type(values[3]) == SQLITE_NULL
                            ? std::nullopt
                            : std::optional(sqlite3_value_double(values[3]));
        cursor.Text = TextArgument(values[4]);
    }
    cursor.Step();
    return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cursor) {
    static_cast<TCursor*>(cursor)->Step();
    return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cursor) {
    return static_cast<TCursor*>(cursor)->AtEnd ? 1 : 0;
}

int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
    if (column == Preset) {
        sqlite3_result_int64(context, static_cast<TCursor*>(base)->Preset);
    }
    return SQLITE_OK; // the hidden arguments are not read back
}

int RowId(sqlite3_vtab_cursor* cursor, sqlite3_int64* row) {
    *row = static_cast<TCursor*>(cursor)->Preset;
    return SQLITE_OK;
}

// Eponymous only: used as a function, never created as a table (no xCreate).
sqlite3_module MakeEntriesModule() {
    sqlite3_module module{};
    module.xConnect = Connect;
    module.xBestIndex = BestIndex;
    module.xDisconnect = Disconnect;
    module.xOpen = Open;
    module.xClose = Close;
    module.xFilter = Filter;
    module.xNext = Next;
    module.xEof = Eof;
    module.xColumn = Column;
    module.xRowid = RowId;
    return module;
}

const sqlite3_module EntriesModule = MakeEntriesModule();

void ModuleMatchesFunction(sqlite3_context* context, int, sqlite3_value** values) {
    sqlite3_result_int(context, ModuleMatches(TextArgument(values[0]), TextArgument(values[1]),
                                              TextArgument(values[2]))
                                    ? 1
                                    : 0);
}

void PresetMeetsFunction(sqlite3_context* context, int, sqlite3_value** values) {
    auto* conditions =
        static_cast<IPresetConditions*>(sqlite3_value_pointer(values[0], PresetConditionsType));
    if (conditions == nullptr) {
        sqlite3_result_error(context, "preset_meets without its conditions", -1);
        return;
    }
    // Nothing may be thrown through the database's own frames.
    try {
        const bool meets =
            conditions->Meets(static_cast<size_t>(sqlite3_value_int64(values[1])),
                              sqlite3_value_int64(values[2]), sqlite3_value_int64(values[3]));
        sqlite3_result_int(context, meets ? 1 : 0);
    } catch (const std::exception& error) {
        sqlite3_result_error(context, error.what(), -1);
    }
}

} // namespace

bool Holds(TCompare compare, const std::optional<double>& number, std::string_view text,
           const TParameterEntry& entry) {
    // Rounding to 15 significant digits moves a value by less than 1E-14 of itself: only
    // a value that near the condition's number is rounded (the rounding reads text back).
    std::optional<double> shown = entry.Number;
    if (shown && number && std::fabs(*shown - *number) <= std::fabs(*shown) * 1e-13) {
        shown = ShownNumber(*shown);
    }
    const auto equal = [&] {
        if (number && shown) {
            return *number == *shown;
        }
        return entry.TextIsValue ? SameLetters(TextOf(entry), text) : SameLetters(entry.Text, text);
    };
    if (compare == TCompare::Equal) {
        return equal();
    }
    if (compare == TCompare::NotEqual) {
        return !equal();
    }
    if (!shown || !number) {
        return false;
    }
    switch (compare) {
    case TCompare::Less:
        return *shown < *number;
    case TCompare::LessOrEqual:
        return *shown <= *number;
    case TCompare::Greater:
        return *shown > *number;
    default:
        return *shown >= *number;
    }
}

bool ModuleMatches(std::string_view type, std::string_view heading, std::string_view text) {
    return Contains(type, text) || Contains(heading, text);
}

void RegisterSearchFunctions(TSqlite& db) {
    // Once per connection: a function cannot be redefined while a statement runs.
    {
        TStatement known(db, "SELECT 1 FROM pragma_module_list WHERE name = 'parameter_presets'");
        if (known.Step()) {
            return;
        }
    }
    db.Check(sqlite3_create_module(db.Handle(), "parameter_presets", &EntriesModule, nullptr),
             "registering parameter_presets");
    db.Check(sqlite3_create_function(db.Handle(), "module_matches", 3,
                                     SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                     ModuleMatchesFunction, nullptr, nullptr),
             "registering module_matches");
    db.Check(sqlite3_create_function(db.Handle(), "preset_meets", 4, SQLITE_UTF8, nullptr,
                                     PresetMeetsFunction, nullptr, nullptr),
             "registering preset_meets");
}

void BindValues(TStatement& statement, const std::vector<TSqlValue>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        if (const auto* text = std::get_if<std::string>(&values[i])) {
            statement.Bind(index, std::string_view(*text));
        } else if (const auto* number = std::get_if<double>(&values[i])) {
            statement.Bind(index, *number);
        } else {
            statement.Bind(index, std::get<int64_t>(values[i]));
        }
    }
}

std::string ParameterNamesSql(const std::string& name,
                              const std::function<std::string(std::string)>& value) {
    const std::string given = value(name);
    return "(n.name = " + given +
           " COLLATE NOCASE OR (n.name COLLATE NOCASE >= " + value(name + " (") +
           " AND n.name COLLATE NOCASE < " + value(name + " )") +
           " AND n.name LIKE '%)' AND instr(substr(n.name, length(" + given + ") + 3), ' (') = 0))";
}

} // namespace qvr
