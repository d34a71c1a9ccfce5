// main.cpp -- skyvern-scores: command line, start-up and clean shutdown on SIGTERM or SIGINT.
#include "ScoreServer.h"
#include "ScoreStore.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <pthread.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#ifndef SKYVERN_VERSION
#define SKYVERN_VERSION "0.0.0"
#endif
#ifndef SKYVERN_SCREENSHOTS_FROM_BIN
#define SKYVERN_SCREENSHOTS_FROM_BIN "../share/skyvern/screenshots"
#endif

namespace {

struct Options {
    std::string host = "127.0.0.1";
    int port = 8642;
    std::string db = "scores.db";
    std::string screenshots; // empty: the installed ones, when there are any
    bool createDb = false;
    bool createDbOnce = false;
    scores::ServerLimits limits;
};

void Usage(FILE* out) {
    std::fprintf(
        out,
        "usage: skyvern-scores [--listen ADDR:PORT] [--db FILE|URI] [--trusted-proxy ADDR]...\n"
        "                      [--screenshots DIR] [--threads N] [--workers N]\n"
        "                      [--idle-timeout S] [--header-timeout S]\n"
        "                      [--connections-per-address N] [--rate-limit N]\n"
        "                      [--create-db | --create-db-once]\n"
        "  --listen ADDR:PORT    address to serve on (default 127.0.0.1:8642;\n"
        "                        port 0 picks a free one, [::1]:PORT for IPv6)\n"
        "  --db FILE|URI         SQLite database file (default scores.db), or a\n"
        "                        PostgreSQL URI (postgresql://...) shared by instances\n"
        "  --trusted-proxy ADDR  a reverse proxy whose X-Forwarded-For names the client:\n"
        "                        an address or a range (10.0.0.0/8, fd00::/8)\n"
        "  --screenshots DIR     the game's screenshots, served as /screenshots/\n"
        "                        (default " SKYVERN_SCREENSHOTS_FROM_BIN " from the\n"
        "                        program's folder)\n"
        "  --threads N           event loops (default 4)\n"
        "  --workers N           threads that store submissions, each with a database\n"
        "                        connection (default 16)\n"
        "  --idle-timeout S      close a connection silent for S seconds (default 10)\n"
        "  --header-timeout S    close a connection whose request headers have not\n"
        "                        arrived whole within S seconds (default 10)\n"
        "  --connections-per-address N\n"
        "                        connections one client address (IPv6: /64) may hold,\n"
        "                        trusted proxies excepted (default 64)\n"
        "  --rate-limit N        submission attempts per address in 60 s (default 30;\n"
        "                        for load benchmarks only)\n"
        "  --create-db           make a new SQLite file when --db names none (without\n"
        "                        it, a missing database is an error)\n"
        "  --create-db-once      as --create-db the first time only: FILE.made beside the\n"
        "                        database remembers that one was made there\n");
}

bool ParseListen(const std::string& text, Options& options) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::string port = text.substr(colon + 1);
    if (port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5) return false;
    int value = std::atoi(port.c_str());
    if (value > 65535 || host.empty()) return false;
    options.host = host;
    options.port = value;
    return true;
}

// A whole decimal from 1 to `max`, or 0.
long ParseCount(const char* text, long max) {
    std::string digits = text;
    if (digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    long value = std::atol(digits.c_str());
    return value >= 1 && value <= max ? value : 0;
}

// Every idle or slow client holds a descriptor: take all the system allows.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--listen" && i + 1 < argc) {
            if (!ParseListen(argv[++i], options)) {
                std::fprintf(stderr, "skyvern-scores: bad --listen value '%s'\n", argv[i]);
                return 2;
            }
        } else if (arg == "--db" && i + 1 < argc) {
            options.db = argv[++i];
        } else if (arg == "--create-db") {
            options.createDb = true;
        } else if (arg == "--create-db-once") {
            options.createDbOnce = true;
        } else if (arg == "--screenshots" && i + 1 < argc) {
            options.screenshots = argv[++i];
        } else if (arg == "--trusted-proxy" && i + 1 < argc) {
            if (!scores::ParseRange(argv[++i])) {
                std::fprintf(stderr, "skyvern-scores: bad --trusted-proxy value '%s'\n", argv[i]);
                return 2;
            }
            options.limits.trustedProxies.push_back(argv[i]);
        } else if ((arg == "--threads" || arg == "--workers" || arg == "--rate-limit" ||
                    arg == "--idle-timeout" || arg == "--header-timeout" ||
                    arg == "--connections-per-address") &&
                   i + 1 < argc) {
            long value = ParseCount(
                argv[++i], arg == "--threads" || arg == "--workers"               ? 256
                           : arg == "--idle-timeout" || arg == "--header-timeout" ? 3600
                                                                                  : 1000000000L);
            if (value == 0) {
                std::fprintf(stderr, "skyvern-scores: bad %s value '%s'\n", arg.c_str(), argv[i]);
                return 2;
            }
            if (arg == "--threads")
                options.limits.threads = static_cast<std::size_t>(value);
            else if (arg == "--workers")
                options.limits.workers = static_cast<std::size_t>(value);
            else if (arg == "--idle-timeout")
                options.limits.idleTimeoutSeconds = static_cast<unsigned>(value);
            else if (arg == "--header-timeout")
                options.limits.headerTimeoutSeconds = static_cast<unsigned>(value);
            else if (arg == "--connections-per-address")
                options.limits.connectionsPerAddress = static_cast<std::size_t>(value);
            else
                options.limits.submissionsPerWindow = static_cast<int>(value);
        } else {
            Usage(stderr);
            return 2;
        }
    }

    // Block the stop signals before any thread starts, so only the waiter below receives them
    // and no request is cut off half way by a handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A client closing its connection early must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // A write over the file-size limit must fail (and the submission with it), not end the
    // process.
    std::signal(SIGXFSZ, SIG_IGN);

    RaiseDescriptorLimit();
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    // Room for the database, the listening socket and the screenshots besides the clients.
    if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < options.limits.maxConnections + 64)
        options.limits.maxConnections = files.rlim_cur > 128 ? files.rlim_cur - 64 : 64;

    try {
        // One connection per worker, one for the world page and one for the rest.
        scores::StoreOptions storeOptions;
        storeOptions.create = options.createDb;
        // A service's first start makes its database; once one was made at the path, a missing
        // file means a lost one, which must not be replaced by an empty table.
        const bool sqlite = options.db.rfind("postgres", 0) != 0;
        const std::string madeMarker = options.db + ".made";
        if (options.createDbOnce && sqlite && !std::filesystem::exists(madeMarker))
            storeOptions.create = true;
        scores::ScoreStore store(options.db, options.limits.workers + 2, storeOptions);
        if (options.createDbOnce && sqlite && !std::filesystem::exists(madeMarker)) {
            std::FILE* made = std::fopen(madeMarker.c_str(), "w");
            if (!made || std::fclose(made) != 0) {
                std::fprintf(stderr, "skyvern-scores: cannot write %s\n", madeMarker.c_str());
                return 1;
            }
        }
        scores::ScoreServer server(store, SKYVERN_VERSION, scores::SystemClockMs, options.limits);
        scores::HttpServer& http = server.Http();
        if (!options.screenshots.empty()) {
            if (!server.ServeScreenshots(options.screenshots)) {
                std::fprintf(stderr, "skyvern-scores: no folder %s\n", options.screenshots.c_str());
                return 2;
            }
        } else {
            // The installed screenshots, else the build tree's (share/ beside bin/).
            std::error_code ec;
            auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
            for (const char* shots :
                 {SKYVERN_SCREENSHOTS_FROM_BIN, "../share/skyvern/screenshots"}) {
                auto dir = (exe.parent_path() / shots).lexically_normal();
                if (!ec && server.ServeScreenshots(dir.string())) break;
            }
        }

        int port = options.port;
        if (port == 0)
            port = http.bind_to_any_port(options.host);
        else if (!http.bind_to_port(options.host, port))
            port = -1;
        if (port < 0) {
            std::fprintf(stderr, "skyvern-scores: cannot listen on %s:%d\n", options.host.c_str(),
                         options.port);
            return 1;
        }
        std::printf("skyvern-scores %s listening on %s:%d\n", SKYVERN_VERSION, options.host.c_str(),
                    port);
        std::fflush(stdout);

        std::thread waiter([&] {
            int sig = 0;
            sigwait(&stopSignals, &sig);
            http.stop();
        });
        bool ok = http.listen_after_bind();
        // Wake the waiter if the loop ended for another reason than a stop signal.
        pthread_kill(waiter.native_handle(), SIGTERM);
        waiter.join();
        // The store closes here, after every worker has finished its request.
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skyvern-scores: %s\n", e.what());
        return 1;
    }
}
