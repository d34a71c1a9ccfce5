// ScoreStore.h -- the world table, the used tokens and the submission counters, on SQLite (a
// file) or PostgreSQL (shared by several instances).
#pragma once

#include "StoreBackend.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scores {

class ScoreStore {
  public:
    // `db` is an SQLite file (created when missing) or a PostgreSQL connection URI
    // (postgresql://... or postgres://...). The schema is brought up to date here. PostgreSQL
    // gets `connections` connections, one per thread that may use the store at once.
    // Throws std::runtime_error on failure.
    explicit ScoreStore(const std::string& db, std::size_t connections = 4);
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
                            std::int64_t windowMs, const std::string& token,
                            std::int64_t expiresMs, const StoredScore& row);
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

  private:
    std::unique_ptr<StoreBackend> backend_;
    bool shared_ = false;
    std::atomic<std::uint64_t> generation_{0};
};

} // namespace scores
