// The loudness meter against libebur128's own integrated mode, which gates its 400 ms blocks
// itself: the meter composes the blocks from 100 ms energies and gates them here, and must
// give the same loudness, album loudness and sample peak, also at a rate whose 100 ms are no
// whole number of milliseconds (11025 Hz) and when fed in pieces that end anywhere.
#include "audio/LoudnessMeter.h"

#include <gtest/gtest.h>

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

// Stereo noise of `seconds` whose level swells and, every seventh second, drops by 60 dB, so
// that both gates have blocks to remove.
std::vector<int16_t> music(unsigned long rate, double seconds, double level, std::mt19937& g) {
    std::normal_distribution<double> noise(0.0, 1.0);
    const size_t frames = size_t(rate * seconds);
    std::vector<int16_t> pcm(2 * frames);
    double y = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double swell = (i / rate) % 7 == 3 ? 0.001 : 1.0 + std::sin(3.0 * double(i) / rate);
        y = 0.95 * y + 0.3 * noise(g);
        pcm[2 * i] = int16_t(std::clamp(level * swell * y, -32768.0, 32767.0));
        pcm[2 * i + 1] =
            int16_t(std::clamp(level * swell * (y + 0.5 * noise(g)), -32768.0, 32767.0));
    }
    return pcm;
}

TEST(LoudnessMeter, AgreesWithLibebur128sIntegratedMode) {
    std::mt19937 g(7);
    for (unsigned long rate : {44100ul, 11025ul}) {
        SCOPED_TRACE(rate);
        std::vector<std::unique_ptr<TLoudnessMeter>> meters;
        std::vector<ebur128_state*> references;
        for (int track = 0; track < 3; ++track) {
            const std::vector<int16_t> pcm = music(rate, 16.3 + 9 * track, 2000.0 * (track + 1), g);
            const size_t frames = pcm.size() / 2;
            meters.push_back(std::make_unique<TLoudnessMeter>(2, rate));
            references.push_back(ebur128_init(2, rate, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK));
            const size_t call = 23520 + 1001 * size_t(track);
            for (size_t p = 0; p < frames; p += call) {
                const size_t n = std::min(call, frames - p);
                meters.back()->AddPcm16(reinterpret_cast<const uint8_t*>(&pcm[2 * p]), n);
                ebur128_add_frames_short(references.back(), &pcm[2 * p], n);
            }
            double lufs = 0.0, left = 0.0, right = 0.0;
            ebur128_loudness_global(references.back(), &lufs);
            ebur128_sample_peak(references.back(), 0, &left);
            ebur128_sample_peak(references.back(), 1, &right);
            EXPECT_NEAR(meters.back()->Loudness(), lufs, 1e-9);
            EXPECT_EQ(meters.back()->Peak(), std::max(left, right));
        }
        double album = 0.0;
        ebur128_loudness_global_multiple(references.data(), references.size(), &album);
        EXPECT_NEAR(
            TLoudnessMeter::AlbumLoudness({meters[0].get(), meters[1].get(), meters[2].get()}),
            album, 1e-9);
        for (ebur128_state* state : references)
            ebur128_destroy(&state);
    }
}

} // namespace
