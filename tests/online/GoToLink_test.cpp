// GoToLink_test.cpp -- reading the address out of an internet-shortcut file.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "online/GoToLink.h"

namespace {

TEST(GoToLink, ReadsTheUrlLineOfAnInternetShortcut) {
    struct {
        const char* text;
        const char* url;
    } cases[] = {
        {"[InternetShortcut]\r\nURL=http://example.org/\r\n", "http://example.org/"},
        {"URL=http://a.example/x?y=1\n", "http://a.example/x?y=1"}, // no section header
        {"[InternetShortcut]\nurl = http://b.example/ \n", "http://b.example/"},
        {"[{000214A0-0000-0000-C000-000000000046}]\nProp3=19,2\n[InternetShortcut]\n"
         "IDList=\nURL=http://c.example/\n",
         "http://c.example/"},
        {"[Other]\nURL=http://d.example/\n", ""}, // not the shortcut's section
        {"[InternetShortcut]\nURL=\n", ""},
        {"[InternetShortcut]\nIconIndex=0\n", ""},
        {"", ""},
    };
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("skyvern-link-" + std::to_string(::getpid()) + ".url");
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary) << c.text;
        EXPECT_EQ(ReadShortcutUrl(file.string()), c.url) << c.text;
    }
    std::filesystem::remove(file);
    EXPECT_EQ(ReadShortcutUrl(file.string()), "") << "a missing file names nothing";
}

TEST(GoToLink, ReadsOnlyPlainFilesOfShortcutSize) {
    namespace fs = std::filesystem;
    const fs::path file =
        fs::temp_directory_path() / ("skyvern-biglink-" + std::to_string(::getpid()) + ".url");
    const std::string head = "[InternetShortcut]\nURL=http://e.example/\n";
    struct Case {
        const char* what;
        size_t size; // padded with a comment line to this size
        const char* url;
    } sizes[] = {
        {"at the bound", kMaxShortcutBytes, "http://e.example/"},
        {"one byte over", kMaxShortcutBytes + 1, ""},
        {"a megabyte line", 1 << 20, ""},
    };
    for (const Case& c : sizes) {
        SCOPED_TRACE(c.what);
        std::ofstream(file, std::ios::binary)
            << head << ';' << std::string(c.size - head.size() - 1, 'x');
        ASSERT_EQ(c.size, fs::file_size(file));
        EXPECT_EQ(ReadShortcutUrl(file.string()), c.url);
    }
    fs::remove(file);

    // A FIFO would block the exit until someone writes to it, /dev/zero would never end: in a
    // child, so that the old behaviour fails the test instead of hanging it.
    ASSERT_EQ(0, ::mkfifo(file.c_str(), 0600));
    for (const std::string& path : {file.string(), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(5);
#if !defined(__SANITIZE_ADDRESS__)
            // Address-space cap so an unbounded read dies quickly rather than eat the machine.
            const rlimit cap{rlim_t(2) << 30, rlim_t(2) << 30};
            ::setrlimit(RLIMIT_AS, &cap);
#endif
            ::_exit(ReadShortcutUrl(path).empty() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    fs::remove(file);
}

} // namespace
