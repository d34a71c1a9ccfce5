// ScoreStore.h -- the world table, the used tokens and the submission counters, on SQLite (a
// file) or PostgreSQL (shared by several instances).
#pragma once

#include "StoreBackend.h"
#include "StoreLog.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace scores {

struct StoreOptions {
    // SQLite: make a new file when there is none (otherwise a missing file is an error, so a
    // deleted database is never silently replaced by an empty one).
    bool create = true;
    // No database call takes longer than this: it fails instead.
    std::int64_t deadlineMs = 2000;
    StoreLog::Sink log = StoreLog::StandardError();
};

class ScoreStore {
  public:
    // `db` is an SQLite file or a PostgreSQL connection URI (postgresql://... or
    // postgres://...). The schema is brought up to date here. PostgreSQL gets `connections`
    // connections, one per thread that may use the store at once. Throws std::runtime_error
    // on failure.
    explicit ScoreStore(const std::string& db, std::size_t connections = 4,
                        StoreOptions options = {});
    ~ScoreStore();
    ScoreStore(const ScoreStore&) = delete;
    ScoreStore& operator=(const ScoreStore&) = delete;

    static bool IsPostgresUri(const std::string& db);

    void Add(const StoredScore& row);
    void AddMany(const std::vector<StoredScore>& rows);
    std::vector<StoredScore> Best(int limit) const;
    std::int64_t Count() const;

    bool CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                      std::int64_t windowMs);
    bool StoreWithToken(const std::string& token, std::int64_t expiresMs, const StoredScore& row);
    using Submitted = StoreBackend::Submitted;
    Submitted CountAndStore(const std::string& client, std::int64_t nowMs, int limit,
                            std::int64_t windowMs, const std::string& token, std::int64_t expiresMs,
                            const StoredScore& row);
    void Purge(std::int64_t nowMs, std::int64_t windowMs);
    // The shared token key (see StoreBackend::TokenKey).
    std::string TokenKey();
    int SchemaVersion() const;

    // True when other processes may add rows too (PostgreSQL): what is rendered from Best
    // then goes stale without Generation changing.
    bool Shared() const { return shared_; }
    // Changes whenever this process adds a row; lets callers cache what they render from Best.
    std::uint64_t Generation() const { return generation_.load(); }

    // SQLite only: the journal mode ("wal"); empty on PostgreSQL.
    std::string JournalMode() const;

    // Checks that the database file is still the one opened (SQLite); when it is not (gone,
    // replaced, moved), saves a copy of what the store holds, logs it and refuses every
    // change from then on. Every change checks this too; call it now and then besides.
    void Watch();
    // True once the database file was found gone or replaced.
    bool Lost() const { return lost_.load(); }

  private:
    // Runs a change: refused at once when the store is lost, or while it fails and another
    // call is already finding out whether it works again; failures go to the log.
    template <typename Call> auto Change(Call call);
    void Lose(const std::string& why);

    std::unique_ptr<StoreBackend> backend_;
    bool shared_ = false;
    std::atomic<std::uint64_t> generation_{0};
    mutable StoreLog log_;
    std::atomic<bool> probing_{false};
    std::mutex loseMutex_;
    std::atomic<bool> lost_{false};
};

} // namespace scores
