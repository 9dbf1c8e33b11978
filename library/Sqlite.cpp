#include "library/Sqlite.h"

#include "platform/FileDescriptor.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace qvr {

namespace {

// `path` with its folder's links resolved: the folder may lie behind a link
// of the user's own (a home folder elsewhere); the file itself may not.
std::string ResolvedFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    if (!real) {
        return path; // opening says why
    }
    return std::string(real.get()) + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1);
}

} // namespace

TSqlite::TSqlite(const std::string& path) {
    const std::string resolved = ResolvedFolder(path);
    // A new database is this user's alone: it lists the user's files. Its log and journal
    // take its mode. Made here, since the database would follow the umask.
    const TFileDescriptor made(
        ::open(resolved.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat info {};
    if (!made.IsOpen() && ::lstat(resolved.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        throw ELibraryDatabase("cannot open " + path + ": it is a symbolic link");
    }
    sqlite3* db = nullptr;
    // One thread uses a connection: no locks needed around each call. A link planted at the
    // path meanwhile is refused all the same.
    const int result = sqlite3_open_v2(resolved.c_str(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                           SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                                       nullptr);
    Db.reset(db); // closed also when opening failed
    if (result != SQLITE_OK) {
        throw ELibraryDatabase("cannot open " + path + ": " +
                               (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result)));
    }
    sqlite3_extended_result_codes(db, 1);
    // The viewer and the command line may use the library at once.
    sqlite3_busy_handler(db, &TSqlite::OnBusy, Busy.get());
}

int TSqlite::OnBusy(void* busy, int count) {
    // Up to 5 seconds, in steps short enough for a stop to be seen at once.
    constexpr int StepMs = 10;
    constexpr int Steps = 5000 / StepMs;
    const auto& stopped = static_cast<TBusy*>(busy)->Stopped;
    if (count >= Steps || (stopped && stopped())) {
        return 0;
    }
    sqlite3_sleep(StepMs);
    return 1;
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

TStatement& TStatement::BindPointer(int index, void* pointer, const char* type) {
    Db.Check(sqlite3_bind_pointer(Statement.get(), index, pointer, type, nullptr), "library query");
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
