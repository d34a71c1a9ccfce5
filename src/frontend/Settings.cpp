// Settings.cpp -- config.dat: the scramble, load with defaults, crash-safe save, and the rules
// by which a score enters the local high-score table.
#include "frontend/Settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Platform.h"
#include "state/GameState.h"

namespace {

// Names config.dat even when the temporary file failed: that is the file the player knows.
[[noreturn]] void Fail(const char* what, int error) {
    throw EInOutError(std::string(what) + " " + kSettingsFileName + ": " + std::strerror(error),
                      error);
}

void InvertChars(ShortString10& s) {
    for (char& c : s.Chars)
        c = char(~uint8_t(c));
}

// Length bytes come from the file unchecked; none may reach past its 10 characters.
void ClampLengths() {
    if (Settings.Country.Length > 10) Settings.Country.Length = 10;
    for (HighScoreEntry& e : Settings.HighScores)
        if (e.Name.Length > 10) e.Name.Length = 10;
}

// The one temporary name a save writes before renaming it over config.dat; a save killed
// part-way leaves it behind and the next save replaces it.
std::string TempFileName() {
    return std::string(kSettingsFileName) + ".tmp";
}

bool ReadRecord(uint8_t (&buffer)[sizeof(TSettings)]) {
    // Non-blocking open: a FIFO in config.dat's place must not hold up the start. Anything but
    // a plain file (a FIFO, a device, a directory) counts as unreadable.
    const int fd = ::open(kSettingsFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    size_t got = 0;
    while (got < sizeof buffer) {
        const ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    return got == sizeof buffer;
}

// Earlier versions saved through "config.dat." plus six random letters and digits, a new name
// each time; every killed save left one behind. Plain files of exactly that form go, with our
// own temporary name.
void RemoveLeftOverTempFiles() {
    ::unlink(TempFileName().c_str());
    DIR* dir = ::opendir(".");
    if (!dir) return;
    const std::string prefix = std::string(kSettingsFileName) + ".";
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool random = true;
        for (size_t i = prefix.size(); i < name.size(); ++i) {
            const char c = name[i];
            random = random &&
                     ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
        }
        struct stat st {};
        if (random && ::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(name.c_str());
    }
    ::closedir(dir);
}

} // namespace

void ScrambleSettings() {
    Settings.Windowed ^= 1;
    Settings.MusicOn ^= 1;
    Settings.SoundOn ^= 1;
    InvertChars(Settings.Country);
    for (HighScoreEntry& e : Settings.HighScores) {
        InvertChars(e.Name);
        e.Score = uint16_t(~e.Score);
    }
}

void LoadSettings() {
    RemoveLeftOverTempFiles();
    // Read into a buffer first so a short file leaves nothing half-copied in the record.
    uint8_t buffer[sizeof(TSettings)];
    if (ReadRecord(buffer)) {
        std::memcpy(&Settings, buffer, sizeof buffer);
        ScrambleSettings();
        ClampLengths();
        return;
    }
    ResetHighScores();
    Settings.Windowed = Settings.MusicOn = Settings.SoundOn = 1;
    Settings.BossKey = 123;
    Settings.Country.Length = 0;
    // The player sees nothing either way; an unwritable directory only means the defaults
    // are offered again at the next start.
    SaveSettingsBracket();
}

void SaveSettings() {
    // Write a sibling file and rename it over config.dat: a crash or a full disk mid-write
    // leaves the previous table in place instead of a torn one.
    // Always the same temporary name, so a save killed part-way leaves at most one file, which
    // the next save replaces. Unlink and exclusive create: whatever lies there (a torn copy, a
    // FIFO, a link) is never written through.
    const std::string temp = TempFileName();
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) Fail("Cannot create", errno);

    auto abandon = [&](const char* what, int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(what, error);
    };
    const auto* bytes = reinterpret_cast<const uint8_t*>(&Settings);
    size_t done = 0;
    while (done < sizeof(TSettings)) {
        const ssize_t n = ::write(fd, bytes + done, sizeof(TSettings) - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) abandon("Cannot write", n < 0 ? errno : ENOSPC);
        done += size_t(n);
    }
    if (::fsync(fd) != 0) abandon("Cannot write", errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail("Cannot close", error);
    }
    if (::rename(temp.c_str(), kSettingsFileName) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail("Cannot replace", error);
    }
}

bool SaveSettingsBracket(std::string* message) {
    ScrambleSettings();
    try {
        SaveSettings();
    } catch (const std::exception& e) {
        ScrambleSettings();
        if (message) *message = std::string(kSaveSettingsFailed) + " " + e.what();
        return false;
    }
    ScrambleSettings();
    return true;
}

void ResetHighScores() {
    static const char anonymous[] = "Anonymous";
    for (int i = 1; i <= 10; ++i) {
        HighScoreEntry& e = Settings.HighScores[i - 1];
        // Only the nine letters: the tenth character byte keeps whatever it held.
        e.Name.Length = 9;
        std::memcpy(e.Name.Chars, anonymous, 9);
        e.Score = uint16_t(1100 - 100 * i);
    }
}

void InsertHighScore() {
    HighScoreEntry list[11];
    std::memcpy(list, Settings.HighScores, sizeof Settings.HighScores);
    list[10] = NewEntry;
    // Bubble up past strictly lower scores only: an equal score stays below the older one.
    for (int k = 10; k > 0 && list[k].Score > list[k - 1].Score; --k) {
        const HighScoreEntry t = list[k];
        list[k] = list[k - 1];
        list[k - 1] = t;
    }
    std::memcpy(Settings.HighScores, list, sizeof Settings.HighScores);
}

uint8_t FindScoreRank() {
    for (int i = 1; i <= 10; ++i)
        if (Settings.HighScores[i - 1].Score < Score) return uint8_t(i);
    return 11;
}

void SaveSettingsAndTell() {
    std::string message;
    if (!SaveSettingsBracket(&message)) platform::Current().ShowMessage("Skyvern", message);
}
