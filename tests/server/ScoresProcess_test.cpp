// ScoresProcess_test.cpp -- the skyvern-scores program: start-up, a stored score, SIGTERM.
#include "ScoreStore.h"

#include "ServerTestUtil.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The program as a child with its standard output on a pipe.
class ScoresProcess {
  public:
    explicit ScoresProcess(std::vector<std::string> args) {
        args.insert(args.begin(), SKYVERN_SCORES_BIN);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }

    ~ScoresProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }

    // The first line the program prints, or "" after the time-out.
    std::string FirstLine() {
        std::string line;
        char c;
        while (line.find('\n') == std::string::npos) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0 || read(out_, &c, 1) != 1) break;
            line += c;
        }
        return line;
    }

    // Exit status, or -1 if it has not ended within five seconds.
    int Wait() {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

} // namespace

TEST(ScoresProcessTest, KeepsACommittedScoreAcrossSigterm) {
    TempDir dir;
    const std::string db = dir.File("world.db");
    ScoresProcess process({"--listen", "127.0.0.1:0", "--db", db});
    ASSERT_GT(process.Pid(), 0);
    std::string line = process.FirstLine();
    const std::string prefix =
        std::string("skyvern-scores ") + SKYVERN_VERSION + " listening on 127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    int port = std::stoi(line.substr(prefix.size()));

    httplib::Client client("127.0.0.1", port);
    auto version = client.Get("/cgi/version.pl?version&prg=Skyvern");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->body.rfind(std::string("OK|skyvern-scores|") + SKYVERN_VERSION + "|", 0),
              0u);
    std::string inf = GameSubmission("Kept", 4321, ExtractVersionToken(version->body), "Here");
    auto submitted = client.Get(("/cgi/version.pl?hs&prg=Skyvern&inf=" + inf).c_str());
    ASSERT_TRUE(submitted);
    EXPECT_EQ(submitted->body, "OK");

    ASSERT_EQ(kill(process.Pid(), SIGTERM), 0);
    EXPECT_EQ(process.Wait(), 0);
    // A clean close folds the log back into the database file.
    EXPECT_FALSE(std::filesystem::exists(db + "-wal"));

    scores::ScoreStore store(db);
    EXPECT_EQ(store.JournalMode(), "wal");
    auto rows = store.Best(10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Kept");
    EXPECT_EQ(rows[0].score, 4321);
    EXPECT_EQ(rows[0].country, "Here");
}

TEST(ScoresProcessTest, RefusesBadOptions) {
    const std::vector<std::vector<std::string>> cases = {
        {"--listen", "127.0.0.1"}, {"--listen", "127.0.0.1:99999"}, {"--listen", ":8642"}, {"--db"},
        {"--port", "1"},
    };
    for (const auto& args : cases) {
        ScoresProcess process(args);
        ASSERT_GT(process.Pid(), 0);
        EXPECT_EQ(process.Wait(), 2) << args[0];
    }
}
