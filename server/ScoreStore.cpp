// ScoreStore.cpp -- picks the engine from the database name and keeps the change counter.
#include "ScoreStore.h"

#include "PostgresBackend.h"
#include "TokenSigner.h"
#include "SqliteBackend.h"

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

ScoreStore::ScoreStore(const std::string& db, std::size_t connections) {
    if (IsPostgresUri(db)) {
        backend_ = std::make_unique<PostgresBackend>(db, connections);
        shared_ = true;
    } else {
        backend_ = std::make_unique<SqliteBackend>(db);
    }
}

ScoreStore::~ScoreStore() = default;

void ScoreStore::Add(const StoredScore& row) {
    backend_->Add(row);
    ++generation_;
}

void ScoreStore::AddMany(const std::vector<StoredScore>& rows) {
    backend_->AddMany(rows);
    ++generation_;
}

std::vector<StoredScore> ScoreStore::Best(int limit) const { return backend_->Best(limit); }

std::int64_t ScoreStore::Count() const { return backend_->Count(); }

bool ScoreStore::CountAttempt(const std::string& client, std::int64_t nowMs, int limit,
                              std::int64_t windowMs) {
    return backend_->CountAttempt(client, nowMs, limit, windowMs);
}

bool ScoreStore::StoreWithToken(const std::string& token, std::int64_t expiresMs,
                                const StoredScore& row) {
    if (!backend_->StoreWithToken(token, expiresMs, row)) return false;
    ++generation_;
    return true;
}

ScoreStore::Submitted ScoreStore::CountAndStore(const std::string& client, std::int64_t nowMs,
                                                int limit, std::int64_t windowMs,
                                                const std::string& token, std::int64_t expiresMs,
                                                const StoredScore& row) {
    Submitted outcome =
        backend_->CountAndStore(client, nowMs, limit, windowMs, token, expiresMs, row);
    if (outcome == Submitted::Stored) ++generation_;
    return outcome;
}

void ScoreStore::Purge(std::int64_t nowMs, std::int64_t windowMs) {
    backend_->Purge(nowMs, windowMs);
}

std::string ScoreStore::TokenKey() {
    return FromHex(backend_->TokenKey(ToHex(TokenSigner::NewKey())));
}

int ScoreStore::SchemaVersion() const { return backend_->SchemaVersion(); }

std::string ScoreStore::JournalMode() const { return backend_->JournalMode(); }

} // namespace scores
