// TinyXm.h -- writes the smallest module file the player accepts (one empty pattern, no
// instruments), for tests that need a song to load without caring how it sounds.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

inline void WriteTinyXm(const std::string& path) {
    std::vector<uint8_t> b;
    auto text = [&](const std::string& s, size_t n) {
        for (size_t i = 0; i < n; ++i)
            b.push_back(i < s.size() ? uint8_t(s[i]) : 0);
    };
    auto u16 = [&](uint16_t v) {
        b.push_back(v & 0xFF);
        b.push_back(v >> 8);
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back((v >> (8 * i)) & 0xFF);
    };
    text("Extended Module: ", 17);
    text("tiny", 20);
    b.push_back(0x1A);
    text("test", 20);
    u16(0x0104);
    u32(276);
    u16(1);   // song length
    u16(0);   // restart
    u16(2);   // channels
    u16(1);   // patterns
    u16(0);   // instruments
    u16(1);   // linear frequencies
    u16(6);   // tempo
    u16(125); // BPM
    text("", 256);
    u32(9); // pattern header
    b.push_back(0);
    u16(1); // rows
    u16(0); // packed size: empty
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}
