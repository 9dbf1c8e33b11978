#include "library/SearchFunctions.h"

#include "base/Numbers.h"
#include "library/ParameterBlock.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

namespace qvr {

namespace {

enum TColumn { Preset, Module, Raw, Number, Text, FirstPreset, Entries };

struct TTable : sqlite3_vtab {};

struct TCursor : sqlite3_vtab_cursor {
    std::string Block; // a copy: the argument lives only as long as the filter call
    std::unique_ptr<TParameterBlockReader> Reader;
    TParameterEntry Entry;
    bool AtEnd = true;
    sqlite3_int64 Row = 0;

    void Step() {
        AtEnd = !Reader || !Reader->Next(Entry);
        ++Row;
    }
};

int Connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    const int result =
        sqlite3_declare_vtab(db, "CREATE TABLE x(preset INTEGER, module INTEGER, raw INTEGER, "
                                 "number REAL, text TEXT, first_preset HIDDEN, entries HIDDEN)");
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

// Both hidden columns must be given (as the function's arguments); without them
// there are no rows to read.
int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int first = -1;
    int entries = -1;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.op != SQLITE_INDEX_CONSTRAINT_EQ) {
            continue;
        }
        if (constraint.iColumn == FirstPreset) {
            if (!constraint.usable) {
                return SQLITE_CONSTRAINT;
            }
            first = i;
        } else if (constraint.iColumn == Entries) {
            if (!constraint.usable) {
                return SQLITE_CONSTRAINT;
            }
            entries = i;
        }
    }
    if (first < 0 || entries < 0) {
        return SQLITE_CONSTRAINT;
    }
    info->aConstraintUsage[first].argvIndex = 1;
    info->aConstraintUsage[first].omit = 1;
    info->aConstraintUsage[entries].argvIndex = 2;
    info->aConstraintUsage[entries].omit = 1;
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
    cursor.Row = 0;
    if (count == 2 && sqlite3_value_type(values[1]) == SQLITE_BLOB) {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(values[1]));
        cursor.Block.assign(bytes == nullptr ? "" : bytes,
                            static_cast<size_t>(sqlite3_value_bytes(values[1])));
        cursor.Reader =
            std::make_unique<TParameterBlockReader>(sqlite3_value_int64(values[0]), cursor.Block);
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
    const TParameterEntry& entry = static_cast<TCursor*>(base)->Entry;
    switch (column) {
    case Preset:
        sqlite3_result_int64(context, entry.Preset);
        break;
    case Module:
        sqlite3_result_int(context, entry.Module);
        break;
    case Raw:
        if (entry.Raw) {
            sqlite3_result_int64(context, *entry.Raw);
        }
        break;
    case Number:
        if (entry.Number) {
            sqlite3_result_double(context, ShownNumber(*entry.Number));
        }
        break;
    case Text: {
        const std::string text = TextOf(entry);
        sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        break; // the hidden arguments are not read back
    }
    return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* cursor, sqlite3_int64* row) {
    *row = static_cast<TCursor*>(cursor)->Row;
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

std::string_view TextArgument(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text == nullptr ? std::string_view()
                           : std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value)));
}

void ModuleMatchesFunction(sqlite3_context* context, int, sqlite3_value** values) {
    sqlite3_result_int(context, ModuleMatches(TextArgument(values[0]), TextArgument(values[1]),
                                              TextArgument(values[2]))
                                    ? 1
                                    : 0);
}

bool Contains(std::string_view text, std::string_view part) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char x, char y) { return lower(x) == lower(y); }) != text.end();
}

} // namespace

bool ModuleMatches(std::string_view type, std::string_view heading, std::string_view text) {
    return Contains(type, text) || Contains(heading, text);
}

void RegisterSearchFunctions(TSqlite& db) {
    db.Check(sqlite3_create_module(db.Handle(), "parameter_entries", &EntriesModule, nullptr),
             "registering parameter_entries");
    db.Check(sqlite3_create_function(db.Handle(), "module_matches", 3,
                                     SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                     ModuleMatchesFunction, nullptr, nullptr),
             "registering module_matches");
}

} // namespace qvr
