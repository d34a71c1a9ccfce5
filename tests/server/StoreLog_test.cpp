// StoreLog_test.cpp -- runs of store failures reach the log once each, start and end, and
// runs that follow each other too closely are summed up.
#include "StoreLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
    std::int64_t atMs;
    char what; // F failed, W worked, L lost
    std::string cause;
    std::vector<std::string> logged; // "<priority>text" of the lines this event adds
};

TEST(StoreLogTest, OneLineAtTheStartAndEndOfEachRunAtMostOneStartPerQuietPeriod) {
    const std::vector<Event> events = {
        {0, 'F', "disk full", {"<3>score store failing: disk full"}},
        {100, 'F', "disk full", {}},
        {900, 'F', "disk full", {}},
        {2000, 'W', "", {"<5>score store working again after 2 s and 3 failed calls"}},
        {2100, 'W', "", {}},
        // Within ten seconds of the last report: not reported, and its end neither.
        {3000, 'F', "database is locked", {}},
        {3500, 'W', "", {}},
        {5000, 'F', "PostgreSQL did not answer in time", {}},
        {9999, 'F', "PostgreSQL did not answer in time", {}},
        // Still failing once the quiet period is over: reported with how long it has lasted.
        {10000,
         'F',
         "PostgreSQL did not answer in time",
         {"<3>score store failing: PostgreSQL did not answer in time (since 5 s); 1 shorter runs "
          "of failures since the last report"}},
        {12000, 'W', "", {"<5>score store working again after 7 s and 3 failed calls"}},
        {30000, 'F', "disk I/O error", {"<3>score store failing: disk I/O error"}},
        {30100, 'L', "the database file x.db is gone", {"<2>the database file x.db is gone"}},
        // Lost for good: nothing ends it, nothing more is said.
        {30200, 'W', "", {}},
        {50000, 'F', "disk I/O error", {}},
        {60000, 'L', "again", {}},
    };
    std::int64_t now = 0;
    std::vector<std::string> lines;
    scores::StoreLog log(
        [&](scores::StoreLog::Priority priority, const std::string& line) {
            lines.push_back("<" + std::to_string(static_cast<int>(priority)) + ">" + line);
        },
        [&] { return now; }, 10000);
    for (const Event& event : events) {
        now = event.atMs;
        const std::size_t before = lines.size();
        if (event.what == 'F') log.Failed(event.cause);
        if (event.what == 'W') log.Worked();
        if (event.what == 'L') log.Lost(event.cause);
        std::vector<std::string> added(lines.begin() + static_cast<long>(before), lines.end());
        EXPECT_EQ(added, event.logged) << "at " << event.atMs << " ms";
        EXPECT_EQ(log.Failing(), event.what != 'W' || event.atMs >= 30100) << event.atMs;
    }
}

} // namespace
