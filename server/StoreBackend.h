// StoreBackend.h -- what the score store needs from a database engine (SQLite or PostgreSQL).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scores {

struct StoredScore {
    std::string name;
    int score = 0;
    std::string country;
    std::int64_t time = 0; // Unix seconds of the submission
};

// Every call is atomic on its own and safe from any thread, and ends within the deadline the
// engine was opened with; failures throw std::runtime_error.
// Both engines carry the same tables, built by the same numbered migrations:
//   1  scores                 the world table
//   2  used_tokens            tokens already spent, kept until they expire
//      rate_clients           one row per client address with recent attempts (its lock
//                             serialises the attempts of one address over all instances)
//      rate_attempts          one row per counted attempt
//      settings               the token key
//   3  (PostgreSQL only) the function that counts and stores a submission in one transaction
class StoreBackend {
  public:
    virtual ~StoreBackend() = default;

    virtual void Add(const StoredScore& row) = 0;
    virtual void AddMany(const std::vector<StoredScore>& rows) = 0;
    // Best first: higher score, then earlier time, then earlier insertion.
    virtual std::vector<StoredScore> Best(int limit) = 0;
    virtual std::int64_t Count() = 0;

    // Counts one attempt of `client` at nowMs if fewer than `limit` were counted in the
    // window before it; refused attempts are not counted.
    virtual bool CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                              std::int64_t windowMs) = 0;
    // Records `token` as used until expiresMs and stores the row, both or neither. False
    // (nothing stored) when the token was used before, by any instance.
    virtual bool StoreWithToken(const std::string& token, std::int64_t expiresMs,
                                const StoredScore& row) = 0;
    enum class Submitted { Stored, TokenUsed, TooMany };
    // CountAttempt, and when the attempt counts, StoreWithToken: one submission. TokenUsed
    // leaves the attempt counted; TooMany stores and counts nothing.
    virtual Submitted CountAndStore(const std::string& client, std::int64_t nowMs, int limit,
                                    std::int64_t windowMs, const std::string& token,
                                    std::int64_t expiresMs, const StoredScore& row) {
        if (!CountAttempt(client, nowMs, limit, windowMs)) return Submitted::TooMany;
        return StoreWithToken(token, expiresMs, row) ? Submitted::Stored : Submitted::TokenUsed;
    }
    // Forgets used tokens that have expired and attempts older than the window.
    virtual void Purge(std::int64_t nowMs, std::int64_t windowMs) = 0;

    // The key tokens are signed with: made once, at the first start on a new database.
    virtual std::string TokenKey(const std::string& fresh) = 0;
    // Highest migration applied.
    virtual int SchemaVersion() = 0;
    virtual std::string JournalMode() { return ""; }

    // Why the database is no longer the one opened (its file gone, replaced or moved), or ""
    // while it is. Cheap: called before every change.
    virtual std::string Replaced() { return ""; }
    // Saves what this connection still sees of a replaced database to a new file beside the
    // old one and takes away what is left of it at the old path, so that nothing later put
    // there mixes with it; the new file's name, or "" when there is nothing to save. Throws
    // when saving fails.
    virtual std::string Rescue() { return ""; }
};

} // namespace scores
