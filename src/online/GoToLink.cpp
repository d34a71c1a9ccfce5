// GoToLink.cpp -- the home page, the world high-score page and the exit link.
#include "online/GoToLink.h"

#include <cerrno>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "online/ScoreServer.h"
#include "platform/Platform.h"

namespace {

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool SameText(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

// The whole file, or false when it is no plain file or larger than maxBytes. Non-blocking
// open, so a FIFO under that name does not hold up the exit.
bool ReadSmallFile(const std::string& path, size_t maxBytes, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    text.clear();
    char buffer[4096];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(buffer, size_t(n));
        ok = text.size() <= maxBytes;
    }
    ::close(fd);
    return ok;
}

} // namespace

void OpenHomePage() {
    platform::Current().OpenUrl(ScoreServerBase());
}

void OpenWorldScorePage() {
    platform::Current().OpenUrl(ScoreServerBase() + "cgi/version.pl?prg=Skyvern&show&type=0");
}

std::string ReadShortcutUrl(const std::string& path) {
    std::string text;
    if (!ReadSmallFile(path, kMaxShortcutBytes, text)) return "";
    std::istringstream in(text);
    std::string line;
    // Keys before any section count too: some writers leave the header out.
    bool inShortcut = true;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            inShortcut =
                line.back() == ']' && SameText(line.substr(1, line.size() - 2), "InternetShortcut");
            continue;
        }
        size_t eq = line.find('=');
        if (inShortcut && eq != std::string::npos && SameText(Trim(line.substr(0, eq)), "URL"))
            return Trim(line.substr(eq + 1));
    }
    return "";
}

void OpenExitLink() {
    std::string url = ReadShortcutUrl("play.url");
    if (!url.empty()) platform::Current().OpenUrl(url);
}
