// XmWriter.h -- a small FastTracker 2 (XM) module writer: patterns, orders and one-sample
// instruments with volume envelopes, enough for the game's two songs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr uint8_t kXmKeyOff = 97;

struct XmCell {
    uint8_t note = 0;       // 1 = C-0 .. 96 = B-7, kXmKeyOff, 0 = none
    uint8_t instrument = 0; // 1-based, 0 = none
    uint8_t volume = 0;     // volume column byte (0x10 + 0..64 sets the volume), 0 = none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells; // row-major: rows x channels

    XmPattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount),
          cells(static_cast<std::size_t>(rowCount * channelCount)) {}
    XmCell& At(int row, int channel) {
        return cells[static_cast<std::size_t>(row * channels + channel)];
    }
    const XmCell& At(int row, int channel) const {
        return cells[static_cast<std::size_t>(row * channels + channel)];
    }
};

struct XmEnvelopePoint {
    uint16_t tick = 0;
    uint16_t value = 0; // 0..64
};

struct XmSample {
    std::string name;
    std::vector<int16_t> data;
    bool looped = false;
    uint32_t loopStart = 0;  // in sample frames
    uint32_t loopLength = 0; // in sample frames
    int volume = 64;         // 0..64
    int finetune = 0;        // -128..127, 1/128 semitone
    int panning = 128;       // 0..255
    int relativeNote = 0;    // semitones added to every played note
};

struct XmInstrument {
    std::string name;
    XmSample sample;
    std::vector<XmEnvelopePoint> volumeEnvelope; // empty = no envelope (key-off cuts)
    int sustainPoint = -1;                       // index into volumeEnvelope, -1 = none
    int fadeout = 0;                             // 0..0xFFF, volume lost per tick after key-off
    int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmModule {
    std::string name;
    int channels = 4;
    int speed = 6; // ticks per row
    int bpm = 125; // tick rate = bpm * 2 / 5 Hz
    int restartPosition = 0;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Serialises the module (version 0x0104, linear frequency table, packed patterns, delta-coded
// 16-bit samples).
std::vector<uint8_t> WriteXm(const XmModule& module);

} // namespace assetgen
