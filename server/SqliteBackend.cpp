// SqliteBackend.cpp -- SQLite storage: schema migrations, rows, used tokens, attempt counters;
// parameterised statements only.
#include "SqliteBackend.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <stdexcept>
#include <utility>
#include <vector>

namespace scores {

namespace {

// Numbered steps from an empty file to the current schema; a step never changes once shipped.
// Step 1 is the table files of the first release already have, so they are taken over as
// they are.
const char* const kMigrations[] = {
    // 1
    "CREATE TABLE IF NOT EXISTS scores ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 65535),"
    " country TEXT NOT NULL,"
    " time INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, time ASC, id ASC);",
    // 2
    "CREATE TABLE used_tokens (token TEXT PRIMARY KEY, expires_ms INTEGER NOT NULL);"
    "CREATE INDEX used_tokens_expiry ON used_tokens (expires_ms);"
    "CREATE TABLE rate_clients (client TEXT PRIMARY KEY, last_ms INTEGER NOT NULL);"
    "CREATE TABLE rate_attempts (client TEXT NOT NULL, at_ms INTEGER NOT NULL);"
    "CREATE INDEX rate_attempts_client ON rate_attempts (client, at_ms);"
    "CREATE TABLE settings (name TEXT PRIMARY KEY, value TEXT NOT NULL);",
    // 3: PostgreSQL's submission function; here the same steps run in C++, nothing changes.
    "",
};

[[noreturn]] void Throw(sqlite3* db, const std::string& what) {
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

} // namespace

// A prepared statement for one use; finalised on every way out.
class SqliteBackend::Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            Throw(db, std::string("prepare ") + sql);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int at, const std::string& text) {
        sqlite3_bind_text(stmt_, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int at, std::int64_t value) {
        sqlite3_bind_int64(stmt_, at, value);
        return *this;
    }
    // True while there is a row.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) Throw(db_, "step");
        return false;
    }
    void Run() { Step(); }
    std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) { return ColumnText(stmt_, column); }

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The connection for one call: had within the deadline, with SQLite's waits for other
// connections' locks and its own work cut off at the same deadline.
class SqliteBackend::Turn {
  public:
    explicit Turn(SqliteBackend& backend) : backend_(backend) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(backend.deadlineMs_);
        if (!backend.mutex_.try_lock_until(deadline))
            throw std::runtime_error("database busy: no turn within " +
                                     std::to_string(backend.deadlineMs_) + " ms");
        std::string cut = backend.ShmCutShort();
        if (!cut.empty()) {
            backend.mutex_.unlock();
            throw std::runtime_error(cut);
        }
        backend.deadline_ = deadline;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        sqlite3_busy_timeout(backend.db_, static_cast<int>(left > 1 ? left : 1));
    }
    ~Turn() { backend_.mutex_.unlock(); }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

  private:
    SqliteBackend& backend_;
};

SqliteBackend::SqliteBackend(const std::string& path, bool create, std::int64_t deadlineMs)
    : path_(path), deadlineMs_(deadlineMs) {
    // Our own mutex guards the connection, so SQLite's per-connection mutex is not needed.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (!create) {
        struct stat file {};
        if (stat(path.c_str(), &file) != 0)
            throw std::runtime_error("no database " + path +
                                     " (a new one is made only when asked for)");
    }
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    try {
        // Start-up may wait longer than a request.
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        sqlite3_progress_handler(
            db_, 1000,
            [](void* self) -> int {
                return std::chrono::steady_clock::now() >
                       static_cast<SqliteBackend*>(self)->deadline_;
            },
            this);
        sqlite3_busy_timeout(db_, 5000);
        Exec("PRAGMA journal_mode=WAL");
        {
            Statement mode(db_, "PRAGMA journal_mode");
            if (!mode.Step() || mode.Text(0) != "wal")
                throw std::runtime_error("cannot switch " + path + " to WAL mode");
        }
        // FULL syncs the log at every commit: an accepted score survives even a power cut.
        Exec("PRAGMA synchronous=FULL");
        // The database file is read, never mapped: a mapped file that shrinks or cannot grow
        // kills the process.
        Exec("PRAGMA mmap_size=0");
        Migrate();
        struct stat file {};
        if (stat(path.c_str(), &file) != 0)
            throw std::runtime_error("cannot open " + path + ": it went away");
        device_ = file.st_dev;
        inode_ = file.st_ino;
        if (stat((path + "-wal").c_str(), &file) == 0) {
            walDevice_ = file.st_dev;
            walInode_ = file.st_ino;
        }
        if (stat((path + "-shm").c_str(), &file) == 0) {
            shmDevice_ = file.st_dev;
            shmInode_ = file.st_ino;
            shmSize_ = file.st_size;
        }
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqliteBackend::~SqliteBackend() {
    // Closing the last connection checkpoints the log into the database file. That reads the
    // shared-memory index: when its file was cut short the connection is left as it is, and
    // the next start rebuilds the index from the log, where every commit is.
    if (ShmCutShort().empty()) {
        sqlite3_close(db_);
        return;
    }
    // Kept reachable until the process ends (never destroyed): the connection is left open on
    // purpose, not lost.
    static auto* leftOpen = new std::vector<sqlite3*>;
    leftOpen->push_back(db_);
}

void SqliteBackend::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(std::string(sql) + ": " + text);
    }
}

// BEGIN IMMEDIATE takes the write lock at once, so two processes on one file cannot both read
// a count and then both write.
template <typename Body> auto SqliteBackend::Transaction(Body body) {
    Exec("BEGIN IMMEDIATE");
    try {
        auto result = body();
        Exec("COMMIT");
        return result;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqliteBackend::Migrate() {
    Transaction([&] {
        Exec("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY)");
        Statement applied(db_, "SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
        applied.Step();
        const std::int64_t have = applied.Int(0);
        const auto want = static_cast<std::int64_t>(std::size(kMigrations));
        if (have > want)
            throw std::runtime_error("database schema " + std::to_string(have) +
                                     " is newer than this program");
        for (std::int64_t version = have + 1; version <= want; ++version) {
            Exec(kMigrations[version - 1]);
            Statement(db_, "INSERT INTO schema_migrations (version) VALUES (?)")
                .Bind(1, version)
                .Run();
        }
        return 0;
    });
}

int SqliteBackend::SchemaVersion() {
    Turn turn(*this);
    Statement query(db_, "SELECT MAX(version) FROM schema_migrations");
    query.Step();
    return static_cast<int>(query.Int(0));
}

void SqliteBackend::InsertLocked(const StoredScore& row) {
    Statement(db_, "INSERT INTO scores (name, score, country, time) VALUES (?, ?, ?, ?)")
        .Bind(1, row.name)
        .Bind(2, static_cast<std::int64_t>(row.score))
        .Bind(3, row.country)
        .Bind(4, row.time)
        .Run();
}

void SqliteBackend::Add(const StoredScore& row) {
    Turn turn(*this);
    InsertLocked(row);
}

void SqliteBackend::AddMany(const std::vector<StoredScore>& rows) {
    Turn turn(*this);
    Transaction([&] {
        for (const StoredScore& row : rows)
            InsertLocked(row);
        return 0;
    });
}

std::vector<StoredScore> SqliteBackend::Best(int limit) {
    Turn turn(*this);
    Statement query(db_, "SELECT name, score, country, time FROM scores"
                         " ORDER BY score DESC, time ASC, id ASC LIMIT ?");
    query.Bind(1, static_cast<std::int64_t>(limit));
    std::vector<StoredScore> rows;
    while (query.Step())
        rows.push_back(StoredScore{query.Text(0), static_cast<int>(query.Int(1)), query.Text(2),
                                   query.Int(3)});
    return rows;
}

std::int64_t SqliteBackend::Count() {
    Turn turn(*this);
    Statement query(db_, "SELECT COUNT(*) FROM scores");
    query.Step();
    return query.Int(0);
}

bool SqliteBackend::CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                                 std::int64_t windowMs) {
    Turn turn(*this);
    // A counted attempt lost in a power cut costs nothing, so its commit is not synced; the
    // log keeps commits in order, and the next synced one (a score) takes it along.
    Exec("PRAGMA synchronous=NORMAL");
    struct Resync {
        SqliteBackend* backend;
        ~Resync() {
            sqlite3_exec(backend->db_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        }
    } resync{this};
    return Transaction([&] {
        Statement(db_, "INSERT INTO rate_clients (client, last_ms) VALUES (?1, ?2)"
                       " ON CONFLICT (client) DO UPDATE SET last_ms = MAX(last_ms, ?2)")
            .Bind(1, client)
            .Bind(2, nowMs)
            .Run();
        Statement live(db_, "SELECT COUNT(*) FROM rate_attempts WHERE client = ? AND at_ms > ?");
        live.Bind(1, client).Bind(2, nowMs - windowMs).Step();
        if (live.Int(0) >= limit) return false;
        Statement(db_, "INSERT INTO rate_attempts (client, at_ms) VALUES (?, ?)")
            .Bind(1, client)
            .Bind(2, nowMs)
            .Run();
        return true;
    });
}

bool SqliteBackend::StoreWithToken(const std::string& token, std::int64_t expiresMs,
                                   const StoredScore& row) {
    Turn turn(*this);
    return Transaction([&] {
        Statement(db_, "INSERT OR IGNORE INTO used_tokens (token, expires_ms) VALUES (?, ?)")
            .Bind(1, token)
            .Bind(2, expiresMs)
            .Run();
        if (sqlite3_changes(db_) == 0) return false;
        InsertLocked(row);
        return true;
    });
}

void SqliteBackend::Purge(std::int64_t nowMs, std::int64_t windowMs) {
    Turn turn(*this);
    Transaction([&] {
        Statement(db_, "DELETE FROM used_tokens WHERE expires_ms <= ?").Bind(1, nowMs).Run();
        Statement(db_, "DELETE FROM rate_attempts WHERE at_ms <= ?")
            .Bind(1, nowMs - windowMs)
            .Run();
        Statement(db_, "DELETE FROM rate_clients WHERE last_ms <= ?")
            .Bind(1, nowMs - windowMs)
            .Run();
        return 0;
    });
}

std::string SqliteBackend::TokenKey(const std::string& fresh) {
    Turn turn(*this);
    return Transaction([&] {
        Statement(db_, "INSERT OR IGNORE INTO settings (name, value) VALUES ('token_key', ?)")
            .Bind(1, fresh)
            .Run();
        Statement query(db_, "SELECT value FROM settings WHERE name = 'token_key'");
        if (!query.Step()) throw std::runtime_error("no token key");
        return query.Text(0);
    });
}

std::string SqliteBackend::ShmCutShort() {
    struct stat file {};
    const std::string shm = path_ + "-shm";
    // A file put in its place is not what this process maps.
    if (shmInode_ == 0 || stat(shm.c_str(), &file) != 0 || file.st_dev != shmDevice_ ||
        file.st_ino != shmInode_)
        return "";
    if (file.st_size < shmSize_) return "the shared-memory file " + shm + " was cut short";
    shmSize_ = file.st_size;
    return "";
}

std::string SqliteBackend::Replaced() {
    struct stat file {};
    if (stat(path_.c_str(), &file) != 0) return "the database file " + path_ + " is gone";
    if (file.st_dev != device_ || file.st_ino != inode_)
        return "the database file " + path_ + " is no longer the one opened (replaced or moved)";
    const std::string shm = path_ + "-shm";
    if (shmInode_ != 0 &&
        (stat(shm.c_str(), &file) != 0 || file.st_dev != shmDevice_ || file.st_ino != shmInode_))
        return "the shared-memory file " + shm + " is gone or replaced";
    // While a call has the connection, its turn checks this.
    std::unique_lock lock(mutex_, std::try_to_lock);
    return lock ? ShmCutShort() : "";
}

std::string SqliteBackend::Rescue() {
    Turn turn(*this);
    // A copy may take longer than a request.
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string copy = path_ + ".rescued-" + std::to_string(std::time(nullptr));
    for (int n = 2; [&] {
             struct stat file {};
             return lstat(copy.c_str(), &file) == 0;
         }();
         ++n)
        copy = path_ + ".rescued-" + std::to_string(std::time(nullptr)) + "-" + std::to_string(n);
    sqlite3* target = nullptr;
    auto fail = [&](const std::string& what) {
        std::string message =
            what + " " + copy + ": " + (target ? sqlite3_errmsg(target) : "out of memory");
        sqlite3_close(target);
        throw std::runtime_error(message);
    };
    if (sqlite3_open_v2(copy.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        fail("cannot make");
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", db_, "main");
    if (!backup) fail("cannot copy to");
    const int stepped = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE) fail("cannot copy to");
    if (sqlite3_close(target) != SQLITE_OK) throw std::runtime_error("cannot close " + copy);
    // The log and index of the lost file, if still at the path, would be taken as their own by
    // the next file there; what they held is in the copy.
    const std::pair<std::string, std::pair<dev_t, ino_t>> ours[] = {
        {path_ + "-wal", {walDevice_, walInode_}}, {path_ + "-shm", {shmDevice_, shmInode_}}};
    struct stat file {};
    if (stat(path_.c_str(), &file) == 0 && file.st_dev == device_ && file.st_ino == inode_)
        return copy; // the file is still ours, and so is its log
    for (const auto& [name, id] : ours) {
        if (id.second != 0 && stat(name.c_str(), &file) == 0 && file.st_dev == id.first &&
            file.st_ino == id.second)
            unlink(name.c_str());
    }
    return copy;
}

std::string SqliteBackend::JournalMode() {
    Turn turn(*this);
    Statement query(db_, "PRAGMA journal_mode");
    return query.Step() ? query.Text(0) : std::string();
}

} // namespace scores
