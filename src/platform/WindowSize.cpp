// WindowSize.cpp -- opening size, the desktop's scale and window.cfg.
#include "platform/WindowSize.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

Size OpeningSize(Size usable, double desktopScale, Size base) {
    if (desktopScale <= 1.0 || base.w <= 0 || base.h <= 0) return base;
    int k = 1;
    while ((k + 1) * base.w <= usable.w && (k + 1) * base.h <= usable.h)
        ++k;
    return Size{k * base.w, k * base.h};
}

Size FitToDesktop(Size chosen, Size usable) {
    Size s = chosen;
    if (usable.w > 0 && s.w > usable.w) s.w = usable.w;
    if (usable.h > 0 && s.h > usable.h) s.h = usable.h;
    if (s.w < kMinWindowWidth) s.w = kMinWindowWidth;
    if (s.h < kMinWindowHeight) s.h = kMinWindowHeight;
    return s;
}

namespace {

// A whole number 1..kMaxWindowSide from the start of `s`; `end` after its last digit.
bool Side(const char* s, const char*& end, int& out) {
    if (*s < '0' || *s > '9') return false;
    long v = 0;
    while (*s >= '0' && *s <= '9') {
        v = v * 10 + (*s++ - '0');
        if (v > kMaxWindowSide) return false;
    }
    end = s;
    out = int(v);
    return true;
}

} // namespace

bool ReadWindowSize(const std::string& path, Size& out, std::string& error) {
    error.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[64];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    const bool longer = std::fgetc(f) != EOF;
    std::fclose(f);
    buf[n] = 0;
    if (longer) {
        error = path + ": longer than a window size";
        return false;
    }
    const char* p = buf;
    Size s;
    if (!Side(p, p, s.w) || *p++ != 'x' || !Side(p, p, s.h)) {
        error = path + ": not a window size WIDTHxHEIGHT";
        return false;
    }
    while (*p == '\n' || *p == '\r' || *p == ' ')
        ++p;
    if (p != buf + n) {
        error = path + ": more than a window size";
        return false;
    }
    if (s.w < kMinWindowWidth || s.h < kMinWindowHeight) {
        error = path + ": window size below " + std::to_string(kMinWindowWidth) + "x" +
                std::to_string(kMinWindowHeight);
        return false;
    }
    out = s;
    return true;
}

bool WriteWindowSize(const std::string& path, Size size) {
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fprintf(f, "%dx%d\n", size.w, size.h) > 0;
    if (std::fclose(f) != 0 || !written || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

double DesktopScale(const char* gdkScale, const char* qtScale, float displayDpi) {
    for (const char* hint : {gdkScale, qtScale}) {
        if (!hint || !*hint) continue;
        errno = 0;
        char* end = nullptr;
        const double v = std::strtod(hint, &end);
        if (errno == 0 && end != hint && *end == 0 && v > 0 && v < 16) return v < 1 ? 1 : v;
    }
    if (displayDpi > 0 && displayDpi < 16 * 96) {
        const double v = displayDpi / 96.0;
        return v < 1 ? 1 : v;
    }
    return 1;
}

} // namespace platform
