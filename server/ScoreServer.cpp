// ScoreServer.cpp -- routes of skyvern-scores: home page, version query, submission, world table,
// screenshots.
#include "ScoreServer.h"

#include "ScorePages.h"
#include "ScoreRecord.h"

#include <chrono>
#include <map>
#include <set>

namespace scores {

namespace {

constexpr const char* kProgramName = "skyvern-scores";
constexpr const char* kGameName = "Skyvern";
constexpr const char* kFreeText = "Skyvern world high scores";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";

void NotFound(httplib::Response& res) {
    res.status = 404;
    res.set_content("Not Found\n", kText);
}

} // namespace

std::int64_t SystemClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ScoreServer::ScoreServer(ScoreStore& store, std::string version, Clock clock, ServerLimits limits)
    : store_(store), version_(std::move(version)), clock_(std::move(clock)), limits_(limits),
      tokens_(limits.tokenCapacity, limits.tokenLifetimeMs),
      limiter_(limits.submissionsPerWindow, limits.rateWindowMs, limits.maxRateClients) {
    const std::size_t threads = limits_.threads;
    http_.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Requests are GETs: no body worth reading, and slow or idle clients are let go soon.
    http_.set_payload_max_length(limits_.maxUrlLength);
    http_.set_read_timeout(5);
    http_.set_write_timeout(5);
    http_.set_keep_alive_timeout(5);
    http_.set_keep_alive_max_count(100);
    // Headers and body go out in separate writes; without this each answer waits for a
    // delayed acknowledgement (40 ms on Linux).
    http_.set_tcp_nodelay(true);

    http_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (req.target.size() <= limits_.maxUrlLength)
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 414;
        res.set_content("URI Too Long\n", kText);
        return httplib::Server::HandlerResponse::Handled;
    });
    http_.Get("/", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(HomePage(version_), kHtml);
    });
    http_.Get("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
        HandleScript(req, res);
    });
    http_.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) res.set_content(std::to_string(res.status) + "\n", kText);
    });
}

bool ScoreServer::ServeScreenshots(const std::string& dir) {
    return http_.set_mount_point("/screenshots", dir);
}

void ScoreServer::HandleScript(const httplib::Request& req, httplib::Response& res) {
    // The three requests are told apart by their exact set of parameters; a parameter given
    // twice or any extra one is not a request of ours.
    std::map<std::string, std::string> params;
    for (const auto& [key, value] : req.params)
        if (!params.emplace(key, value).second) return NotFound(res);
    auto prg = params.find("prg");
    if (prg == params.end() || prg->second != kGameName) return NotFound(res);
    std::set<std::string> keys;
    for (const auto& entry : params)
        keys.insert(entry.first);

    using Keys = std::set<std::string>;
    if (keys == Keys{"version", "prg"} && params["version"].empty()) {
        res.set_content(VersionReply(), kText);
    } else if (keys == Keys{"hs", "prg", "inf"} && params["hs"].empty()) {
        res.set_content(Submit(req.remote_addr, params["inf"]), kText);
    } else if (keys == Keys{"prg", "show", "type"} && params["show"].empty() &&
               params["type"] == "0") {
        res.set_content(WorldPageHtml(), kHtml);
    } else {
        NotFound(res);
    }
}

std::string ScoreServer::VersionReply() {
    return std::string("OK|") + kProgramName + "|" + version_ + "|" + kFreeText + "|" +
           tokens_.Issue(clock_()) + "|";
}

std::string ScoreServer::Submit(const std::string& client, const std::string& encoded) {
    const std::int64_t now = clock_();
    // Every attempt counts, valid or not, so the limit also slows down guessing of tokens.
    if (!limiter_.Allow(client, now)) return "ERROR too many submissions";
    ParseResult parsed = DecodeScoreRecord(encoded);
    if (!parsed.record) return "ERROR " + parsed.error;
    const ScoreRecord& record = *parsed.record;
    switch (tokens_.Consume(record.token, now)) {
    case TokenBook::Use::Ok:
        break;
    case TokenBook::Use::Unknown:
        return "ERROR unknown token";
    case TokenBook::Use::Expired:
        return "ERROR expired token";
    }
    try {
        store_.Add(StoredScore{record.name, record.score, record.country, now / 1000});
    } catch (const std::exception&) {
        return "ERROR cannot store score";
    }
    return "OK";
}

std::string ScoreServer::WorldPageHtml() {
    std::lock_guard lock(pageMutex_);
    std::uint64_t generation = store_.Generation();
    if (!worldPage_ || worldPageGeneration_ != generation) {
        worldPage_ = std::make_shared<const std::string>(WorldPage(store_.Best(limits_.worldRows)));
        worldPageGeneration_ = generation;
    }
    return *worldPage_;
}

} // namespace scores
