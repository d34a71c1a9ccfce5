// ScoreStore.cpp -- picks the engine from the database name and keeps the change counter.
#include "ScoreStore.h"

#include "PostgresBackend.h"
#include "SqliteBackend.h"
#include "TokenSigner.h"

#include <stdexcept>

namespace scores {

namespace {

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string FromHex(const std::string& hex) {
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0) throw std::runtime_error("bad token key");
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = value(hex[i]), low = value(hex[i + 1]);
        if (high < 0 || low < 0) throw std::runtime_error("bad token key");
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

} // namespace

bool ScoreStore::IsPostgresUri(const std::string& db) {
    return db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0;
}

ScoreStore::ScoreStore(const std::string& db, std::size_t connections, StoreOptions options)
    : log_(options.log) {
    if (IsPostgresUri(db)) {
        backend_ = std::make_unique<PostgresBackend>(db, connections, options.deadlineMs);
        shared_ = true;
    } else {
        backend_ = std::make_unique<SqliteBackend>(db, options.create, options.deadlineMs);
    }
}

ScoreStore::~ScoreStore() = default;

template <typename Call> auto ScoreStore::Change(Call call) {
    if (lost_.load()) throw std::runtime_error("the database file is gone; changes refused");
    std::string replaced = backend_->Replaced();
    if (!replaced.empty()) {
        Lose(replaced);
        throw std::runtime_error(replaced);
    }
    // While the store fails, one call at a time finds out whether it works again; the others
    // are refused at once instead of each waiting out the deadline.
    bool probe = false;
    if (log_.Failing()) {
        bool expected = false;
        if (!probing_.compare_exchange_strong(expected, true))
            throw std::runtime_error("the score store is failing");
        probe = true;
    }
    struct EndProbe {
        std::atomic<bool>* probing;
        ~EndProbe() {
            if (probing) probing->store(false);
        }
    } endProbe{probe ? &probing_ : nullptr};
    try {
        auto result = call();
        log_.Worked();
        return result;
    } catch (const std::exception& e) {
        log_.Failed(e.what());
        throw;
    }
}

void ScoreStore::Lose(const std::string& why) {
    std::lock_guard lock(loseMutex_);
    if (lost_.load()) return;
    lost_ = true;
    std::string saved;
    try {
        saved = backend_->Rescue();
        saved = saved.empty() ? "" : "; what it held is saved in " + saved;
    } catch (const std::exception& e) {
        saved = std::string("; saving what it held failed: ") + e.what();
    }
    log_.Lost(why + saved + "; refusing every submission until restarted");
}

void ScoreStore::Watch() {
    if (lost_.load()) return;
    std::string replaced = backend_->Replaced();
    if (!replaced.empty()) Lose(replaced);
}

void ScoreStore::Add(const StoredScore& row) {
    Change([&] {
        backend_->Add(row);
        return 0;
    });
    ++generation_;
}

void ScoreStore::AddMany(const std::vector<StoredScore>& rows) {
    Change([&] {
        backend_->AddMany(rows);
        return 0;
    });
    ++generation_;
}

// Reads are neither refused nor counted as the store working again: on SQLite they go on while
// a writer holds the file, and the last rows seen are worth showing.
std::vector<StoredScore> ScoreStore::Best(int limit) const {
    try {
        return backend_->Best(limit);
    } catch (const std::exception& e) {
        log_.Failed(e.what());
        throw;
    }
}

std::int64_t ScoreStore::Count() const {
    return backend_->Count();
}

bool ScoreStore::CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                              std::int64_t windowMs) {
    return Change([&] { return backend_->CountAttempt(client, nowMs, limit, windowMs); });
}

bool ScoreStore::StoreWithToken(const std::string& token, std::int64_t expiresMs,
                                const StoredScore& row) {
    if (!Change([&] { return backend_->StoreWithToken(token, expiresMs, row); })) return false;
    ++generation_;
    return true;
}

ScoreStore::Submitted ScoreStore::CountAndStore(const std::string& client, std::int64_t nowMs,
                                                int limit, std::int64_t windowMs,
                                                const std::string& token, std::int64_t expiresMs,
                                                const StoredScore& row) {
    Submitted outcome = Change([&] {
        return backend_->CountAndStore(client, nowMs, limit, windowMs, token, expiresMs, row);
    });
    if (outcome == Submitted::Stored) ++generation_;
    return outcome;
}

void ScoreStore::Purge(std::int64_t nowMs, std::int64_t windowMs) {
    Change([&] {
        backend_->Purge(nowMs, windowMs);
        return 0;
    });
}

std::string ScoreStore::TokenKey() {
    return FromHex(Change([&] { return backend_->TokenKey(ToHex(TokenSigner::NewKey())); }));
}

int ScoreStore::SchemaVersion() const {
    return backend_->SchemaVersion();
}

std::string ScoreStore::JournalMode() const {
    return backend_->JournalMode();
}

} // namespace scores
