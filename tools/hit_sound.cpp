// Asset generator: the hit sound HIT, a short pop as an 8-bit mono RIFF WAVE file.
#include "tools/hit_sound.h"

#include "platform/sound/wave.h"
#include "tools/asset_math.h"

namespace assets {
namespace {

// One sample of the pop, in [-1, 1], at sample index n. A bright tone whose pitch falls quickly
// from about 1.5 kHz to 520 Hz (the "p" of the pop), its octave for a little sparkle, and a few
// milliseconds of soft noise for the burst itself, all under a fast attack and an exponential
// decay that a final fade brings to exactly nothing at kHitSoundEnd.
struct PopVoice {
    double phase = 0;
    double decay = 1, overtone = 1, burst = 1;
    double noiseLow = 0;
    std::uint32_t noiseSeed = 0x2545F491;

    double Next(int n) {
        double t = static_cast<double>(n) / kHitRate;
        double freq = 520 + 980 * Exp(-t / 0.022);
        phase += 2 * kPi * freq / kHitRate;
        double tone = Sine(phase) + 0.30 * overtone * Sine(2 * phase + 0.6);
        noiseSeed = noiseSeed * 1664525u + 1013904223u;
        double white = static_cast<double>(noiseSeed >> 8) / 8388608.0 - 1;  // [-1, 1)
        noiseLow += 0.35 * (white - noiseLow);                               // soften the hiss
        double attack = n < 22 ? n / 22.0 : 1;                               // 2 ms, no click
        double fade = n < 2200 ? 1 : n >= kHitSoundEnd ? 0 : (kHitSoundEnd - n) / 1100.0;
        double sample = attack * fade * (0.78 * decay * tone + 0.45 * burst * noiseLow);
        decay *= kDecayStep;
        overtone *= kOvertoneStep;
        burst *= kBurstStep;
        return sample;
    }

    // Per-sample multipliers: the tone falls to 1/e in 45 ms, its octave in 15 ms, the burst in 4 ms.
    static inline const double kDecayStep = Exp(-1.0 / (0.045 * kHitRate));
    static inline const double kOvertoneStep = Exp(-1.0 / (0.015 * kHitRate));
    static inline const double kBurstStep = Exp(-1.0 / (0.004 * kHitRate));
};

}  // namespace

Bytes MakeHitSound() {
    Bytes out;
    out.reserve(44 + kHitDataBytes);
    platform::putText(out, "RIFF");
    platform::putLe32(out, 36 + kHitDataBytes);  // everything after this field
    platform::putText(out, "WAVE");
    platform::putText(out, "fmt ");
    platform::putLe32(out, 16);
    platform::putWaveFormatFields(out, platform::WAVE_FORMAT_PCM, 1, kHitRate, 8);   // mono, 8 bits
    platform::putText(out, "data");
    platform::putLe32(out, kHitDataBytes);

    PopVoice voice;
    for (int n = 0; n < kHitDataBytes; ++n) {
        double s = n < kHitSoundEnd ? voice.Next(n) : 0;
        out.push_back(static_cast<std::uint8_t>(RoundClamp(kHitSilent + 127 * s, 1, 255)));
    }
    return out;
}

}  // namespace assets
