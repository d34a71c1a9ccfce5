// Xwin_test.cpp -- xwin's screenshot of a private Xvfb screen: every chunk's checksum holds and
// libpng reads the picture back at the screen's size.
#include <gtest/gtest.h>

#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// An Xvfb of its own on a free display number (-displayfd), gone with the object.
class PrivateXvfb {
  public:
    PrivateXvfb() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            std::freopen("/dev/null", "w", stderr);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "320x200x24",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char buffer[32];
        std::string number;
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
            number.append(buffer, size_t(n));
            if (number.find('\n') != std::string::npos) break;
        }
        ::close(fds[0]);
        while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
            number.pop_back();
        if (!number.empty()) display_ = ":" + number;
    }
    ~PrivateXvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

uint32_t Be32(const std::vector<unsigned char>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

TEST(Xwin, ScreenshotIsAValidPng) {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
    PrivateXvfb x;
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    const fs::path file =
        fs::temp_directory_path() / ("xwin-shot-" + std::to_string(::getpid()) + ".png");
    const std::string command =
        "DISPLAY=" + x.Display() + " " + XWIN_PATH + " shot " + file.string();
    ASSERT_EQ(0, std::system(command.c_str())) << command;

    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
    fs::remove(file);
    ASSERT_GE(bytes.size(), 8u);
    ASSERT_EQ(0, png_sig_cmp(bytes.data(), 0, 8));
    // Every chunk, IEND included, up to the end of the file.
    std::vector<std::string> chunks;
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = Be32(bytes, at);
        ASSERT_LE(size_t(length), bytes.size() - at - 12);
        const std::string type(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 8);
        const uLong crc = crc32(0, bytes.data() + at + 4, uInt(4 + length));
        EXPECT_EQ(crc, Be32(bytes, at + 8 + length)) << "checksum of chunk " << type;
        chunks.push_back(type);
        at += 12 + length;
    }
    EXPECT_EQ(at, bytes.size());
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ("IHDR", chunks.front());
    EXPECT_EQ("IEND", chunks.back());

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        << image.message;
    EXPECT_EQ(320u, image.width);
    EXPECT_EQ(200u, image.height);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
}

} // namespace
