// Loudness meter benchmark: measures generated 16-bit stereo 44.1 kHz music with libebur128's
// own integrated mode with sample peak (what the meter was) and with TLoudnessMeter (libebur128
// filtering, 100 ms energies, the gating and the peak done here), fed in the rip's write
// batches, and prints the processor time of each per sample and the loudness each finds.
//   sondrel-loudness-bench [seconds] [rounds]
#include "audio/LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

// Seconds of processor time of the calling thread.
double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const size_t rate = 44100;
    const size_t frames = rate * size_t(argc > 1 ? std::atoi(argv[1]) : 120);
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const size_t batch = 94080; // frames in the rip worker's write batch of 376,320 bytes
    // Noise through a low-pass filter whose level swells slowly, as music does.
    std::vector<int16_t> pcm(2 * frames);
    std::mt19937 g(1);
    std::normal_distribution<double> noise(0.0, 1.0);
    double left = 0.0, right = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double level = 3000.0 * (1.2 + std::sin(double(i) / 200000.0));
        left = 0.98 * left + 0.2 * noise(g);
        right = 0.9 * right + 0.3 * noise(g);
        pcm[2 * i] = int16_t(std::clamp(level * (left + 0.3 * noise(g)), -32768.0, 32767.0));
        pcm[2 * i + 1] = int16_t(std::clamp(level * (right + 0.3 * noise(g)), -32768.0, 32767.0));
    }
    double before = 1e9, after = 1e9, lufsBefore = 0.0, lufsAfter = 0.0;
    for (int r = 0; r < rounds; ++r) {
        double t = ThreadCpu();
        ebur128_state* st = ebur128_init(2, rate, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
        for (size_t p = 0; p < frames; p += batch)
            ebur128_add_frames_short(st, &pcm[2 * p], std::min(batch, frames - p));
        ebur128_loudness_global(st, &lufsBefore);
        ebur128_destroy(&st);
        before = std::min(before, ThreadCpu() - t);

        t = ThreadCpu();
        TLoudnessMeter meter;
        for (size_t p = 0; p < frames; p += batch)
            meter.AddPcm16(reinterpret_cast<const uint8_t*>(&pcm[2 * p]),
                           std::min(batch, frames - p));
        lufsAfter = meter.Loudness();
        after = std::min(after, ThreadCpu() - t);
    }
    const double samples = 2.0 * double(frames);
    std::printf("libebur128, integrated mode and sample peak: %6.2f ns a sample, %.6f LUFS\n",
                before * 1e9 / samples, lufsBefore);
    std::printf("TLoudnessMeter:                              %6.2f ns a sample, %.6f LUFS\n",
                after * 1e9 / samples, lufsAfter);
    return 0;
}
