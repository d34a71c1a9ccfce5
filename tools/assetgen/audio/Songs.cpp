// Songs.cpp -- composition of the menu and game songs and its arrangement into XM patterns.
// Both are in Dorian with the same four-bar motif (A D E F E | D C D), so they belong together.
#include "audio/Songs.h"

#include "audio/SongInstruments.h"
#include "audio/XmWriter.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>

namespace assetgen {

namespace {

constexpr int kRowsPerBar = 16; // one row is a sixteenth note
constexpr int kBars = 4;        // every pattern is one four-bar phrase
constexpr int kRows = kRowsPerBar * kBars;
constexpr int kSpeed = 6; // ticks per row; with 4 rows a beat the XM bpm is the musical tempo

enum Channel {
    kChLead,
    kChHarmony,
    kChArpA, // arpeggios alternate between two channels so each note rings under the next
    kChArpB,
    kChBass,
    kChDrum,
    kChSlap,
    kChJingles,
    kChannelCount
};

// Instrument numbers as the module stores them (1-based, in the order BuildSong adds them).
enum InstrumentNumber : uint8_t {
    kInsRecorder = 1,
    kInsPluck,
    kInsBass,
    kInsDrum,
    kInsSlap,
    kInsJingles
};

struct NoteEvent {
    int row;
    int midi;
    int length;
    int volume;
};

struct Chord {
    int root; // pitch class
    bool minor;
};

int PitchClass(char letter) {
    switch (letter) {
    case 'C':
        return 0;
    case 'D':
        return 2;
    case 'E':
        return 4;
    case 'F':
        return 5;
    case 'G':
        return 7;
    case 'A':
        return 9;
    case 'B':
        return 11;
    }
    throw std::logic_error(std::string("bad note letter ") + letter);
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

// "C#5" -> MIDI 73; octave 4 holds middle C.
int ParseNote(std::string_view name) {
    int pc = PitchClass(name.at(0));
    std::size_t i = 1;
    if (i < name.size() && name[i] == '#')
        ++pc, ++i;
    else if (i < name.size() && name[i] == 'b')
        --pc, ++i;
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '9')
        throw std::logic_error("bad note " + std::string(name));
    return 12 * (name[i] - '0' + 1) + pc;
}

// A phrase line: "A4:4 D5:4 r:2 ... | ..." with lengths in rows; '|' checks each bar is full.
std::vector<NoteEvent> ParseLine(std::string_view text, int transpose, int volume) {
    std::vector<NoteEvent> events;
    int row = 0, barStart = 0;
    for (std::string_view token : Tokens(text)) {
        if (token == "|") {
            if (row - barStart != kRowsPerBar)
                throw std::logic_error("bar of wrong length in " + std::string(text));
            barStart = row;
            continue;
        }
        const std::size_t colon = token.find(':');
        if (colon == std::string_view::npos) throw std::logic_error("bad token in line");
        int length = 0;
        for (char c : token.substr(colon + 1))
            length = length * 10 + (c - '0');
        const std::string_view name = token.substr(0, colon);
        if (name != "r") {
            // Notes off the beat are played a little softer.
            const int accent = row % 4 == 0 ? 0 : -6;
            events.push_back({row, ParseNote(name) + transpose, length, volume + accent});
        }
        row += length;
    }
    if (row != kRows) throw std::logic_error("phrase must fill four bars: " + std::string(text));
    return events;
}

std::vector<Chord> ParseChords(std::string_view text, int transpose) {
    std::vector<Chord> chords;
    for (std::string_view token : Tokens(text)) {
        int pc = PitchClass(token.at(0));
        bool minor = false;
        for (std::size_t i = 1; i < token.size(); ++i) {
            if (token[i] == '#') ++pc;
            if (token[i] == 'b') --pc;
            if (token[i] == 'm') minor = true;
        }
        chords.push_back({((pc + transpose) % 12 + 12) % 12, minor});
    }
    if (chords.size() != kBars) throw std::logic_error("need one chord per bar");
    return chords;
}

int Third(const Chord& c) {
    return c.minor ? 3 : 4;
}

bool InChord(const Chord& c, int midi) {
    const int interval = ((midi - c.root) % 12 + 12) % 12;
    return interval == 0 || interval == Third(c) || interval == 7;
}

void Put(XmPattern& p, int row, int channel, int midi, uint8_t instrument, int volume) {
    XmCell& cell = p.At(row, channel);
    cell.note = static_cast<uint8_t>(XmNote(midi));
    cell.instrument = instrument;
    cell.volume = static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64));
}

// Writes the notes; with key-offs every note is released where a rest follows it.
void PutLine(XmPattern& p, int channel, uint8_t instrument, const std::vector<NoteEvent>& events,
             bool keyOffs) {
    for (std::size_t k = 0; k < events.size(); ++k) {
        const NoteEvent& e = events[k];
        Put(p, e.row, channel, e.midi, instrument, e.volume);
        const int end = e.row + e.length;
        const int next = k + 1 < events.size() ? events[k + 1].row : kRows;
        if (keyOffs && end < next && end < kRows) p.At(end, channel).note = kXmKeyOff;
    }
}

// A second voice under the melody: the nearest chord tone at least a minor third below.
std::vector<NoteEvent> Harmonise(const std::vector<NoteEvent>& melody,
                                 const std::vector<Chord>& chords, int volume) {
    std::vector<NoteEvent> out;
    for (const NoteEvent& e : melody) {
        const Chord& c = chords[static_cast<std::size_t>(e.row / kRowsPerBar)];
        int m = e.midi - 3;
        while (!InChord(c, m))
            --m;
        out.push_back({e.row, m, e.length, volume + (e.volume - volume) / 2});
    }
    return out;
}

enum class ArpStyle { None, Harp, Drive, Pulse };
enum class BassStyle { Calm, Drive, Pedal };

struct DrumBar {
    const char* drum; // 16 steps: 'X' accent, 'x' normal, 'o' ghost, '.' rest
    const char* slap;
    const char* jingles;
};

struct Levels {
    int lead, harmony, pluckLead, arp, bass, drum, slap, jingles;
};

struct Section {
    const char* chords;
    const char* lead = nullptr;      // recorder melody
    bool harmony = false;            // second recorder under the lead
    const char* pluckLead = nullptr; // melody on the plucked string
    ArpStyle arp = ArpStyle::Harp;
    BassStyle bass = BassStyle::Calm;
    const DrumBar* drums = nullptr;
    const DrumBar* fill = nullptr; // replaces the drums in the phrase's last bar
};

struct SongPlan {
    const char* name;
    int bpm;
    int transpose;
    int globalVolume; // 0..64: leaves the mix headroom for the sound effects
    Levels levels;
    std::vector<Section> sections;
    std::vector<uint8_t> orders;
};

int ChordBase(const Chord& c, int octaveC) {
    return octaveC + c.root;
}

void PutArp(XmPattern& p, const std::vector<Chord>& chords, ArpStyle style, int volume) {
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& c = chords[static_cast<std::size_t>(bar)];
        const int t = Third(c);
        const int row0 = bar * kRowsPerBar;
        switch (style) {
        case ArpStyle::None:
            break;
        case ArpStyle::Harp: {
            // Eighths up and down the chord from the third octave.
            const int base = ChordBase(c, 48);
            const int steps[8] = {0, 7, 12, 12 + t, 19, 12 + t, 12, 7};
            for (int k = 0; k < 8; ++k)
                Put(p, row0 + 2 * k, k % 2 ? kChArpB : kChArpA, base + steps[k], kInsPluck,
                    volume - (k % 2 ? 8 : 0) - (k == 0 ? 0 : 4));
            break;
        }
        case ArpStyle::Drive: {
            // Rolling sixteenths, accented on the beat.
            const int base = ChordBase(c, 48);
            const int steps[4] = {12, 19, 24, 19};
            for (int k = 0; k < 16; ++k) {
                const int step = k == 12 ? 12 + t : steps[k % 4];
                Put(p, row0 + k, k % 2 ? kChArpB : kChArpA, base + step, kInsPluck,
                    volume - (k % 4 == 0 ? 0 : 12));
            }
            break;
        }
        case ArpStyle::Pulse: {
            const int base = ChordBase(c, 48);
            Put(p, row0, kChArpA, base + 7, kInsPluck, volume - 6);
            Put(p, row0 + 8, kChArpB, base + 12 + t, kInsPluck, volume - 12);
            break;
        }
        }
    }
}

void PutBass(XmPattern& p, const std::vector<Chord>& chords, BassStyle style, int volume) {
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& c = chords[static_cast<std::size_t>(bar)];
        const int root = ChordBase(c, 36);
        const int row0 = bar * kRowsPerBar;
        switch (style) {
        case BassStyle::Calm:
            Put(p, row0, kChBass, root, kInsBass, volume);
            Put(p, row0 + 8, kChBass, root + 7, kInsBass, volume - 8);
            p.At(row0 + 14, kChBass).note = kXmKeyOff;
            break;
        case BassStyle::Drive: {
            const int steps[8] = {0, 0, 12, 0, 0, 7, 0, 12};
            for (int k = 0; k < 8; ++k)
                Put(p, row0 + 2 * k, kChBass, root + steps[k], kInsBass,
                    volume - (k % 4 == 0 ? 0 : 10));
            break;
        }
        case BassStyle::Pedal:
            Put(p, row0, kChBass, root, kInsBass, volume);
            break;
        }
    }
}

int StepVolume(char c, int level) {
    switch (c) {
    case 'X':
        return level;
    case 'x':
        return level * 3 / 4;
    case 'o':
        return level * 2 / 5;
    }
    return 0;
}

void PutDrums(XmPattern& p, const Section& s, const Levels& lv) {
    if (!s.drums) return;
    for (int bar = 0; bar < kBars; ++bar) {
        const DrumBar& d = (bar == kBars - 1 && s.fill) ? *s.fill : *s.drums;
        for (int k = 0; k < kRowsPerBar; ++k) {
            const int row = bar * kRowsPerBar + k;
            struct {
                const char* steps;
                int channel;
                uint8_t instrument;
                int level;
            } parts[] = {{d.drum, kChDrum, kInsDrum, lv.drum},
                         {d.slap, kChSlap, kInsSlap, lv.slap},
                         {d.jingles, kChJingles, kInsJingles, lv.jingles}};
            for (const auto& part : parts)
                if (const int v = StepVolume(part.steps[k], part.level))
                    Put(p, row, part.channel, 60, part.instrument, v);
        }
    }
}

XmPattern BuildPattern(const Section& s, const SongPlan& plan) {
    XmPattern p(kRows, kChannelCount);
    const Levels& lv = plan.levels;
    const std::vector<Chord> chords = ParseChords(s.chords, plan.transpose);
    if (s.lead) {
        const std::vector<NoteEvent> lead = ParseLine(s.lead, plan.transpose, lv.lead);
        PutLine(p, kChLead, kInsRecorder, lead, true);
        if (s.harmony)
            PutLine(p, kChHarmony, kInsRecorder, Harmonise(lead, chords, lv.harmony), true);
    }
    if (s.pluckLead)
        PutLine(p, kChHarmony, kInsPluck, ParseLine(s.pluckLead, plan.transpose, lv.pluckLead),
                false);
    PutArp(p, chords, s.arp, lv.arp);
    PutBass(p, chords, s.bass, lv.bass);
    PutDrums(p, s, lv);
    // Release anything held over from the previous phrase (or from the end, when looping).
    for (int ch : {kChLead, kChHarmony, kChBass})
        if (p.At(0, ch).note == 0) p.At(0, ch).note = kXmKeyOff;
    return p;
}

std::vector<uint8_t> BuildSong(const SongPlan& plan) {
    XmModule m;
    m.name = plan.name;
    m.channels = kChannelCount;
    m.speed = kSpeed;
    m.bpm = plan.bpm;
    m.restartPosition = 0;
    const double ticksPerSecond = plan.bpm * 2.0 / 5.0;
    m.instruments = {MakeRecorder(ticksPerSecond),
                     MakePluck(),
                     MakeBass(ticksPerSecond),
                     MakeFrameDrum(),
                     MakeDrumSlap(),
                     MakeJingles()};
    // Pan the parts apart a little: lead in the middle, strings and jingles to the sides.
    m.instruments[kInsPluck - 1].sample.panning = 100;
    m.instruments[kInsJingles - 1].sample.panning = 160;
    m.instruments[kInsSlap - 1].sample.panning = 145;
    for (const Section& s : plan.sections)
        m.patterns.push_back(BuildPattern(s, plan));
    m.orders = plan.orders;
    // Global volume on the first row the song plays, so every loop starts from the same level.
    XmCell& first = m.patterns.at(m.orders.at(0)).At(0, kChJingles);
    first.effect = 16; // Gxx: set global volume
    first.param = static_cast<uint8_t>(plan.globalVolume);
    return WriteXm(m);
}

// The motif and its answer, shared by both songs.
constexpr const char* kMotif = "A4:4 D5:4 E5:2 F5:2 E5:4 | D5:6 C5:2 D5:8 | "
                               "F5:4 G5:4 A5:2 G5:2 F5:4 | E5:12 r:4";
constexpr const char* kMotifLow = "A3:4 D4:4 E4:2 F4:2 E4:4 | D4:6 C4:2 D4:8 | "
                                  "F4:4 G4:4 A4:2 G4:2 F4:4 | E4:12 r:4";

} // namespace

std::vector<uint8_t> MakeMenuSong() {
    static const DrumBar light = {"X.........x.....", "........o.......", "................"};
    static const DrumBar full = {"X.........x.....", "....o.......x...", "..o...o...o...o."};
    static const DrumBar fill = {"X.........x.x.x.", "....o.......o.x.", "..o...o...o.o.o."};
    const char* answer = "A4:4 D5:4 E5:2 F5:2 E5:4 | D5:6 C5:2 A4:8 | "
                         "B4:4 C5:4 D5:2 E5:2 D5:4 | D5:16";
    const char* bridge = "A5:8 G5:4 F5:4 | G5:6 F5:2 E5:8 | F5:4 E5:4 D5:4 C5:4 | D5:4 E5:4 A4:8";
    const char* bridge2 = "G5:8 B5:4 A5:4 | G5:6 F5:2 E5:8 | F5:2 E5:2 D5:4 C5:4 E5:4 | D5:16";
    const char* floating = "A5:12 C6:4 | G5:16 | G5:8 B5:8 | A5:12 r:4";

    SongPlan plan;
    plan.name = "Skyvern - Over the Ranges";
    plan.bpm = 90;
    plan.transpose = 0;
    plan.globalVolume = 40;
    plan.levels = {46, 30, 54, 44, 48, 58, 48, 40};
    plan.sections = {
        {"Dm Dm F C", kMotif, false, nullptr, ArpStyle::Harp, BassStyle::Calm, &light, nullptr},
        {"Dm Am G Dm", answer, false, nullptr, ArpStyle::Harp, BassStyle::Calm, &light, &fill},
        {"F C Dm Am", bridge, true, nullptr, ArpStyle::Harp, BassStyle::Calm, &full, nullptr},
        {"G C Am Dm", bridge2, true, nullptr, ArpStyle::Harp, BassStyle::Calm, &full, &fill},
        {"Dm Dm F C", nullptr, false, kMotifLow, ArpStyle::Pulse, BassStyle::Pedal, &light,
         nullptr},
        {"F C G Am", floating, true, nullptr, ArpStyle::Harp, BassStyle::Calm, &light, &fill},
        {"Dm Dm F C", kMotif, true, nullptr, ArpStyle::Harp, BassStyle::Calm, &full, nullptr},
        {"Dm Am G Dm", answer, true, nullptr, ArpStyle::Harp, BassStyle::Calm, &full, &fill},
    };
    plan.orders = {0, 1, 2, 3, 4, 5, 6, 7};
    return BuildSong(plan);
}

std::vector<uint8_t> MakeGameSong() {
    static const DrumBar drive = {"X.....x.X.....x.", "....X.......X...", "x.o.x.o.x.o.x.o."};
    static const DrumBar fill = {"X.....x.X.x.x.x.", "....X.....X.XxXX", "x.o.x.o.x.o.XXXX"};
    static const DrumBar sparse = {"X.......X.......", "....o.......o...", "....x.......x..."};
    // The motif in running eighths.
    const char* themeA = "A4:2 D5:2 E5:2 F5:2 E5:4 D5:2 C5:2 | D5:6 A4:2 D5:4 E5:4 | "
                         "F5:2 G5:2 A5:2 G5:2 F5:4 E5:2 D5:2 | E5:8 C5:4 E5:4";
    const char* themeA2 = "A4:2 D5:2 E5:2 F5:2 E5:4 D5:2 C5:2 | D5:6 A4:2 D5:4 F5:4 | "
                          "G5:4 A5:2 G5:2 F5:4 E5:4 | D5:12 r:4";
    // Around G: the Mixolydian colour of the same notes.
    const char* themeB = "D5:4 G5:4 B5:4 A5:2 G5:2 | A5:4 G5:2 F5:2 G5:8 | "
                         "D5:4 G5:4 B5:4 C6:2 B5:2 | A5:6 G5:2 F5:4 E5:4";
    const char* themeB2 = "F5:4 E5:2 D5:2 E5:4 G5:4 | A5:4 G5:2 F5:2 E5:4 D5:4 | "
                          "C5:4 D5:2 E5:2 F5:4 E5:2 D5:2 | E5:8 D5:4 C5:4";
    const char* riff = "A3:2 D4:2 E4:2 F4:2 E4:4 D4:2 C4:2 | D4:6 A3:2 D4:4 E4:4 | "
                       "F4:2 G4:2 A4:2 G4:2 F4:4 E4:2 D4:2 | E4:8 C4:4 E4:4";
    const char* breakLine = "D5:16 | E5:16 | F5:8 G5:8 | A5:16";

    SongPlan plan;
    plan.name = "Skyvern - Into the Fire";
    plan.bpm = 140;
    plan.transpose = 2; // E Dorian: a step above the menu, brighter
    plan.globalVolume = 40;
    plan.levels = {48, 30, 58, 38, 50, 60, 50, 38};
    const auto drv = ArpStyle::Drive;
    const auto bass = BassStyle::Drive;
    plan.sections = {
        {"Dm Dm F C", nullptr, false, riff, ArpStyle::None, bass, &drive, &fill},
        {"Dm Dm F C", themeA, false, nullptr, drv, bass, &drive, nullptr},
        {"Dm Dm C Dm", themeA2, false, nullptr, drv, bass, &drive, &fill},
        {"G C G Am", themeB, false, nullptr, drv, bass, &drive, nullptr},
        {"C F Am Am", themeB2, true, nullptr, drv, bass, &drive, &fill},
        {"Dm C F Am", breakLine, false, nullptr, ArpStyle::Pulse, BassStyle::Pedal, &sparse, &fill},
        {"Dm Dm F C", themeA, true, nullptr, drv, bass, &drive, nullptr},
        {"Dm Dm C Dm", themeA2, true, nullptr, drv, bass, &drive, &fill},
        {"G C G Am", themeB, true, nullptr, drv, bass, &drive, nullptr},
        {"C F Am Am", themeB2, true, nullptr, drv, bass, &drive, &fill},
    };
    plan.orders = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    return BuildSong(plan);
}

} // namespace assetgen
