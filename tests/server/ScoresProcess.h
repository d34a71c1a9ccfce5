// ScoresProcess.h -- the skyvern-scores program as a child process of a test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// The program as a child with its standard output on a pipe, its standard error in `errors`
// (a file name), and `env` ("NAME=value") added to the environment.
class ScoresProcess {
  public:
    explicit ScoresProcess(std::vector<std::string> args, const std::string& errors = "/dev/null",
                           const std::vector<std::string>& env = {}) {
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
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::vector<std::string> environment(env);
        for (char** at = environ; *at; ++at)
            environment.emplace_back(*at);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
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

    // The port from the first line ("... listening on ADDR:PORT"), or 0.
    int Port() {
        std::string line = FirstLine();
        std::size_t colon = line.rfind(':');
        if (line.find("listening on") == std::string::npos || colon == std::string::npos) {
            ADD_FAILURE() << "skyvern-scores did not start: " << line;
            return 0;
        }
        return std::atoi(line.c_str() + colon + 1);
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// The resident memory of a process in KiB, from /proc; 0 when it cannot be read.
inline long ResidentKiB(pid_t pid) {
    FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!status) return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
    std::fclose(status);
    return kib;
}
