// Manifest.cpp -- writing and parsing dxgtool manifests.
#include "Manifest.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal with an optional sign, or 0x-prefixed hexadecimal; the whole text must be used.
int64_t ParseNumber(std::string_view s, int64_t lo, int64_t hi) {
    bool negative = !s.empty() && s[0] == '-';
    if (negative || (!s.empty() && s[0] == '+')) s.remove_prefix(1);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || s.size() > 16) throw std::invalid_argument("not a number");
    int64_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0 || d >= base) throw std::invalid_argument("not a number");
        v = v * base + d;
    }
    if (negative) v = -v;
    if (v < lo || v > hi) throw std::invalid_argument("number out of range");
    return v;
}

std::string Hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

} // namespace

std::string EscapeName(std::string_view name) {
    std::string out;
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string UnescapeName(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x' || HexDigit(text[i + 2]) < 0 ||
            HexDigit(text[i + 3]) < 0)
            throw std::invalid_argument("bad escape in name");
        out += char(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
        i += 3;
    }
    return out;
}

std::string WriteManifest(const TManifest& m) {
    std::ostringstream out;
    out << "# dxgtool manifest\n";
    if (m.Kind == TCollectionKind::Pictures) {
        out << "collection pictures\n";
        bool zero = true;
        for (uint8_t b : m.ColorTable)
            zero = zero && b == 0;
        if (!zero) {
            out << "colortable ";
            char buf[4];
            for (uint8_t b : m.ColorTable) {
                std::snprintf(buf, sizeof buf, "%02X", b);
                out << buf;
            }
            out << "\n";
        }
        for (const auto& p : m.Pictures) {
            out << "\npicture\n"
                << "name " << EscapeName(p.Name) << "\n"
                << "file " << EscapeName(p.File) << "\n"
                << "patternwidth " << p.PatternWidth << "\n"
                << "patternheight " << p.PatternHeight << "\n"
                << "skipwidth " << p.SkipWidth << "\n"
                << "skipheight " << p.SkipHeight << "\n"
                << "systemmemory " << int(p.SystemMemory) << "\n"
                << "transparent " << int(p.Transparent) << "\n"
                << "transparentcolor " << Hex32(p.TransparentColor) << "\n"
                << "bitcount " << p.BitCount << "\n";
        }
    } else {
        out << "collection waves\n";
        for (const auto& w : m.Waves) {
            out << "\nwave\n"
                << "name " << EscapeName(w.Name) << "\n"
                << "file " << EscapeName(w.File) << "\n"
                << "looped " << int(w.Looped) << "\n"
                << "maxplayingcount " << w.MaxPlayingCount << "\n";
        }
    }
    return out.str();
}

TManifest ParseManifest(const std::string& text) {
    TManifest m;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error("line " + std::to_string(lineNo) + ": " + why);
    };
    TManifestPicture* picture = nullptr;
    TManifestWave* wave = nullptr;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        size_t space = line.find(' ');
        std::string key = line.substr(0, space);
        std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        try {
            auto integer = [&] { return int32_t(ParseNumber(value, INT32_MIN, INT32_MAX)); };
            auto flag = [&] { return ParseNumber(value, 0, 1) != 0; };
            if (key == "collection") {
                if (m.Kind != TCollectionKind::Unknown) fail("a second \"collection\" line");
                if (value == "pictures")
                    m.Kind = TCollectionKind::Pictures;
                else if (value == "waves")
                    m.Kind = TCollectionKind::Waves;
                else
                    fail("collection must be \"pictures\" or \"waves\"");
            } else if (m.Kind == TCollectionKind::Unknown) {
                fail("the manifest must start with a \"collection\" line");
            } else if (key == "colortable" && m.Kind == TCollectionKind::Pictures) {
                if (value.size() != 2048) fail("colortable needs 2048 hex digits");
                for (size_t i = 0; i < 1024; ++i) {
                    int hi = HexDigit(value[2 * i]), lo = HexDigit(value[2 * i + 1]);
                    if (hi < 0 || lo < 0) fail("colortable needs 2048 hex digits");
                    m.ColorTable[i] = uint8_t(hi * 16 + lo);
                }
            } else if (key == "picture" && m.Kind == TCollectionKind::Pictures) {
                picture = &m.Pictures.emplace_back();
            } else if (key == "wave" && m.Kind == TCollectionKind::Waves) {
                wave = &m.Waves.emplace_back();
            } else if (picture) {
                if (key == "name")
                    picture->Name = UnescapeName(value);
                else if (key == "file")
                    picture->File = UnescapeName(value);
                else if (key == "patternwidth")
                    picture->PatternWidth = integer();
                else if (key == "patternheight")
                    picture->PatternHeight = integer();
                else if (key == "skipwidth")
                    picture->SkipWidth = integer();
                else if (key == "skipheight")
                    picture->SkipHeight = integer();
                else if (key == "systemmemory")
                    picture->SystemMemory = flag();
                else if (key == "transparent")
                    picture->Transparent = flag();
                else if (key == "transparentcolor")
                    picture->TransparentColor = uint32_t(ParseNumber(value, INT32_MIN, UINT32_MAX));
                else if (key == "bitcount") {
                    picture->BitCount = integer();
                    if (picture->BitCount != 24 && picture->BitCount != 32)
                        fail("bitcount must be 24 or 32");
                } else
                    fail("unknown key \"" + key + "\"");
            } else if (wave) {
                if (key == "name")
                    wave->Name = UnescapeName(value);
                else if (key == "file")
                    wave->File = UnescapeName(value);
                else if (key == "looped")
                    wave->Looped = flag();
                else if (key == "maxplayingcount")
                    wave->MaxPlayingCount = integer();
                else
                    fail("unknown key \"" + key + "\"");
            } else {
                fail("unknown key \"" + key + "\"");
            }
        } catch (const std::invalid_argument& e) {
            fail(e.what());
        }
    }
    if (m.Kind == TCollectionKind::Unknown) fail("no \"collection\" line");
    for (const auto& p : m.Pictures)
        if (p.File.empty()) throw std::runtime_error("picture \"" + p.Name + "\" has no file");
    for (const auto& w : m.Waves)
        if (w.File.empty()) throw std::runtime_error("wave \"" + w.Name + "\" has no file");
    return m;
}
