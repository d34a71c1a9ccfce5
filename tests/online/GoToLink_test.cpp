// GoToLink_test.cpp -- reading the address out of an internet-shortcut file.
#include <gtest/gtest.h>

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

} // namespace
