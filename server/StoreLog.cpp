// StoreLog.cpp -- runs of store failures, reported at their start and end, at most one start
// report per quiet period.
#include "StoreLog.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace scores {

StoreLog::Sink StoreLog::StandardError() {
    const bool journal = std::getenv("JOURNAL_STREAM") != nullptr;
    return [journal](Priority priority, const std::string& line) {
        std::string text = journal ? "<" + std::to_string(static_cast<int>(priority)) + ">"
                                   : std::string("skyvern-scores: ");
        text += line;
        text += '\n';
        // One write, so lines of several threads never mix.
        [[maybe_unused]] ssize_t written = write(STDERR_FILENO, text.data(), text.size());
    };
}

std::int64_t StoreLog::MonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

StoreLog::StoreLog(Sink sink, Clock clock, std::int64_t quietMs)
    : sink_(std::move(sink)), clock_(std::move(clock)), quietMs_(quietMs) {}

void StoreLog::ReportStartLocked(std::int64_t now) {
    std::string line = "score store failing: " + cause_;
    if (now > since_) line += " (since " + std::to_string((now - since_ + 500) / 1000) + " s)";
    if (unreportedRuns_ > 0)
        line += "; " + std::to_string(unreportedRuns_) +
                " shorter runs of failures since the last report";
    sink_(kError, line);
    reported_ = true;
    anyReport_ = true;
    lastReportMs_ = now;
    unreportedRuns_ = 0;
}

void StoreLog::Failed(const std::string& cause) {
    std::lock_guard lock(mutex_);
    if (lost_) return;
    const std::int64_t now = clock_();
    if (!failing_.load()) {
        failing_ = true;
        since_ = now;
        failures_ = 0;
        cause_ = cause;
        reported_ = false;
    }
    ++failures_;
    // A run that began within the quiet period after the last report is reported once that
    // period is over, if it still lasts.
    if (!reported_ && (!anyReport_ || now - lastReportMs_ >= quietMs_)) ReportStartLocked(now);
}

void StoreLog::Worked() {
    if (!failing_.load()) return;
    std::lock_guard lock(mutex_);
    if (!failing_.load() || lost_) return;
    failing_ = false;
    if (!reported_) {
        ++unreportedRuns_;
        return;
    }
    const std::int64_t now = clock_();
    sink_(kNotice, "score store working again after " +
                       std::to_string((now - since_ + 500) / 1000) + " s and " +
                       std::to_string(failures_) + " failed calls");
}

void StoreLog::Lost(const std::string& cause) {
    std::lock_guard lock(mutex_);
    if (lost_) return;
    lost_ = true;
    failing_ = true;
    sink_(kCritical, cause);
}

} // namespace scores
