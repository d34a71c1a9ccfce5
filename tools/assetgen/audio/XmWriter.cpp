// XmWriter.cpp -- byte layout of XM modules. The field order and sizes below are the format's;
// do not reorder them.
#include "audio/XmWriter.h"

#include <algorithm>
#include <stdexcept>

namespace assetgen {

namespace {

class ByteWriter {
  public:
    void U8(int v) { bytes_.push_back(static_cast<uint8_t>(v & 0xFF)); }
    void U16(int v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(static_cast<int>(v & 0xFFFF));
        U16(static_cast<int>(v >> 16));
    }
    // Fixed-width text field, padded with zeros.
    void Text(const std::string& s, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i)
            U8(i < s.size() ? s[i] : 0);
    }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    std::size_t Size() const { return bytes_.size(); }
    void PatchU16(std::size_t at, int v) {
        bytes_[at] = static_cast<uint8_t>(v & 0xFF);
        bytes_[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

constexpr int kHeaderSize = 276;     // from the header-size field to the end of the order table
constexpr int kInstrumentSize = 263; // instrument header with sample map and envelopes
constexpr int kSampleHeaderSize = 40;
constexpr std::size_t kMaxEnvelopePoints = 12;

void WritePattern(ByteWriter& w, const XmPattern& p) {
    w.U32(9); // pattern header length
    w.U8(0);  // packing type
    w.U16(p.rows);
    const std::size_t sizeAt = w.Size();
    w.U16(0);
    const std::size_t start = w.Size();
    for (int r = 0; r < p.rows; ++r) {
        for (int c = 0; c < p.channels; ++c) {
            const XmCell& cell = p.At(r, c);
            // Packed form: a flag byte with the high bit set says which fields follow.
            int flags = 0x80;
            if (cell.note) flags |= 0x01;
            if (cell.instrument) flags |= 0x02;
            if (cell.volume) flags |= 0x04;
            if (cell.effect) flags |= 0x08;
            if (cell.param) flags |= 0x10;
            w.U8(flags);
            if (cell.note) w.U8(cell.note);
            if (cell.instrument) w.U8(cell.instrument);
            if (cell.volume) w.U8(cell.volume);
            if (cell.effect) w.U8(cell.effect);
            if (cell.param) w.U8(cell.param);
        }
    }
    const std::size_t packed = w.Size() - start;
    if (packed > 0xFFFF) throw std::length_error("XM pattern too large");
    w.PatchU16(sizeAt, static_cast<int>(packed));
}

void WriteInstrument(ByteWriter& w, const XmInstrument& ins) {
    const XmSample& s = ins.sample;
    if (ins.volumeEnvelope.size() > kMaxEnvelopePoints)
        throw std::length_error("XM envelope has more than 12 points");
    w.U32(kInstrumentSize);
    w.Text(ins.name, 22);
    w.U8(0);  // type
    w.U16(1); // one sample
    w.U32(kSampleHeaderSize);
    w.Zeros(96); // every note plays sample 0
    for (std::size_t i = 0; i < kMaxEnvelopePoints; ++i) {
        const XmEnvelopePoint pt =
            i < ins.volumeEnvelope.size() ? ins.volumeEnvelope[i] : XmEnvelopePoint{};
        w.U16(pt.tick);
        w.U16(pt.value);
    }
    w.Zeros(48); // panning envelope
    w.U8(static_cast<int>(ins.volumeEnvelope.size()));
    w.U8(0); // panning points
    w.U8(std::max(ins.sustainPoint, 0));
    w.U8(0); // volume loop start
    w.U8(0); // volume loop end
    w.U8(0); // panning sustain
    w.U8(0); // panning loop start
    w.U8(0); // panning loop end
    int volumeType = 0;
    if (!ins.volumeEnvelope.empty()) volumeType |= 1;
    if (!ins.volumeEnvelope.empty() && ins.sustainPoint >= 0) volumeType |= 2;
    w.U8(volumeType);
    w.U8(0); // panning type
    w.U8(ins.vibratoType);
    w.U8(ins.vibratoSweep);
    w.U8(ins.vibratoDepth);
    w.U8(ins.vibratoRate);
    w.U16(ins.fadeout);
    w.Zeros(22); // reserved, pads the header to kInstrumentSize

    // Sample header; lengths are in bytes for 16-bit data.
    const uint32_t frames = static_cast<uint32_t>(s.data.size());
    w.U32(frames * 2);
    w.U32(s.looped ? s.loopStart * 2 : 0);
    w.U32(s.looped ? s.loopLength * 2 : 0);
    w.U8(std::clamp(s.volume, 0, 64));
    w.U8(std::clamp(s.finetune, -128, 127));
    w.U8((s.looped ? 1 : 0) | 0x10); // forward loop flag, 16-bit data
    w.U8(std::clamp(s.panning, 0, 255));
    w.U8(std::clamp(s.relativeNote, -96, 95));
    w.U8(0); // delta-coded PCM
    w.Text(s.name, 22);

    int16_t previous = 0;
    for (int16_t v : s.data) {
        w.U16(static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous)));
        previous = v;
    }
}

} // namespace

std::vector<uint8_t> WriteXm(const XmModule& m) {
    if (m.orders.empty() || m.orders.size() > 256 || m.patterns.size() > 256 ||
        m.instruments.size() > 128 || m.channels < 1 || m.channels > 32)
        throw std::invalid_argument("XM module out of range");
    ByteWriter w;
    w.Text("Extended Module: ", 17);
    w.Text(m.name, 20);
    w.U8(0x1A);
    w.Text("Skyvern assetgen", 20);
    w.U16(0x0104);
    w.U32(kHeaderSize);
    w.U16(static_cast<int>(m.orders.size()));
    w.U16(m.restartPosition);
    w.U16(m.channels);
    w.U16(static_cast<int>(m.patterns.size()));
    w.U16(static_cast<int>(m.instruments.size()));
    w.U16(1); // linear frequency table
    w.U16(m.speed);
    w.U16(m.bpm);
    for (std::size_t i = 0; i < 256; ++i)
        w.U8(i < m.orders.size() ? m.orders[i] : 0);
    for (const XmPattern& p : m.patterns) {
        if (p.channels != m.channels) throw std::invalid_argument("XM pattern channel count");
        WritePattern(w, p);
    }
    for (const XmInstrument& ins : m.instruments)
        WriteInstrument(w, ins);
    return w.Take();
}

} // namespace assetgen
