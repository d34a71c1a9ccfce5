// main.cpp -- skyvern-scores: command line, start-up and clean shutdown on SIGTERM or SIGINT.
#include "ScoreServer.h"
#include "ScoreStore.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <pthread.h>
#include <string>
#include <thread>

#ifndef SKYVERN_VERSION
#define SKYVERN_VERSION "0.0.0"
#endif

namespace {

struct Options {
    std::string host = "127.0.0.1";
    int port = 8642;
    std::string db = "scores.db";
    std::string screenshots; // empty: the installed ones, when there are any
};

void Usage(FILE* out) {
    std::fprintf(out, "usage: skyvern-scores [--listen ADDR:PORT] [--db FILE] [--screenshots DIR]\n"
                      "  --listen ADDR:PORT  address to serve on (default 127.0.0.1:8642;\n"
                      "                      port 0 picks a free one, [::1]:PORT for IPv6)\n"
                      "  --db FILE           SQLite database (default scores.db)\n"
                      "  --screenshots DIR   the game's screenshots, served as /screenshots/\n"
                      "                      (default ../share/skyvern/screenshots from the\n"
                      "                      program's folder)\n");
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
        } else if (arg == "--screenshots" && i + 1 < argc) {
            options.screenshots = argv[++i];
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

    try {
        scores::ScoreStore store(options.db);
        scores::ScoreServer server(store, SKYVERN_VERSION);
        httplib::Server& http = server.Http();
        if (!options.screenshots.empty()) {
            if (!server.ServeScreenshots(options.screenshots)) {
                std::fprintf(stderr, "skyvern-scores: no folder %s\n", options.screenshots.c_str());
                return 2;
            }
        } else {
            // Installed (and in the build tree) the screenshots sit in share/ beside bin/.
            std::error_code ec;
            auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
            if (!ec)
                server.ServeScreenshots(
                    (exe.parent_path().parent_path() / "share/skyvern/screenshots").string());
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

        std::atomic<bool> listening{true};
        std::thread waiter([&] {
            int sig = 0;
            sigwait(&stopSignals, &sig);
            // stop() only takes effect once the accept loop runs; retry until it has ended.
            while (listening.load()) {
                http.stop();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        bool ok = http.listen_after_bind();
        listening = false;
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
