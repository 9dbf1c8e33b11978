#include "library/Sqlite.h"

namespace qvr {

TSqlite::TSqlite(const std::string& path) {
    sqlite3* db = nullptr;
    const int result =
        sqlite3_open_v2(path.c_str(), &db,
                        // One thread uses a connection: no locks needed around each call.
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Db.reset(db); // closed also when opening failed
    if (result != SQLITE_OK) {
        throw ELibraryDatabase("cannot open " + path + ": " +
                               (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result)));
    }
    sqlite3_extended_result_codes(db, 1);
    // The viewer and the command line may use the library at once.
    sqlite3_busy_timeout(db, 5000);
}

void TSqlite::Check(int result, const char* what) const {
    if (result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE) {
        throw ELibraryDatabase(std::string(what) + ": " + sqlite3_errmsg(Db.get()));
    }
}

void TSqlite::Exec(const char* sql) {
    Check(sqlite3_exec(Db.get(), sql, nullptr, nullptr, nullptr), "library database");
}

TStatement::TStatement(TSqlite& db, std::string_view sql) : Db(db) {
    sqlite3_stmt* statement = nullptr;
    Db.Check(sqlite3_prepare_v3(Db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &statement, nullptr),
             "library query");
    Statement.reset(statement);
}

TStatement& TStatement::Bind(int index, int64_t value) {
    Db.Check(sqlite3_bind_int64(Statement.get(), index, value), "library query");
    return *this;
}

TStatement& TStatement::Bind(int index, double value) {
    Db.Check(sqlite3_bind_double(Statement.get(), index, value), "library query");
    return *this;
}

TStatement& TStatement::Bind(int index, std::string_view text) {
    Db.Check(sqlite3_bind_text64(Statement.get(), index, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8),
             "library query");
    return *this;
}

TStatement& TStatement::BindBlob(int index, std::string_view bytes) {
    Db.Check(
        sqlite3_bind_blob64(Statement.get(), index, bytes.data(), bytes.size(), SQLITE_TRANSIENT),
        "library query");
    return *this;
}

TStatement& TStatement::BindNull(int index) {
    Db.Check(sqlite3_bind_null(Statement.get(), index), "library query");
    return *this;
}

bool TStatement::Step() {
    const int result = sqlite3_step(Statement.get());
    Db.Check(result, "library database");
    return result == SQLITE_ROW;
}

void TStatement::Run() {
    while (Step()) {
    }
    Reset();
}

void TStatement::Reset() {
    sqlite3_reset(Statement.get());
    sqlite3_clear_bindings(Statement.get());
}

bool TStatement::IsNull(int column) const {
    return sqlite3_column_type(Statement.get(), column) == SQLITE_NULL;
}

int64_t TStatement::Int(int column) const {
    return sqlite3_column_int64(Statement.get(), column);
}

double TStatement::Real(int column) const {
    return sqlite3_column_double(Statement.get(), column);
}

std::string_view TStatement::Text(int column) const {
    const void* bytes = sqlite3_column_blob(Statement.get(), column);
    const int size = sqlite3_column_bytes(Statement.get(), column);
    return bytes == nullptr
               ? std::string_view()
               : std::string_view(static_cast<const char*>(bytes), static_cast<size_t>(size));
}

TTransaction::~TTransaction() {
    if (!Done) {
        sqlite3_exec(Db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void TTransaction::Commit() {
    Db.Exec("COMMIT");
    Done = true;
}

} // namespace qvr
