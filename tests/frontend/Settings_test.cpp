// Settings_test.cpp -- config.dat in a scratch working directory: defaults, scramble, damaged
// and long files, failed saves, and how scores enter the high-score table.
#include "frontend/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "state/GameState.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const char* name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes RecordBytes() {
    const auto* p = reinterpret_cast<const uint8_t*>(&Settings);
    return Bytes(p, p + sizeof Settings);
}

void SetRecord(const Bytes& bytes) {
    std::memcpy(&Settings, bytes.data(), sizeof Settings);
}

// The file image of the record as it is in memory now.
Bytes FileImage() {
    ScrambleSettings();
    Bytes image = RecordBytes();
    ScrambleSettings();
    return image;
}

// Settings a player might have chosen, unlike the defaults in every field.
void CustomiseSettings() {
    Settings.Windowed = 0;
    Settings.MusicOn = 0;
    Settings.SoundOn = 1;
    Settings.BossKey = 19;
    Settings.Country.Assign("Lithuania1"); // all 10 characters
    for (int i = 0; i < 10; ++i) {
        Settings.HighScores[i].Name.Assign(std::string(size_t(i + 1), char('a' + i)));
        Settings.HighScores[i].Score = uint16_t(5000 - 7 * i);
    }
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "skyvern-settings-XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
        dir_ = pattern;
        fs::current_path(dir_);
        ResetGameState();
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
        ResetGameState();
    }
    std::set<std::string> DirEntries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.insert(e.path().filename());
        return names;
    }

    fs::path old_, dir_;
};

TEST_F(SettingsTest, MissingOrShortFileIsReplacedByDefaults) {
    // No file, an empty one, one byte short: all start with the same fresh default file.
    const std::vector<int> sizes = {-1, 0, 157};
    for (int size : sizes) {
        SCOPED_TRACE(size);
        ResetGameState();
        fs::remove(kSettingsFileName);
        if (size >= 0) WriteFile(kSettingsFileName, Bytes(size_t(size), 0x5A));
        Settings.Windowed = 0; // whatever memory held before must not survive
        Settings.Country.Assign("Junk");

        LoadSettings();

        const Bytes file = ReadFile(kSettingsFileName);
        ASSERT_EQ(158u, file.size());
        EXPECT_EQ((Bytes{0, 0, 0}), Bytes(file.begin(), file.begin() + 3));
        EXPECT_EQ(0x7B, file[4]);
        EXPECT_EQ(0x00, file[5]);
        EXPECT_EQ(0, file[6]);          // empty country
        EXPECT_EQ(0x17, file[18 + 12]); // 1000 = 03E8 inverted
        EXPECT_EQ(0xFC, file[18 + 13]);
        EXPECT_EQ(std::set<std::string>{"config.dat"}, DirEntries());

        EXPECT_EQ(1, Settings.Windowed);
        EXPECT_EQ(1, Settings.MusicOn);
        EXPECT_EQ(1, Settings.SoundOn);
        EXPECT_EQ(123, Settings.BossKey);
        EXPECT_EQ("", Settings.Country.Str());
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ("Anonymous", Settings.HighScores[i].Name.Str());
            EXPECT_EQ(1000 - 100 * i, Settings.HighScores[i].Score);
        }
        EXPECT_EQ(FileImage(), file);
    }
}

TEST_F(SettingsTest, ScrambleTouchesExactlyTheDesignedBytesAndIsItsOwnInverse) {
    Bytes pattern(158);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = uint8_t(i * 37 + 11);
    SetRecord(pattern);
    Settings.Country.Length = 3; // characters beyond the length are scrambled all the same
    pattern[6] = 3;

    ScrambleSettings();
    const Bytes scrambled = RecordBytes();
    for (size_t i = 0; i < 158; ++i) {
        uint8_t mask = 0;
        if (i <= 2)
            mask = 0x01;
        else if (i >= 7 && i <= 16)
            mask = 0xFF;
        else if (i >= 18) {
            const size_t off = (i - 18) % 14;
            if ((off >= 1 && off <= 10) || off == 12 || off == 13) mask = 0xFF;
        }
        EXPECT_EQ(uint8_t(pattern[i] ^ mask), scrambled[i]) << "byte " << i;
    }
    ScrambleSettings();
    EXPECT_EQ(pattern, RecordBytes());
}

TEST_F(SettingsTest, SettingsSurviveSaveAndRestart) {
    CustomiseSettings();
    const Bytes plain = RecordBytes();
    ASSERT_TRUE(SaveSettingsBracket());
    EXPECT_EQ(plain, RecordBytes()); // memory is plain again
    EXPECT_EQ(158u, ReadFile(kSettingsFileName).size());

    ResetGameState(); // a new start
    LoadSettings();
    EXPECT_EQ(plain, RecordBytes());
    EXPECT_EQ("Lithuania1", Settings.Country.Str());
}

TEST_F(SettingsTest, LongerFileIsReadAndTruncatedAtNextSave) {
    CustomiseSettings();
    const Bytes plain = RecordBytes();
    Bytes file = FileImage();
    file.insert(file.end(), 40, 0xEE);
    WriteFile(kSettingsFileName, file);

    ResetGameState();
    LoadSettings();
    EXPECT_EQ(plain, RecordBytes());
    EXPECT_EQ(198u, ReadFile(kSettingsFileName).size()); // loading alone does not rewrite

    ASSERT_TRUE(SaveSettingsBracket());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 158), ReadFile(kSettingsFileName));
}

TEST_F(SettingsTest, LengthBytesFromTheFileAreClampedToTen) {
    CustomiseSettings();
    Bytes file = FileImage();
    file[6] = 200;           // Country
    file[18 + 4 * 14] = 255; // entry 5's name
    file[18 + 9 * 14] = 11;  // entry 10's name
    WriteFile(kSettingsFileName, file);

    LoadSettings();
    EXPECT_EQ(10, Settings.Country.Length);
    EXPECT_EQ("Lithuania1", Settings.Country.Str());
    EXPECT_EQ(10, Settings.HighScores[4].Name.Length);
    EXPECT_EQ(10, Settings.HighScores[9].Name.Length);
    EXPECT_EQ(4, Settings.HighScores[3].Name.Length); // a valid length is kept
}

TEST_F(SettingsTest, ClearingTheTableRestoresTheDefaultsOnly) {
    CustomiseSettings();
    ResetHighScores();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ("Anonymous", Settings.HighScores[i].Name.Str());
        EXPECT_EQ(1000 - 100 * i, Settings.HighScores[i].Score);
    }
    // The tenth character byte is left as it was ('j' from entry 10's old name).
    EXPECT_EQ('j', Settings.HighScores[9].Name.Chars[9]);
    EXPECT_EQ(0, Settings.Windowed); // the other settings are not touched
    EXPECT_EQ("Lithuania1", Settings.Country.Str());
}

TEST_F(SettingsTest, ScoresEnterTheDefaultTable) {
    struct Case {
        uint16_t score;
        uint8_t rank; // FindScoreRank, 11 = none
        int place;    // where InsertHighScore puts it, 0 = dropped
    } cases[] = {
        {101, 10, 10}, {100, 11, 0}, {0, 11, 0},   {800, 4, 4},
        {801, 3, 3},   {1000, 2, 2}, {1001, 1, 1}, {65535, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        ResetHighScores();
        Score = c.score;
        EXPECT_EQ(c.rank, FindScoreRank());

        NewEntry.Name.Assign("Hero");
        NewEntry.Score = c.score;
        InsertHighScore();
        // Expected table: the defaults with the new entry slid in at its place.
        int old = 0; // index into the default scores 1000..100
        for (int i = 0; i < 10; ++i) {
            SCOPED_TRACE(i + 1);
            if (i + 1 == c.place) {
                EXPECT_EQ("Hero", Settings.HighScores[i].Name.Str());
                EXPECT_EQ(c.score, Settings.HighScores[i].Score);
            } else {
                EXPECT_EQ("Anonymous", Settings.HighScores[i].Name.Str());
                EXPECT_EQ(1000 - 100 * old++, Settings.HighScores[i].Score);
            }
        }
    }
}

// Runs SaveSettingsBracket where the working directory is not writable. Root ignores directory
// permissions, so as root the save runs in a child that gives up its privileges first.
struct BracketResult {
    bool ok = true;
    std::string message;
    Bytes memory;
};

BracketResult SaveUnprivileged() {
    BracketResult r;
    if (::geteuid() != 0) {
        r.ok = SaveSettingsBracket(&r.message);
        r.memory = RecordBytes();
        return r;
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return r;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        std::string message;
        const uint8_t ok = SaveSettingsBracket(&message);
        Bytes out{ok};
        const Bytes memory = RecordBytes();
        out.insert(out.end(), memory.begin(), memory.end());
        out.insert(out.end(), message.begin(), message.end());
        const bool sent = ::write(pipeFds[1], out.data(), out.size()) == ssize_t(out.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(pipeFds[1]);
    Bytes in;
    uint8_t buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        in.insert(in.end(), buf, buf + n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || in.size() < 159) return r;
    r.ok = in[0] != 0;
    r.memory.assign(in.begin() + 1, in.begin() + 159);
    r.message.assign(in.begin() + 159, in.end());
    return r;
}

TEST_F(SettingsTest, SaveIntoReadOnlyDirectoryFailsAndKeepsEverything) {
    LoadSettings();
    const Bytes oldFile = ReadFile(kSettingsFileName);
    CustomiseSettings();
    const Bytes plain = RecordBytes();
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);

    const BracketResult r = SaveUnprivileged();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(plain, r.memory);
    EXPECT_EQ(0u, r.message.rfind("Can't save settings. ", 0)) << r.message;
    EXPECT_NE(std::string::npos, r.message.find("Permission denied")) << r.message;
    EXPECT_EQ(oldFile, ReadFile(kSettingsFileName));
    EXPECT_EQ(std::set<std::string>{"config.dat"}, DirEntries());
}

TEST_F(SettingsTest, FullDiskMidWriteKeepsOldFile) {
    LoadSettings();
    const Bytes oldFile = ReadFile(kSettingsFileName);
    CustomiseSettings();
    const Bytes plain = RecordBytes();

    // A file size limit below one record makes the write stop part-way, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &saved));
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    std::string message;
    const bool ok = SaveSettingsBracket(&message);
    bool threw = false;
    try {
        SaveSettings(); // alone it reports through the exception
    } catch (const EInOutError& e) {
        threw = e.ErrorCode == EFBIG;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_TRUE(threw);
    EXPECT_EQ(0u, message.rfind("Can't save settings. ", 0)) << message;
    EXPECT_EQ(plain, RecordBytes());
    EXPECT_EQ(oldFile, ReadFile(kSettingsFileName));
    EXPECT_EQ(std::set<std::string>{"config.dat"}, DirEntries());
}

TEST_F(SettingsTest, ConfigThatIsNoRegularFileGivesTheDefaults) {
    // A FIFO would block the start until someone writes to it; a link to a device never ends.
    struct Case {
        const char* what;
        void (*make)();
    } cases[] = {
        {"fifo", [] { ASSERT_EQ(0, ::mkfifo(kSettingsFileName, 0600)); }},
        {"link to /dev/zero", [] { fs::create_symlink("/dev/zero", kSettingsFileName); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGameState();
        fs::remove(kSettingsFileName);
        c.make();
        // In a child, so that a blocking open fails the test instead of hanging it.
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(10);
            LoadSettings();
            const bool defaults = Settings.BossKey == 123 && Settings.Windowed == 1 &&
                                  Settings.HighScores[0].Score == 1000;
            ::_exit(defaults ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(kSettingsFileName)));
        EXPECT_EQ(158u, ReadFile(kSettingsFileName).size());
    }
}

TEST_F(SettingsTest, SavesKilledPartWayLeaveAtMostOneTemporaryFile) {
    CustomiseSettings();
    ASSERT_TRUE(SaveSettingsBracket());
    const Bytes image = ReadFile(kSettingsFileName);
    for (int kill = 0; kill < 40; ++kill) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ScrambleSettings();
            for (;;)
                SaveSettings();
        }
        ::usleep(useconds_t(200 + 97 * kill % 1500));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    std::set<std::string> names = DirEntries();
    names.erase("config.dat.tmp");
    EXPECT_EQ(std::set<std::string>{"config.dat"}, names);
    EXPECT_EQ(image, ReadFile(kSettingsFileName)); // the file itself stays whole

    // The next save replaces a left-over temporary file, whatever it holds.
    WriteFile("config.dat.tmp", Bytes(17, 0x33));
    ASSERT_TRUE(SaveSettingsBracket());
    EXPECT_EQ(std::set<std::string>{"config.dat"}, DirEntries());
    EXPECT_EQ(image, ReadFile(kSettingsFileName));
}

TEST_F(SettingsTest, StartRemovesTemporaryFilesOfEarlierVersions) {
    // Earlier saves used a fresh random name each time; a killed one left its file behind.
    LoadSettings();
    for (const char* name : {"config.dat.a1B2c3", "config.dat.ZZZZZZ", "config.dat.tmp"})
        WriteFile(name, Bytes(5, 1));
    WriteFile("config.dat.bak", Bytes(5, 1));     // not one of ours
    WriteFile("config.dat.abcdefg", Bytes(5, 1)); // nor this
    fs::create_directory("config.dat.Qw3rty");    // nor anything but a plain file
    LoadSettings();
    EXPECT_EQ((std::set<std::string>{"config.dat", "config.dat.bak", "config.dat.abcdefg",
                                     "config.dat.Qw3rty"}),
              DirEntries());
}

} // namespace
