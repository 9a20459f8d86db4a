#include "LoudnessMeter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <ebur128.h>
#include <stdexcept>

namespace {
// libebur128 filters (K-weighting) and gives the energy of the last 100 ms; the gating blocks
// of 400 ms every 100 ms and the gating are ours (BS.1770-4, as libebur128's own integrated
// mode does them, exactly: every block kept). In its integrated mode libebur128 sums each
// block's 400 ms anew, every sample four times, a quarter of its time; the mean of four
// 100 ms energies is the same block. The sample peak is ours too: libebur128 finds it one
// channel at a time with a comparison per sample, a tenth of its time.
constexpr int MeterMode = EBUR128_MODE_M;

// BS.1770's absolute gate, -70 LUFS, and relative gate, 10 LU below the mean of the blocks
// above the absolute gate, as energies.
const double AbsoluteGate = std::pow(10.0, (-70.0 + 0.691) / 10.0);
const double RelativeGateFactor = std::pow(10.0, -10.0 / 10.0);

double energyOf(double lufs) {
    return std::isfinite(lufs) ? std::pow(10.0, (lufs + 0.691) / 10.0) : 0.0;
}

double lufsOf(double energy) {
    return 10.0 * (std::log(energy) / std::log(10.0)) - 0.691;
}

// The integrated loudness of the gating blocks of `lists` taken as one programme, in LUFS.
double gatedLoudness(const std::vector<const std::vector<double>*>& lists) {
    double sum = 0.0;
    size_t count = 0;
    for (const std::vector<double>* blocks : lists) {
        for (double z : *blocks)
            sum += z;
        count += blocks->size();
    }
    if (count == 0)
        return -HUGE_VAL;
    const double relative = sum / double(count) * RelativeGateFactor;
    sum = 0.0;
    count = 0;
    for (const std::vector<double>* blocks : lists)
        for (double z : *blocks)
            if (z >= relative) {
                sum += z;
                ++count;
            }
    return count == 0 ? -HUGE_VAL : lufsOf(sum / double(count));
}

// The largest magnitude of `n` samples, as a positive integer (32768 for -32768).
int peakOf(const int16_t* samples, size_t n) {
    // Two plain reductions, which the compiler turns into vector instructions.
    int16_t lo = 0, hi = 0;
    for (size_t i = 0; i < n; ++i) {
        lo = std::min(lo, samples[i]);
        hi = std::max(hi, samples[i]);
    }
    return std::max(-int(lo), int(hi));
}
} // namespace

struct TLoudnessMeter::TState {
    ebur128_state* St = nullptr;
    ~TState() { ebur128_destroy(&St); }
};

TLoudnessMeter::TLoudnessMeter(unsigned channels, unsigned long sampleRate)
    : m_state(std::make_unique<TState>()), m_channels(channels),
      m_pieceFrames((sampleRate + 5) / 10),
      m_windowIsPiece(sampleRate * 100 / 1000 == (sampleRate + 5) / 10) {
    m_state->St = ebur128_init(channels, sampleRate, MeterMode);
    if (!m_state->St)
        throw std::runtime_error("libebur128 cannot measure this audio layout");
}

TLoudnessMeter::~TLoudnessMeter() = default;

template <class T, class Add> void TLoudnessMeter::feed(const T* samples, size_t frames, Add add) {
    // In pieces that end where libebur128's 100 ms do, so that each piece's energy is known.
    while (frames > 0) {
        const size_t n = std::min(frames, m_pieceFrames - m_filled);
        add(m_state->St, samples, n);
        samples += n * m_channels;
        frames -= n;
        m_filled += n;
        if (m_filled == m_pieceFrames) {
            m_filled = 0;
            endPiece();
        }
    }
}

void TLoudnessMeter::endPiece() {
    ++m_pieces;
    double lufs = -HUGE_VAL;
    double block = 0.0;
    if (m_windowIsPiece) {
        ebur128_loudness_window(m_state->St, 100, &lufs);
        m_lastPieces[m_pieces % 4] = energyOf(lufs);
        if (m_pieces < 4)
            return;
        block = (m_lastPieces[0] + m_lastPieces[1] + m_lastPieces[2] + m_lastPieces[3]) / 4.0;
    } else {
        // A rate whose 100 ms are no whole number of milliseconds' frames (11025 Hz): the
        // block of 400 ms at once.
        if (m_pieces < 4)
            return;
        ebur128_loudness_momentary(m_state->St, &lufs);
        block = energyOf(lufs);
    }
    if (block >= AbsoluteGate)
        m_blocks.push_back(block);
}

void TLoudnessMeter::AddPcm16(const uint8_t* data, size_t frames) {
    const int16_t* samples = nullptr;
    const size_t n = frames * m_channels;
    if (std::endian::native == std::endian::little &&
        reinterpret_cast<uintptr_t>(data) % alignof(int16_t) == 0) {
        samples = reinterpret_cast<const int16_t*>(data);
    } else {
        m_samples.resize(n);
        for (size_t i = 0; i < n; ++i)
            m_samples[i] = int16_t(uint16_t(data[2 * i] | (data[2 * i + 1] << 8)));
        samples = m_samples.data();
    }
    m_peak = std::max(m_peak, peakOf(samples, n) / 32768.0);
    feed(samples, frames, ebur128_add_frames_short);
}

void TLoudnessMeter::AddFloat(const float* data, size_t frames) {
    float peak = 0.0f;
    for (size_t i = 0, n = frames * m_channels; i < n; ++i)
        peak = std::max(peak, std::fabs(data[i]));
    m_peak = std::max(m_peak, double(peak));
    feed(data, frames, ebur128_add_frames_float);
}

double TLoudnessMeter::Loudness() const {
    return gatedLoudness({&m_blocks});
}

double TLoudnessMeter::Peak() const {
    return m_peak;
}

double TLoudnessMeter::AlbumLoudness(const std::vector<const TLoudnessMeter*>& meters) {
    std::vector<const std::vector<double>*> lists;
    for (const TLoudnessMeter* m : meters)
        lists.push_back(&m->m_blocks);
    return gatedLoudness(lists);
}
