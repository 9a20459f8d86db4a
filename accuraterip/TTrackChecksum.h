// The checksums of one ripped track, gathered while its audio is read: CRC32 of all its bytes,
// and the AccurateRip v1 and v2 sums, in which the first track of the disc leaves out its
// first 5 × 588 − 1 samples and the last track its last 5 × 588 samples. Plain value type; one
// thread at a time (the rip worker's).
#pragma once

#include <cstddef>
#include <cstdint>

class TTrackChecksum {
public:
    static constexpr int64_t SamplesPerSector = 588; // stereo sample pairs in 2352 bytes
    static constexpr int64_t SkippedSectors = 5;

    // `totalSamples`: the track's length in stereo sample pairs; `first`/`last`: whether it is
    // the first or the last track of the disc (both for a one-track disc).
    TTrackChecksum(int64_t totalSamples, bool first, bool last);

    // Adds the next `bytes` of the track (16-bit little-endian stereo), a whole number of
    // sample pairs except possibly at the very end.
    void Add(const uint8_t* data, size_t bytes);

    uint32_t Crc32() const { return m_crc; }
    uint32_t ArV1() const { return uint32_t(m_lows); }
    uint32_t ArV2() const;
    // Sample pairs added so far.
    int64_t Samples() const { return m_index; }

private:
    int64_t m_firstChecked; // 1-based index of the first sample pair in the AR sums
    int64_t m_lastChecked;  // and of the last
    int64_t m_index = 0;    // sample pairs seen
    uint32_t m_crc = 0;
    // The AR sums as two 64-bit totals over the products index × sample pair: their sum
    // (modulo 2^64) and the exact sum of their low 32 bits. v1 is the latter's low half.
    uint64_t m_products = 0;
    uint64_t m_lows = 0;
};
