// seed_scores.cpp -- fills a score database with made-up rows for the load benchmark.
#include "ScoreStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scores_seed DB ROWS\n");
        return 2;
    }
    const long count = std::atol(argv[2]);
    // A fixed linear congruential stream: the same database on every run.
    std::uint64_t state = 12345;
    auto next = [&state](std::uint32_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state >> 33) % bound;
    };
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 ";
    std::vector<scores::StoredScore> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
        scores::StoredScore row;
        for (std::uint32_t n = next(10) + 1; n > 0; --n)
            row.name += letters[next(sizeof letters - 1)];
        for (std::uint32_t n = next(11); n > 0; --n)
            row.country += letters[next(52)];
        row.score = static_cast<int>(next(65536));
        row.time = 1700000000 + i * 60;
        rows.push_back(std::move(row));
    }
    try {
        scores::ScoreStore store(argv[1]);
        store.AddMany(rows);
        std::printf("%lld rows in %s\n", static_cast<long long>(store.Count()), argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scores_seed: %s\n", e.what());
        return 1;
    }
    return 0;
}
