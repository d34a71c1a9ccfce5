// SqliteBackend.h -- the store on one SQLite file (WAL, every commit synced).
#pragma once

#include "StoreBackend.h"

#include <mutex>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace scores {

class SqliteBackend : public StoreBackend {
  public:
    explicit SqliteBackend(const std::string& path);
    ~SqliteBackend() override;

    void Add(const StoredScore& row) override;
    void AddMany(const std::vector<StoredScore>& rows) override;
    std::vector<StoredScore> Best(int limit) override;
    std::int64_t Count() override;
    bool CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                      std::int64_t windowMs) override;
    bool StoreWithToken(const std::string& token, std::int64_t expiresMs,
                        const StoredScore& row) override;
    void Purge(std::int64_t nowMs, std::int64_t windowMs) override;
    std::string TokenKey(const std::string& fresh) override;
    int SchemaVersion() override;
    std::string JournalMode() override;

  private:
    class Statement;
    void Exec(const char* sql);
    void Migrate();
    void InsertLocked(const StoredScore& row);
    template <typename Body> auto Transaction(Body body);

    sqlite3* db_ = nullptr;
    // One connection for the process; SQLite writes one transaction at a time anyway.
    std::mutex mutex_;
};

} // namespace scores
