// SongInstruments.h -- the synthesized sample instruments shared by the menu and game songs:
// recorder lead, plucked string, soft bass and the frame-drum kit.
#pragma once

#include "audio/XmWriter.h"

namespace assetgen {

// Tracker notes: XM note byte for a MIDI note; XM C-4 (49) sounds middle C (MIDI 60).
constexpr int XmNote(int midi) {
    return midi - 11;
}

// Envelopes and auto-vibrato count in ticks, so they take the song's tick rate (bpm * 2 / 5).
XmInstrument MakeRecorder(double ticksPerSecond);
XmInstrument MakeBass(double ticksPerSecond);
XmInstrument MakePluck();
// Percussion plays at C-4 (MIDI 60) at the rate it was made.
XmInstrument MakeFrameDrum();
XmInstrument MakeDrumSlap();
XmInstrument MakeJingles();

} // namespace assetgen
