// SqliteBackend.h -- the store on one SQLite file (WAL, every commit synced).
#pragma once

#include "StoreBackend.h"

#include <chrono>
#include <mutex>
#include <string>
#include <sys/types.h>

struct sqlite3;
struct sqlite3_stmt;

namespace scores {

class SqliteBackend : public StoreBackend {
  public:
    // Without `create`, a missing file is an error. A call waits at most `deadlineMs` for the
    // connection and for locks of other connections, and is interrupted when it runs longer.
    SqliteBackend(const std::string& path, bool create = true, std::int64_t deadlineMs = 2000);
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
    std::string Replaced() override;
    std::string Rescue() override;

  private:
    class Statement;
    class Turn;
    void Exec(const char* sql);
    void Migrate();
    void InsertLocked(const StoredScore& row);
    template <typename Body> auto Transaction(Body body);

    const std::string path_;
    const std::int64_t deadlineMs_;
    sqlite3* db_ = nullptr;
    // One connection for the process, used in turn; SQLite writes one transaction at a time
    // anyway. A turn not had within the deadline fails.
    std::timed_mutex mutex_;
    std::chrono::steady_clock::time_point deadline_; // of the current turn
    // The file opened, to notice when it is deleted, replaced or moved.
    dev_t device_ = 0;
    ino_t inode_ = 0;
    // The shared-memory index SQLite maps (scores.db-shm): a mapped page cut off from its file
    // kills the process (SIGBUS), so the connection is not used once that file was cut short.
    std::string ShmCutShort();
    // The log (scores.db-wal), which SQLite would apply to any file later put at the path.
    dev_t walDevice_ = 0;
    ino_t walInode_ = 0;
    dev_t shmDevice_ = 0;
    ino_t shmInode_ = 0;
    off_t shmSize_ = 0;
};

} // namespace scores
