// StoreLog.h -- failures of the score store in the server's log: one line when a run of
// failures starts (with its cause), one when the store works again; runs that start too soon
// after the last report are summed up in the next one instead of flooding the log.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace scores {

class StoreLog {
  public:
    // syslog priorities, as the journal reads them from a "<N>" prefix.
    enum Priority { kCritical = 2, kError = 3, kNotice = 5 };
    using Sink = std::function<void(Priority, const std::string& line)>;
    using Clock = std::function<std::int64_t()>; // milliseconds, monotonic

    // Standard error, one write per line: "<N>" first when the journal reads it (systemd sets
    // JOURNAL_STREAM), "skyvern-scores: " first otherwise.
    static Sink StandardError();
    static std::int64_t MonotonicMs();

    explicit StoreLog(Sink sink = StandardError(), Clock clock = MonotonicMs,
                      std::int64_t quietMs = 10 * 1000);

    // A store call failed with `cause`.
    void Failed(const std::string& cause);
    // A store call worked: ends the run of failures, if any.
    void Worked();
    // The store is lost for good (its file went away); logged once, never ends.
    void Lost(const std::string& cause);
    bool Failing() const { return failing_.load(); }

  private:
    void ReportStartLocked(std::int64_t now);

    const Sink sink_;
    const Clock clock_;
    const std::int64_t quietMs_;
    std::mutex mutex_;
    std::atomic<bool> failing_{false};
    bool lost_ = false;
    // The current run of failures.
    std::int64_t since_ = 0;
    std::int64_t failures_ = 0;
    std::string cause_;
    bool reported_ = false;
    // Reports so far.
    bool anyReport_ = false;
    std::int64_t lastReportMs_ = 0;
    std::int64_t unreportedRuns_ = 0;
};

} // namespace scores
