// XM writer: a module written by us must read back in libxmp field for field.
#include "audio/XmWriter.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <memory>

namespace assetgen {
namespace {

struct XmpContext {
    xmp_context ctx = xmp_create_context();
    ~XmpContext() {
        xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
};

class XmWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module.name = "round trip";
        module.channels = 3;
        module.speed = 4;
        module.bpm = 150;
        module.orders = {1, 0, 1};
        module.restartPosition = 1;

        XmPattern first(8, 3);
        first.At(0, 0) = {49, 1, 0x10 + 40, 0, 0};
        first.At(3, 2) = {kXmKeyOff, 0, 0, 0, 0};
        first.At(5, 1) = {0, 0, 0, 0x0F, 0x05}; // effect only, no note
        first.At(7, 2) = {61, 1, 0, 0, 0};
        XmPattern second(16, 3);
        second.At(15, 1) = {1, 1, 0x10 + 64, 0x10, 0x20};
        module.patterns = {first, second};

        XmInstrument ins;
        ins.name = "test instrument";
        for (int i = 0; i < 64; ++i)
            ins.sample.data.push_back(static_cast<int16_t>(i * 1031 - 30000));
        ins.sample.data[20] = 32767;
        ins.sample.data[21] = -32768; // the largest possible delta
        ins.sample.looped = true;
        ins.sample.loopStart = 10;
        ins.sample.loopLength = 20;
        ins.sample.volume = 40;
        ins.sample.finetune = -16;
        ins.sample.relativeNote = 12;
        ins.sample.panning = 200;
        ins.volumeEnvelope = {{0, 10}, {4, 64}, {20, 32}};
        ins.sustainPoint = 1;
        ins.fadeout = 300;
        module.instruments = {ins};
    }

    const xmp_module* Load(XmpContext& xmp) {
        bytes = WriteXm(module);
        if (xmp_load_module_from_memory(xmp.ctx, bytes.data(), static_cast<long>(bytes.size())))
            return nullptr;
        xmp_module_info info;
        xmp_get_module_info(xmp.ctx, &info);
        return info.mod;
    }

    const xmp_event& Event(const xmp_module* m, int pattern, int row, int channel) {
        return m->xxt[m->xxp[pattern]->index[channel]]->event[row];
    }

    XmModule module;
    std::vector<uint8_t> bytes;
};

TEST_F(XmWriterTest, HeaderAndOrdersReadBack) {
    XmpContext xmp;
    const xmp_module* m = Load(xmp);
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->name, "round trip");
    EXPECT_EQ(m->chn, 3);
    EXPECT_EQ(m->spd, 4);
    EXPECT_EQ(m->bpm, 150);
    ASSERT_EQ(m->len, 3);
    EXPECT_EQ(m->xxo[0], 1);
    EXPECT_EQ(m->xxo[1], 0);
    EXPECT_EQ(m->rst, 1);
    EXPECT_EQ(m->ins, 1);
    EXPECT_GE(m->pat, 2);
    EXPECT_EQ(m->xxp[0]->rows, 8);
    EXPECT_EQ(m->xxp[1]->rows, 16);
}

TEST_F(XmWriterTest, PackedCellsReadBack) {
    XmpContext xmp;
    const xmp_module* m = Load(xmp);
    ASSERT_NE(m, nullptr);
    const xmp_event& note = Event(m, 0, 0, 0);
    EXPECT_EQ(note.ins, 1);
    EXPECT_EQ(note.vol, 40 + 1); // libxmp keeps 0 for "no volume"
    EXPECT_EQ(Event(m, 0, 3, 2).note, XMP_KEY_OFF);
    const xmp_event& fx = Event(m, 0, 5, 1);
    EXPECT_EQ(fx.note, 0);
    EXPECT_EQ(fx.fxt, 0x0F);
    EXPECT_EQ(fx.fxp, 0x05);
    // An octave apart in the file is an octave apart in the player.
    EXPECT_EQ(Event(m, 0, 7, 2).note - note.note, 12);
    EXPECT_EQ(Event(m, 1, 15, 1).note - note.note, -48);
    EXPECT_EQ(Event(m, 1, 15, 1).vol, 64 + 1);
    // Cells left empty stay empty.
    const xmp_event& empty = Event(m, 1, 3, 0);
    EXPECT_EQ(empty.note, 0);
    EXPECT_EQ(empty.ins, 0);
    EXPECT_EQ(empty.vol, 0);
}

TEST_F(XmWriterTest, InstrumentAndSampleReadBack) {
    XmpContext xmp;
    const xmp_module* m = Load(xmp);
    ASSERT_NE(m, nullptr);
    const xmp_sample& s = m->xxs[0];
    ASSERT_EQ(s.len, 64);
    EXPECT_TRUE(s.flg & XMP_SAMPLE_16BIT);
    EXPECT_TRUE(s.flg & XMP_SAMPLE_LOOP);
    EXPECT_EQ(s.lps, 10);
    EXPECT_EQ(s.lpe, 30);
    const auto* data = reinterpret_cast<const int16_t*>(s.data);
    // The player may rewrite what lies past the loop end (it never sounds); the rest must match.
    for (int i = 0; i < s.lpe; ++i)
        EXPECT_EQ(data[i], module.instruments[0].sample.data[i]) << i;

    const xmp_instrument& ins = m->xxi[0];
    EXPECT_STREQ(ins.name, "test instrument");
    ASSERT_EQ(ins.nsm, 1);
    EXPECT_EQ(ins.sub[0].vol, 40);
    EXPECT_EQ(ins.sub[0].pan, 200);
    EXPECT_EQ(ins.sub[0].xpo, 12);
    EXPECT_EQ(ins.sub[0].fin, -16);
    const xmp_envelope& env = ins.aei;
    EXPECT_TRUE(env.flg & XMP_ENVELOPE_ON);
    EXPECT_TRUE(env.flg & XMP_ENVELOPE_SUS);
    ASSERT_EQ(env.npt, 3);
    EXPECT_EQ(env.sus, 1);
    EXPECT_EQ(env.data[2], 4);  // second point: tick
    EXPECT_EQ(env.data[3], 64); // and value
    EXPECT_EQ(env.data[5], 32);
}

TEST_F(XmWriterTest, RejectsWhatTheFormatCannotHold) {
    XmModule bad = module;
    bad.orders.clear();
    EXPECT_THROW(WriteXm(bad), std::invalid_argument);
    bad = module;
    bad.patterns[0] = XmPattern(8, 2);
    EXPECT_THROW(WriteXm(bad), std::invalid_argument);
    bad = module;
    bad.instruments[0].volumeEnvelope.resize(13);
    EXPECT_THROW(WriteXm(bad), std::length_error);
}

} // namespace
} // namespace assetgen
