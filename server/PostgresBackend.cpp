// PostgresBackend.cpp -- PostgreSQL storage: a small pool of connections, schema migrations,
// and one round trip per request through server-side functions.
#include "PostgresBackend.h"

#include <libpq-fe.h>

#include <poll.h>

#include <cerrno>
#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace scores {

namespace {

// Numbered steps from an empty database to the current schema; the same steps as SQLite's in
// PostgreSQL's words. A step never changes once shipped.
const char* const kMigrations[] = {
    // 1
    "CREATE TABLE scores ("
    " id BIGSERIAL PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 65535),"
    " country TEXT NOT NULL,"
    " time BIGINT NOT NULL);"
    "CREATE INDEX scores_rank ON scores (score DESC, time ASC, id ASC);",
    // 2
    "CREATE TABLE used_tokens (token TEXT PRIMARY KEY, expires_ms BIGINT NOT NULL);"
    "CREATE INDEX used_tokens_expiry ON used_tokens (expires_ms);"
    "CREATE TABLE rate_clients (client TEXT PRIMARY KEY, last_ms BIGINT NOT NULL);"
    "CREATE TABLE rate_attempts (client TEXT NOT NULL, at_ms BIGINT NOT NULL);"
    "CREATE INDEX rate_attempts_client ON rate_attempts (client, at_ms);"
    "CREATE TABLE settings (name TEXT PRIMARY KEY, value TEXT NOT NULL);"
    // The client's row is locked by the upsert until the end of the transaction, so the
    // attempts of one address are counted one after the other on every instance.
    "CREATE FUNCTION skyvern_attempt(p_client TEXT, p_now BIGINT, p_limit INTEGER,"
    "                                p_window BIGINT) RETURNS BOOLEAN LANGUAGE plpgsql AS $$\n"
    "DECLARE live INTEGER;\n"
    "BEGIN\n"
    // A counted attempt lost in a crash costs nothing: no need to wait for the disk.
    "  PERFORM set_config('synchronous_commit', 'off', true);\n"
    "  INSERT INTO rate_clients (client, last_ms) VALUES (p_client, p_now)\n"
    "    ON CONFLICT (client) DO UPDATE\n"
    "    SET last_ms = GREATEST(rate_clients.last_ms, EXCLUDED.last_ms);\n"
    "  SELECT count(*) INTO live FROM rate_attempts\n"
    "    WHERE client = p_client AND at_ms > p_now - p_window;\n"
    "  IF live >= p_limit THEN RETURN FALSE; END IF;\n"
    "  INSERT INTO rate_attempts (client, at_ms) VALUES (p_client, p_now);\n"
    "  RETURN TRUE;\n"
    "END $$;"
    // Of two transactions using one token, the second waits on the key of the first and then
    // finds it taken: exactly one stores its row.
    "CREATE FUNCTION skyvern_store(p_token TEXT, p_expires BIGINT, p_name TEXT,"
    "                              p_score INTEGER, p_country TEXT, p_time BIGINT)"
    "    RETURNS BOOLEAN LANGUAGE plpgsql AS $$\n"
    "BEGIN\n"
    "  INSERT INTO used_tokens (token, expires_ms) VALUES (p_token, p_expires)\n"
    "    ON CONFLICT (token) DO NOTHING;\n"
    "  IF NOT FOUND THEN RETURN FALSE; END IF;\n"
    "  INSERT INTO scores (name, score, country, time) VALUES (p_name, p_score, p_country, "
    "p_time);\n"
    "  RETURN TRUE;\n"
    "END $$;",
    // 3
    // skyvern_attempt and then skyvern_store in one transaction: 0 stored, 1 token used
    // before (the attempt counted), 2 too many attempts (nothing counted). Only a stored row
    // waits for its commit to reach the disk.
    "CREATE FUNCTION skyvern_submit(p_client TEXT, p_now BIGINT, p_limit INTEGER,"
    "                               p_window BIGINT, p_token TEXT, p_expires BIGINT,"
    "                               p_name TEXT, p_score INTEGER, p_country TEXT, p_time BIGINT)"
    "    RETURNS INTEGER LANGUAGE plpgsql AS $$\n"
    "DECLARE live INTEGER;\n"
    "BEGIN\n"
    "  INSERT INTO rate_clients (client, last_ms) VALUES (p_client, p_now)\n"
    "    ON CONFLICT (client) DO UPDATE\n"
    "    SET last_ms = GREATEST(rate_clients.last_ms, EXCLUDED.last_ms);\n"
    "  SELECT count(*) INTO live FROM rate_attempts\n"
    "    WHERE client = p_client AND at_ms > p_now - p_window;\n"
    "  IF live >= p_limit THEN\n"
    "    PERFORM set_config('synchronous_commit', 'off', true);\n"
    "    RETURN 2;\n"
    "  END IF;\n"
    "  INSERT INTO rate_attempts (client, at_ms) VALUES (p_client, p_now);\n"
    "  INSERT INTO used_tokens (token, expires_ms) VALUES (p_token, p_expires)\n"
    "    ON CONFLICT (token) DO NOTHING;\n"
    "  IF NOT FOUND THEN\n"
    "    PERFORM set_config('synchronous_commit', 'off', true);\n"
    "    RETURN 1;\n"
    "  END IF;\n"
    "  INSERT INTO scores (name, score, country, time) VALUES (p_name, p_score, p_country, "
    "p_time);\n"
    "  RETURN 0;\n"
    "END $$;",
};

// Any number; it only has to be the same in every instance.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(736679826)";

const std::pair<const char*, const char*> kStatements[] = {
    {"add", "INSERT INTO scores (name, score, country, time) VALUES ($1, $2, $3, $4)"},
    {"best", "SELECT name, score, country, time FROM scores"
             " ORDER BY score DESC, time ASC, id ASC LIMIT $1"},
    {"count", "SELECT count(*) FROM scores"},
    {"attempt", "SELECT skyvern_attempt($1, $2, $3, $4)"},
    {"store", "SELECT skyvern_store($1, $2, $3, $4, $5, $6)"},
    {"submit", "SELECT skyvern_submit($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)"},
    {"key_insert", "INSERT INTO settings (name, value) VALUES ('token_key', $1)"
                   " ON CONFLICT (name) DO NOTHING"},
    {"key", "SELECT value FROM settings WHERE name = 'token_key'"},
    {"purge_tokens", "DELETE FROM used_tokens WHERE expires_ms <= $1"},
    {"purge_attempts", "DELETE FROM rate_attempts WHERE at_ms <= $1"},
    {"purge_clients", "DELETE FROM rate_clients WHERE last_ms <= $1"},
    {"schema", "SELECT max(version) FROM schema_migrations"},
};

} // namespace

// A query's result, cleared on every way out; a failed query throws.
class PostgresBackend::Result {
  public:
    Result(PGconn* conn, PGresult* result, const char* what) : result_(result) {
        ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            std::string message = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
            PQclear(result);
            throw std::runtime_error(std::string(what) + ": " + message);
        }
    }
    ~Result() { PQclear(result_); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    int Rows() const { return PQntuples(result_); }
    std::string Text(int row, int column) const {
        return std::string(PQgetvalue(result_, row, column),
                           static_cast<std::size_t>(PQgetlength(result_, row, column)));
    }
    std::int64_t Int(int row, int column) const {
        return PQgetisnull(result_, row, column) ? 0 : std::stoll(Text(row, column));
    }
    bool Bool(int row, int column) const { return Text(row, column) == "t"; }

  private:
    PGresult* result_;
};

namespace {

using Deadline = std::chrono::steady_clock::time_point;

// Waits until the connection's socket can be read (or written); false at the deadline.
bool WaitFor(PGconn* conn, bool write, Deadline deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return false;
        pollfd p{PQsocket(conn), static_cast<short>(write ? POLLOUT : POLLIN), 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return true; // let libpq find the error
    }
}

[[noreturn]] void TimedOut(const char* what) {
    throw std::runtime_error(std::string(what) + ": PostgreSQL did not answer in time");
}

// The result of the command just sent on `conn` (non-blocking), or throws at the deadline.
PGresult* Await(PGconn* conn, Deadline deadline, const char* what) {
    for (;;) {
        const int flushed = PQflush(conn);
        if (flushed == 0) break;
        if (flushed < 0) return nullptr;
        if (!WaitFor(conn, true, deadline)) TimedOut(what);
        if (!PQconsumeInput(conn)) return nullptr;
    }
    PGresult* kept = nullptr;
    for (;;) {
        while (PQisBusy(conn)) {
            if (!WaitFor(conn, false, deadline)) {
                PQclear(kept);
                TimedOut(what);
            }
            if (!PQconsumeInput(conn)) {
                PQclear(kept);
                return nullptr;
            }
        }
        PGresult* next = PQgetResult(conn);
        if (!next) return kept;
        // The first failure tells why; otherwise the last result is the answer.
        const ExecStatusType status = kept ? PQresultStatus(kept) : PGRES_COMMAND_OK;
        if (kept && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            PQclear(next);
        } else {
            PQclear(kept);
            kept = next;
        }
    }
}

} // namespace

// One connection of the pool for the time of a request. A connection left broken (the server
// restarted, the network failed, an answer did not come in time) is dropped, and made again
// when it is next leased.
class PostgresBackend::Lease {
  public:
    explicit Lease(PostgresBackend& pool)
        : pool_(pool), deadline_(std::chrono::steady_clock::now() +
                                 std::chrono::milliseconds(pool.deadlineMs_)) {
        {
            std::unique_lock lock(pool_.mutex_);
            if (!pool_.returned_.wait_until(lock, deadline_, [&] { return !pool_.idle_.empty(); }))
                throw std::runtime_error("no free PostgreSQL connection in time");
            conn_ = pool_.idle_.back();
            pool_.idle_.pop_back();
        }
        if (conn_ && PQstatus(conn_) == CONNECTION_OK) return;
        PQfinish(conn_);
        conn_ = nullptr;
        try {
            conn_ = pool_.Connect(deadline_);
            pool_.Prepare(conn_, deadline_);
        } catch (...) {
            PQfinish(conn_);
            conn_ = nullptr;
            GiveBack();
            throw;
        }
    }
    ~Lease() {
        if (conn_ && PQstatus(conn_) == CONNECTION_OK &&
            PQtransactionStatus(conn_) != PQTRANS_IDLE) {
            try {
                if (PQsendQuery(conn_, "ROLLBACK"))
                    PQclear(Await(conn_, deadline_ + std::chrono::milliseconds(500), "rollback"));
                else
                    Drop();
            } catch (const std::exception&) {
                Drop();
            }
        }
        GiveBack();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    Result Run(const char* statement, std::initializer_list<std::string> params) {
        std::vector<const char*> values;
        for (const std::string& param : params)
            values.push_back(param.c_str());
        if (!PQsendQueryPrepared(conn_, statement, static_cast<int>(values.size()), values.data(),
                                 nullptr, nullptr, 0))
            return Result(conn_, nullptr, statement);
        return Result(conn_, AwaitOrDrop(statement), statement);
    }
    Result Exec(const char* sql) {
        if (!PQsendQuery(conn_, sql)) return Result(conn_, nullptr, sql);
        return Result(conn_, AwaitOrDrop(sql), sql);
    }

  private:
    PGresult* AwaitOrDrop(const char* what) {
        try {
            return Await(conn_, deadline_, what);
        } catch (...) {
            // Its answer may still come; the connection cannot be used for anything else.
            Drop();
            throw;
        }
    }
    void Drop() {
        PQfinish(conn_);
        conn_ = nullptr;
    }
    void GiveBack() {
        if (conn_ && PQstatus(conn_) != CONNECTION_OK) Drop();
        std::lock_guard lock(pool_.mutex_);
        pool_.idle_.push_back(conn_);
        pool_.returned_.notify_one();
    }

    PostgresBackend& pool_;
    const Deadline deadline_;
    PGconn* conn_ = nullptr;
};

PostgresBackend::PostgresBackend(const std::string& uri, std::size_t connections,
                                 std::int64_t deadlineMs)
    : uri_(uri), deadlineMs_(deadlineMs) {
    try {
        if (connections == 0) connections = 1;
        const Deadline startUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (std::size_t i = 0; i < connections; ++i) {
            PGconn* conn = Connect(startUp);
            idle_.push_back(conn);
            if (i == 0) Migrate(conn);
            Prepare(conn, startUp);
        }
    } catch (...) {
        for (PGconn* conn : idle_)
            PQfinish(conn);
        throw;
    }
}

PostgresBackend::~PostgresBackend() {
    for (PGconn* conn : idle_)
        PQfinish(conn);
}

PGconn* PostgresBackend::Connect(Deadline deadline) {
    // A URI without its own connect_timeout must not hang for ever; the deadline below covers
    // a server that accepts but never answers.
    const char* keys[] = {"connect_timeout", "dbname", nullptr};
    const char* values[] = {"10", uri_.c_str(), nullptr};
    PGconn* conn = PQconnectStartParams(keys, values, 1);
    if (!conn) throw std::runtime_error("cannot connect to PostgreSQL: out of memory");
    auto fail = [conn](const std::string& why) {
        PQfinish(conn);
        throw std::runtime_error("cannot connect to PostgreSQL: " + why);
    };
    if (PQstatus(conn) == CONNECTION_BAD) fail(PQerrorMessage(conn));
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED) fail(PQerrorMessage(conn));
        if (!WaitFor(conn, state == PGRES_POLLING_WRITING, deadline)) fail("no answer in time");
        state = PQconnectPoll(conn);
    }
    // Every command is sent and awaited with the deadline above.
    if (PQsetnonblocking(conn, 1) != 0) fail(PQerrorMessage(conn));
    return conn;
}

void PostgresBackend::Migrate(PGconn* conn) {
    auto exec = [conn](const char* sql) { Result(conn, PQexec(conn, sql), "migration"); };
    exec("BEGIN");
    try {
        exec(kMigrationLock);
        exec("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY)");
        Result applied(conn,
                       PQexec(conn, "SELECT COALESCE(max(version), 0) FROM schema_migrations"),
                       "migration");
        const std::int64_t have = applied.Int(0, 0);
        const auto want = static_cast<std::int64_t>(std::size(kMigrations));
        if (have > want)
            throw std::runtime_error("database schema " + std::to_string(have) +
                                     " is newer than this program");
        for (std::int64_t version = have + 1; version <= want; ++version) {
            exec(kMigrations[version - 1]);
            exec(
                ("INSERT INTO schema_migrations (version) VALUES (" + std::to_string(version) + ")")
                    .c_str());
        }
        exec("COMMIT");
    } catch (...) {
        PQclear(PQexec(conn, "ROLLBACK"));
        throw;
    }
}

void PostgresBackend::Prepare(PGconn* conn, Deadline deadline) {
    // The server gives up on a statement (a held lock, say) a little before we would, so the
    // connection stays usable.
    const std::string timeout =
        "SET statement_timeout = " + std::to_string(deadlineMs_ > 200 ? deadlineMs_ - 100 : 100);
    if (!PQsendQuery(conn, timeout.c_str())) Result(conn, nullptr, "statement_timeout");
    Result(conn, Await(conn, deadline, "statement_timeout"), "statement_timeout");
    for (const auto& [name, sql] : kStatements) {
        if (!PQsendPrepare(conn, name, sql, 0, nullptr)) Result(conn, nullptr, name);
        Result(conn, Await(conn, deadline, name), name);
    }
}

void PostgresBackend::Add(const StoredScore& row) {
    Lease(*this).Run("add",
                     {row.name, std::to_string(row.score), row.country, std::to_string(row.time)});
}

void PostgresBackend::AddMany(const std::vector<StoredScore>& rows) {
    Lease lease(*this);
    lease.Exec("BEGIN");
    for (const StoredScore& row : rows)
        lease.Run("add",
                  {row.name, std::to_string(row.score), row.country, std::to_string(row.time)});
    lease.Exec("COMMIT");
}

std::vector<StoredScore> PostgresBackend::Best(int limit) {
    Result result = Lease(*this).Run("best", {std::to_string(limit)});
    std::vector<StoredScore> rows;
    rows.reserve(static_cast<std::size_t>(result.Rows()));
    for (int i = 0; i < result.Rows(); ++i)
        rows.push_back(StoredScore{result.Text(i, 0), static_cast<int>(result.Int(i, 1)),
                                   result.Text(i, 2), result.Int(i, 3)});
    return rows;
}

std::int64_t PostgresBackend::Count() {
    return Lease(*this).Run("count", {}).Int(0, 0);
}

bool PostgresBackend::CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                                   std::int64_t windowMs) {
    return Lease(*this)
        .Run("attempt",
             {client, std::to_string(nowMs), std::to_string(limit), std::to_string(windowMs)})
        .Bool(0, 0);
}

bool PostgresBackend::StoreWithToken(const std::string& token, std::int64_t expiresMs,
                                     const StoredScore& row) {
    return Lease(*this)
        .Run("store", {token, std::to_string(expiresMs), row.name, std::to_string(row.score),
                       row.country, std::to_string(row.time)})
        .Bool(0, 0);
}

StoreBackend::Submitted
PostgresBackend::CountAndStore(const std::string& client, std::int64_t nowMs, int limit,
                               std::int64_t windowMs, const std::string& token,
                               std::int64_t expiresMs, const StoredScore& row) {
    const std::int64_t outcome =
        Lease(*this)
            .Run("submit", {client, std::to_string(nowMs), std::to_string(limit),
                            std::to_string(windowMs), token, std::to_string(expiresMs), row.name,
                            std::to_string(row.score), row.country, std::to_string(row.time)})
            .Int(0, 0);
    switch (outcome) {
    case 0:
        return Submitted::Stored;
    case 1:
        return Submitted::TokenUsed;
    case 2:
        return Submitted::TooMany;
    }
    throw std::runtime_error("submit: unexpected outcome " + std::to_string(outcome));
}

void PostgresBackend::Purge(std::int64_t nowMs, std::int64_t windowMs) {
    Lease lease(*this);
    lease.Run("purge_tokens", {std::to_string(nowMs)});
    lease.Run("purge_attempts", {std::to_string(nowMs - windowMs)});
    lease.Run("purge_clients", {std::to_string(nowMs - windowMs)});
}

std::string PostgresBackend::TokenKey(const std::string& fresh) {
    Lease lease(*this);
    lease.Run("key_insert", {fresh});
    Result key = lease.Run("key", {});
    if (key.Rows() != 1) throw std::runtime_error("no token key");
    return key.Text(0, 0);
}

int PostgresBackend::SchemaVersion() {
    return static_cast<int>(Lease(*this).Run("schema", {}).Int(0, 0));
}

} // namespace scores
