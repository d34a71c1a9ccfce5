// FrameRecorder_test.cpp -- each recorder belongs to its own surface: two surfaces record side
// by side, and a blit source shared by both that changes before either commits is drawn as it
// was when the call was made.
#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/DXDraw.h"

namespace {

TEST(FrameRecorder, TwoSurfacesRecordSideBySideFromOneSourceThatChanges) {
    TDirectDrawSurface src, a, b;
    src.SetSize(8, 8);
    src.Fill(0x112233);
    a.SetSize(64, 32);
    b.SetSize(64, 32);
    TFrameRecorder ra(a), rb(b);
    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE(frame);
        const uint32_t was = frame ? 0x445566 : 0x112233, next = frame ? 0x778899 : 0x445566;
        a.Fill(0);
        a.Draw(4, 4, {0, 0, 8, 8}, &src, false);
        b.Fill(0);
        b.Draw(40, 20, {0, 0, 8, 8}, &src, false);
        EXPECT_TRUE(rb.Pending());
        src.Fill(next); // both calls must be carried out with the pixels they were made with
        EXPECT_FALSE(ra.Pending());
        EXPECT_FALSE(rb.Pending());
        EXPECT_EQ(a.Pixel(5, 5), was);
        EXPECT_EQ(b.Pixel(41, 21), was);
        EXPECT_EQ(a.Pixel(20, 5), 0u);
        // Both frames differ from the last (a first frame, then a source with new pixels): each
        // recorder reports the tiles its own call covers.
        for (TFrameRecorder* r : {&ra, &rb}) {
            const std::vector<TRect> damage = r->TakeDamage();
            ASSERT_FALSE(damage.empty());
            EXPECT_TRUE(r->TakeDamage().empty()) << "taken once";
        }
    }
    // The same calls from the same pixels: nothing changed on either surface.
    for (int again = 0; again < 2; ++again) {
        a.Fill(0);
        a.Draw(4, 4, {0, 0, 8, 8}, &src, false);
        b.Fill(0);
        b.Draw(40, 20, {0, 0, 8, 8}, &src, false);
        ra.Commit();
        rb.Commit();
        if (again) {
            EXPECT_TRUE(ra.TakeDamage().empty());
            EXPECT_TRUE(rb.TakeDamage().empty());
        }
        ra.TakeDamage();
        rb.TakeDamage();
    }
    EXPECT_EQ(a.Pixel(5, 5), 0x778899u);
}

TEST(FrameRecorder, ASourceThatGoesFirstIsDrawnBeforeItGoesAndARecorderThatGoesDropsItsCalls) {
    TDirectDrawSurface a, kept;
    a.SetSize(32, 16);
    kept.SetSize(4, 4);
    kept.Fill(0x010203);
    {
        TFrameRecorder r(a);
        {
            TDirectDrawSurface gone;
            gone.SetSize(4, 4);
            gone.Fill(0xABCDEF);
            a.Fill(0);
            a.Draw(0, 0, {0, 0, 4, 4}, &gone, false);
        }
        EXPECT_FALSE(r.Pending());
        EXPECT_EQ(a.Pixel(1, 1), 0xABCDEFu);
        a.Draw(8, 0, {0, 0, 4, 4}, &kept, false);
        EXPECT_TRUE(r.Pending());
        // r goes with the call pending: kept must not reach r when it changes later.
    }
    EXPECT_EQ(a.Recorder(), nullptr);
    EXPECT_EQ(a.Pixel(9, 1), 0u) << "the pending call was dropped";
    kept.Fill(0x040506);
    a.Draw(8, 0, {0, 0, 4, 4}, &kept, false); // drawn at once again
    EXPECT_EQ(a.Pixel(9, 1), 0x040506u);
}

} // namespace
