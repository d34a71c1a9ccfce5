// Voices.h -- instrument voices shared by the songs and the sound effects, so a fanfare sounds
// like the band that plays the music.
#pragma once

#include "audio/Synth.h"

namespace assetgen {

// One period of the recorder's tone (nearly a sine, a touch of low harmonics) at `turns`.
double RecorderWave(double turns);

// A complete recorder note: tongued attack, breath, vibrato growing in, soft release.
// `droopSemitones` bends the pitch down over the note (for the game-over sigh).
Signal RecorderNote(double hz, double seconds, double rate, NoiseRng& rng,
                    double droopSemitones = 0.0);

// One low frame-drum stroke: the head's pitch falls as it relaxes, plus the skin's slap.
Signal FrameDrumHit(double seconds, double rate, NoiseRng& rng);

} // namespace assetgen
