// PostgresBackend.h -- the store on a PostgreSQL database that several instances share.
#pragma once

#include "StoreBackend.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

struct pg_conn;

namespace scores {

class PostgresBackend : public StoreBackend {
  public:
    // Opens `connections` connections (at least one) to `uri` and brings the schema up to
    // date; instances starting at the same moment take turns at that. A call fails when it has
    // no answer within `deadlineMs`, however the server or the network stalls; its connection
    // is then dropped and made again by a later call.
    PostgresBackend(const std::string& uri, std::size_t connections,
                    std::int64_t deadlineMs = 2000);
    ~PostgresBackend() override;

    void Add(const StoredScore& row) override;
    void AddMany(const std::vector<StoredScore>& rows) override;
    std::vector<StoredScore> Best(int limit) override;
    std::int64_t Count() override;
    bool CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                      std::int64_t windowMs) override;
    bool StoreWithToken(const std::string& token, std::int64_t expiresMs,
                        const StoredScore& row) override;
    // One round trip and one commit; only a stored row waits for the disk.
    Submitted CountAndStore(const std::string& client, std::int64_t nowMs, int limit,
                            std::int64_t windowMs, const std::string& token, std::int64_t expiresMs,
                            const StoredScore& row) override;
    void Purge(std::int64_t nowMs, std::int64_t windowMs) override;
    std::string TokenKey(const std::string& fresh) override;
    int SchemaVersion() override;

  private:
    using Deadline = std::chrono::steady_clock::time_point;
    class Lease;
    class Result;
    pg_conn* Connect(Deadline deadline);
    void Migrate(pg_conn* conn);
    void Prepare(pg_conn* conn, Deadline deadline);

    const std::string uri_;
    const std::int64_t deadlineMs_;
    std::mutex mutex_;
    std::condition_variable returned_;
    // Connections not leased; nullptr for one dropped, made again when next leased.
    std::vector<pg_conn*> idle_;
};

} // namespace scores
