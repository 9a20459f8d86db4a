// The carry-propagating range coder of APE frames, with the adaptive residual coding of file
// version 3990 on top. Bytes come out most significant first into a caller's byte vector.
// One coder per frame; not shared between threads.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

class TApeRangeCoder {
public:
    // Bytes one residual can take at most (frequency symbol, escape, split base).
    static constexpr size_t kMaxBytesPerResidual = 12;
    // Bytes the start and end of a frame take at most besides the residuals.
    static constexpr size_t kMaxFrameOverhead = 16;

    // `out` must have room for what will be coded (see the constants above).
    explicit TApeRangeCoder(uint8_t* out) : m_out(out) {}

    // Codes residual `r` of a channel whose adaptive state is `ksum` (16384 at frame start).
    void encodeResidual(int32_t r, uint32_t& ksum) {
        // Interleave signs: 0, 1, -1, 2, -2 ... become 0, 1, 2, 3, 4 ...
        const uint32_t u = r > 0 ? (uint32_t(r) << 1) - 1u : 0u - (uint32_t(r) << 1);
        uint32_t pivot = ksum >> 5;
        if (pivot == 0)
            pivot = 1;
        const uint32_t overflow = u / pivot;
        const uint32_t base = u - overflow * pivot;
        ksum += ((u + 1) >> 1) - ((ksum + 16) >> 5);

        if (overflow < 63) {
            encodeFrequency(kCumulative[overflow], kWidth[overflow]);
        } else {
            encodeFrequency(kCumulative[63], kWidth[63]);
            encodeRaw16(overflow >> 16);
            encodeRaw16(overflow & 0xFFFF);
        }
        if (pivot < 65536) {
            encodeUniform(base, pivot);
        } else {
            const int shift = std::bit_width(pivot) - 16;
            encodeUniform(base >> shift, (pivot >> shift) + 1);
            encodeUniform(base & ((1u << shift) - 1), 1u << shift);
        }
    }

    // Ends the frame: flushes the pending bytes and the four closing bytes. Returns the end of
    // the bytes written.
    uint8_t* finish() {
        normalize();
        const uint32_t t = (m_low >> 23) + 1;
        if (t > 0xFF)
            flushPending(uint8_t(m_cache + 1), 0x00);
        else
            flushPending(m_cache, 0xFF);
        *m_out++ = uint8_t(t);
        *m_out++ = 0;
        *m_out++ = 0;
        *m_out++ = 0;
        return m_out;
    }

private:
    static constexpr uint32_t kTop = 1u << 31;
    static constexpr uint32_t kBottom = 1u << 23;

    // Frequency table of the overflow symbol (total 65536).
    static constexpr uint32_t kWidth[64] = {
        19578, 16582, 12257, 7906, 4576, 2366, 1170, 536, 261, 119, 65, 31, 19, 10, 6, 3,
        3,     2,     1,     1,    1,    1,    1,    1,   1,   1,   1,  1,  1,  1,  1, 1,
        1,     1,     1,     1,    1,    1,    1,    1,   1,   1,   1,  1,  1,  1,  1, 1,
        1,     1,     1,     1,    1,    1,    1,    1,   1,   1,   1,  1,  1,  1,  1, 1};
    static constexpr auto kCumulative = [] {
        std::array<uint32_t, 64> c{};
        uint32_t sum = 0;
        for (int i = 0; i < 64; ++i) {
            c[i] = sum;
            sum += kWidth[i];
        }
        return c;
    }();

    void encodeFrequency(uint32_t cumulative, uint32_t width) {
        normalize();
        const uint32_t q = m_range >> 16;
        m_range = q * width;
        m_low += q * cumulative;
    }
    void encodeRaw16(uint32_t v) {
        normalize();
        m_range >>= 16;
        m_low += m_range * v;
    }
    void encodeUniform(uint32_t v, uint32_t m) {
        normalize();
        const uint32_t q = m_range / m;
        m_range = q;
        m_low += q * v;
    }

    void normalize() {
        while (m_range <= kBottom) {
            if (m_low < 0x7F800000u) {
                flushPending(m_cache, 0xFF);
                m_cache = uint8_t(m_low >> 23);
            } else if (m_low >= kTop) {
                flushPending(uint8_t(m_cache + 1), 0x00);
                m_cache = uint8_t(m_low >> 23);
            } else {
                ++m_pending;
            }
            m_low = (m_low << 8) & 0x7FFFFFFFu;
            m_range <<= 8;
        }
    }
    void flushPending(uint8_t first, uint8_t fill) {
        *m_out++ = first;
        for (; m_pending > 0; --m_pending)
            *m_out++ = fill;
    }

    uint8_t* m_out;
    uint32_t m_low = 0;
    uint32_t m_range = kTop;
    uint8_t m_cache = 0;
    uint32_t m_pending = 0;
};
