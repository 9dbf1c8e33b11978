#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qvr {

// A failure of the library's database, with the database's own message.
class ELibraryDatabase : public std::runtime_error {
public:
    explicit ELibraryDatabase(const std::string& message) : std::runtime_error(message) {}
};

// An open SQLite database. Every call checks its result and throws
// ELibraryDatabase with the database's message; the handle closes with the
// object.
class TSqlite {
public:
    // Opens (and creates) the file; waits up to a few seconds for a writer
    // that holds the database. A new file is made with mode 0600; a path
    // that ends in a symbolic link is refused.
    explicit TSqlite(const std::string& path);
    TSqlite(const TSqlite&) = delete;
    TSqlite& operator=(const TSqlite&) = delete;
    // Only before statements are prepared on it: they keep a reference.
    TSqlite(TSqlite&&) = default;

    // While a writer holds the database, `stopped` (when given) is asked
    // between the waits: once it says true the wait ends, and the call that
    // waited fails as after the few seconds.
    void StopWaitingWhen(std::function<bool()> stopped) { Busy->Stopped = std::move(stopped); }

    // Runs statements that return no rows.
    void Exec(const char* sql);
    int64_t LastInsertId() const { return sqlite3_last_insert_rowid(Db.get()); }
    // Rows that the last statement changed.
    int64_t Changes() const { return sqlite3_changes64(Db.get()); }
    sqlite3* Handle() const { return Db.get(); }
    // Throws with the database's message unless `result` is one of the good ones.
    void Check(int result, const char* what) const;

private:
    struct TClose {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    struct TBusy {
        std::function<bool()> Stopped;
    };
    // Whether to wait again for a writer, after `count` waits.
    static int OnBusy(void* busy, int count);

    // Where the busy handler finds it, whatever moves the object.
    std::unique_ptr<TBusy> Busy = std::make_unique<TBusy>();
    std::unique_ptr<sqlite3, TClose> Db;
};

// A prepared statement. Bind numbers from 1; columns from 0. Step() returns
// true while there is a row; Reset() makes it ready for the next binding.
class TStatement {
public:
    TStatement(TSqlite& db, std::string_view sql);
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    TStatement& Bind(int index, int64_t value);
    TStatement& Bind(int index, double value);
    TStatement& Bind(int index, std::string_view text);
    TStatement& BindBlob(int index, std::string_view bytes);
    TStatement& BindNull(int index);
    // A pointer for an application function, which it finds by `type` (a string literal).
    TStatement& BindPointer(int index, void* pointer, const char* type);
    template <class T> TStatement& Bind(int index, const std::optional<T>& value) {
        return value ? Bind(index, *value) : BindNull(index);
    }
    TStatement& Bind(int index, int32_t value) { return Bind(index, int64_t{value}); }

    bool Step();
    // Steps through a statement that returns no rows, and resets it.
    void Run();
    void Reset();

    bool IsNull(int column) const;
    int64_t Int(int column) const;
    double Real(int column) const;
    // Text or blob bytes, valid until the next Step or Reset.
    std::string_view Text(int column) const;

private:
    struct TFinalize {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    TSqlite& Db;
    std::unique_ptr<sqlite3_stmt, TFinalize> Statement;
};

// One transaction: committed by Commit(), rolled back when the object goes
// without it (an exception on the way).
class TTransaction {
public:
    explicit TTransaction(TSqlite& db) : Db(db) { Db.Exec("BEGIN IMMEDIATE"); }
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();

private:
    TSqlite& Db;
    bool Done = false;
};

// A read transaction: every statement of a query sees the same library, and
// the database is locked and unlocked once. Ends when the object goes.
class TReadTransaction {
public:
    explicit TReadTransaction(TSqlite& db) : Db(db) { Db.Exec("BEGIN"); }
    ~TReadTransaction() { sqlite3_exec(Db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr); }
    TReadTransaction(const TReadTransaction&) = delete;
    TReadTransaction& operator=(const TReadTransaction&) = delete;

private:
    TSqlite& Db;
};

} // namespace qvr
