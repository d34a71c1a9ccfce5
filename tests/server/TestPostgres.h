// TestPostgres.h -- the PostgreSQL server of the score server's tests and a fresh database per
// test. Under CTest one server serves the whole run (started by the ScoresPostgres fixture,
// named in SKYVERN_TEST_PG_STATE); a test program run by hand starts its own.
#pragma once

#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class TestPostgres {
  public:
    static TestPostgres& Get() {
        static TestPostgres server;
        return server;
    }

    // Empty when a server is there; otherwise why not (a reason to skip).
    const std::string& Missing() const { return missing_; }

    // A connection URI to a new, empty database.
    std::string NewDatabase() {
        static std::atomic<int> counter{0};
        std::string name = "t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        Admin("CREATE DATABASE " + name);
        return Uri(name);
    }

    void DropDatabase(const std::string& uri) {
        std::size_t slash = uri.find(":///") + 4;
        std::string name = uri.substr(slash, uri.find('?') - slash);
        Admin("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    }

    std::string Uri(const std::string& database) const {
        return "postgresql:///" + database + "?host=" + dir_ + "&user=skyvern";
    }

    // A server of the test's own, for a test that stops it; stopped with the object.
    struct Own {};
    explicit TestPostgres(Own) {
        static std::atomic<int> counter{0};
        Start("-own-" + std::to_string(++counter));
    }

    // The server's processes: the postmaster and its children (none when it is not ours).
    std::vector<pid_t> Processes() const {
        std::vector<pid_t> pids;
        if (!owned_) return pids;
        std::ifstream pidFile(dir_ + "/data/postmaster.pid");
        pid_t postmaster = 0;
        if (!(pidFile >> postmaster) || postmaster <= 0) return pids;
        pids.push_back(postmaster);
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            if (!std::getline(stat, line)) continue;
            std::size_t close = line.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream rest(line.substr(close + 1));
            char state = 0;
            pid_t parent = 0;
            if (rest >> state >> parent && parent == postmaster)
                pids.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
        }
        return pids;
    }

    // Sends `sig` to every process of the server (SIGSTOP freezes it, SIGCONT thaws it).
    void Signal(int sig) const {
        for (pid_t pid : Processes())
            kill(pid, sig);
    }

    ~TestPostgres() {
        if (owned_) std::system((std::string(SKYVERN_TEST_POSTGRES) + " stop " + state_).c_str());
    }

  private:
    TestPostgres() {
        const char* shared = std::getenv("SKYVERN_TEST_PG_STATE");
        if (shared) {
            std::ifstream in(shared);
            std::getline(in, dir_);
            if (dir_.empty()) missing_ = "no PostgreSQL server for the tests (not installed?)";
            return;
        }
        Start("");
    }

    void Start(const std::string& suffix) {
        state_ = (std::filesystem::temp_directory_path() /
                  ("skyvern-pg-state-" + std::to_string(getpid()) + suffix))
                     .string();
        int status = std::system((std::string(SKYVERN_TEST_POSTGRES) + " start " + state_).c_str());
        int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (code == 77) {
            missing_ = "PostgreSQL server programs not installed (Debian package postgresql)";
        } else if (code != 0) {
            missing_ = "";
            failed_ = true;
        } else {
            std::ifstream in(state_);
            std::getline(in, dir_);
            owned_ = true;
        }
    }

    void Admin(const std::string& sql) {
        if (failed_ || dir_.empty()) {
            ADD_FAILURE() << "the test PostgreSQL server did not start";
            return;
        }
        PGconn* conn = PQconnectdb(Uri("postgres").c_str());
        if (PQstatus(conn) != CONNECTION_OK) {
            ADD_FAILURE() << PQerrorMessage(conn);
        } else {
            PGresult* result = PQexec(conn, sql.c_str());
            if (PQresultStatus(result) != PGRES_COMMAND_OK)
                ADD_FAILURE() << sql << ": " << PQresultErrorMessage(result);
            PQclear(result);
        }
        PQfinish(conn);
    }

    std::string dir_;
    std::string state_;
    std::string missing_;
    bool owned_ = false;
    bool failed_ = false;
};

// Skips the current test, saying why, when there is no PostgreSQL to test against.
#define SKIP_WITHOUT_POSTGRES()                                                                    \
    do {                                                                                           \
        if (!TestPostgres::Get().Missing().empty()) GTEST_SKIP() << TestPostgres::Get().Missing(); \
    } while (0)
