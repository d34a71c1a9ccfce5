// ScoreStore.h -- the world table on SQLite: stored scores and the best-first query.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace scores {

struct StoredScore {
    std::string name;
    int score = 0;
    std::string country;
    std::int64_t time = 0; // Unix seconds of the submission
};

class ScoreStore {
  public:
    // Opens or creates the database in WAL mode; throws std::runtime_error on failure.
    explicit ScoreStore(const std::string& path);
    ~ScoreStore();
    ScoreStore(const ScoreStore&) = delete;
    ScoreStore& operator=(const ScoreStore&) = delete;

    // Each call is one committed transaction; throws std::runtime_error on failure.
    void Add(const StoredScore& row);
    // Many rows in one transaction (seeding a benchmark database).
    void AddMany(const std::vector<StoredScore>& rows);

    // Best first: higher score, then earlier time, then earlier insertion.
    std::vector<StoredScore> Best(int limit) const;
    std::int64_t Count() const;
    std::string JournalMode() const;

    // Changes whenever a row is added; lets callers cache what they render from Best.
    std::uint64_t Generation() const { return generation_.load(); }

  private:
    void Exec(const char* sql) const;
    void InsertLocked(const StoredScore& row);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* best_ = nullptr;
    mutable std::mutex mutex_;
    std::atomic<std::uint64_t> generation_{0};
};

} // namespace scores
