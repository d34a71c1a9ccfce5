// ScoreStore.cpp -- SQLite storage of the world table; parameterised statements only.
#include "ScoreStore.h"

#include <sqlite3.h>

#include <stdexcept>

namespace scores {

namespace {

[[noreturn]] void Throw(sqlite3* db, const std::string& what) {
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// Resets a statement on every way out, so a failed step never leaves a read open.
class StatementUse {
  public:
    explicit StatementUse(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~StatementUse() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

  private:
    sqlite3_stmt* stmt_;
};

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

} // namespace

ScoreStore::ScoreStore(const std::string& path) {
    // Our own mutex guards the connection, so SQLite's per-connection mutex is not needed.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        Exec("PRAGMA journal_mode=WAL");
        if (JournalMode() != "wal")
            throw std::runtime_error("cannot switch " + path + " to WAL mode");
        // FULL syncs the log at every commit: an accepted score survives even a power cut.
        Exec("PRAGMA synchronous=FULL");
        Exec("CREATE TABLE IF NOT EXISTS scores ("
             " id INTEGER PRIMARY KEY,"
             " name TEXT NOT NULL,"
             " score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 65535),"
             " country TEXT NOT NULL,"
             " time INTEGER NOT NULL)");
        Exec("CREATE INDEX IF NOT EXISTS scores_rank ON scores (score DESC, time ASC, id ASC)");
        if (sqlite3_prepare_v2(
                db_, "INSERT INTO scores (name, score, country, time) VALUES (?, ?, ?, ?)", -1,
                &insert_, nullptr) != SQLITE_OK)
            Throw(db_, "prepare insert");
        if (sqlite3_prepare_v2(db_,
                               "SELECT name, score, country, time FROM scores"
                               " ORDER BY score DESC, time ASC, id ASC LIMIT ?",
                               -1, &best_, nullptr) != SQLITE_OK)
            Throw(db_, "prepare query");
    } catch (...) {
        sqlite3_finalize(insert_);
        sqlite3_finalize(best_);
        sqlite3_close(db_);
        throw;
    }
}

ScoreStore::~ScoreStore() {
    sqlite3_finalize(insert_);
    sqlite3_finalize(best_);
    // Closing the last connection checkpoints the log into the database file.
    sqlite3_close(db_);
}

void ScoreStore::Exec(const char* sql) const {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(std::string(sql) + ": " + text);
    }
}

void ScoreStore::InsertLocked(const StoredScore& row) {
    StatementUse use(insert_);
    sqlite3_bind_text(insert_, 1, row.name.data(), static_cast<int>(row.name.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int(insert_, 2, row.score);
    sqlite3_bind_text(insert_, 3, row.country.data(), static_cast<int>(row.country.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert_, 4, row.time);
    if (sqlite3_step(insert_) != SQLITE_DONE) Throw(db_, "insert score");
}

void ScoreStore::Add(const StoredScore& row) {
    std::lock_guard lock(mutex_);
    InsertLocked(row);
    ++generation_;
}

void ScoreStore::AddMany(const std::vector<StoredScore>& rows) {
    std::lock_guard lock(mutex_);
    Exec("BEGIN");
    try {
        for (const StoredScore& row : rows)
            InsertLocked(row);
        Exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    ++generation_;
}

std::vector<StoredScore> ScoreStore::Best(int limit) const {
    std::lock_guard lock(mutex_);
    StatementUse use(best_);
    sqlite3_bind_int(best_, 1, limit);
    std::vector<StoredScore> rows;
    int rc;
    while ((rc = sqlite3_step(best_)) == SQLITE_ROW) {
        rows.push_back(StoredScore{ColumnText(best_, 0), sqlite3_column_int(best_, 1),
                                   ColumnText(best_, 2), sqlite3_column_int64(best_, 3)});
    }
    if (rc != SQLITE_DONE) Throw(db_, "query scores");
    return rows;
}

std::int64_t ScoreStore::Count() const {
    std::lock_guard lock(mutex_);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT COUNT(*) FROM scores", -1, &stmt, nullptr) != SQLITE_OK)
        Throw(db_, "prepare count");
    std::int64_t count = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    if (count < 0) Throw(db_, "count scores");
    return count;
}

std::string ScoreStore::JournalMode() const {
    std::lock_guard lock(mutex_);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA journal_mode", -1, &stmt, nullptr) != SQLITE_OK)
        Throw(db_, "prepare journal_mode");
    std::string mode = sqlite3_step(stmt) == SQLITE_ROW ? ColumnText(stmt, 0) : std::string();
    sqlite3_finalize(stmt);
    return mode;
}

} // namespace scores
