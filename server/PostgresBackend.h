// PostgresBackend.h -- the store on a PostgreSQL database that several instances share.
#pragma once

#include "StoreBackend.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

struct pg_conn;

namespace scores {

class PostgresBackend : public StoreBackend {
  public:
    // Opens `connections` connections (at least one) to `uri` and brings the schema up to
    // date; instances starting at the same moment take turns at that.
    PostgresBackend(const std::string& uri, std::size_t connections);
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
                            std::int64_t windowMs, const std::string& token,
                            std::int64_t expiresMs, const StoredScore& row) override;
    void Purge(std::int64_t nowMs, std::int64_t windowMs) override;
    std::string TokenKey(const std::string& fresh) override;
    int SchemaVersion() override;

  private:
    class Lease;
    class Result;
    pg_conn* Connect();
    void Migrate(pg_conn* conn);
    static void Prepare(pg_conn* conn);

    const std::string uri_;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<pg_conn*> all_;
    std::vector<pg_conn*> idle_;
};

} // namespace scores
