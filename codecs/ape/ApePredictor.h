// The first two prediction stages of one APE channel: a scaled first-order filter on the
// channel's own value and on its cross-channel input, then a 4 + 5 tap sign-sign LMS
// predictor. One per channel of one frame encoder (one thread).
#pragma once

#include <cstdint>

class TApePredictor {
public:
    // Back to the state at the start of a frame.
    void reset() { *this = TApePredictor(); }

    // Predicts value `v` from its past and from the cross input `z` (the other channel's value
    // as the decoder will know it; 0 for mono) and returns the residual.
    int32_t compress(int32_t v, int32_t z) {
        const int32_t a = v - ((m_lastOwn * 31) >> 5);
        const int32_t b = z - ((m_lastCross * 31) >> 5);
        m_lastOwn = v;
        m_lastCross = z;

        const int32_t ta[4] = {m_a[0], m_a[0] - m_a[1], m_a[1] - m_a[2], m_a[2] - m_a[3]};
        const int32_t tb[5] = {b, b - m_b[0], m_b[0] - m_b[1], m_b[1] - m_b[2], m_b[2] - m_b[3]};
        // Sums wrap at 32 bits.
        uint32_t pa = 0;
        for (int i = 0; i < 4; ++i)
            pa += uint32_t(ta[i]) * uint32_t(m_ma[i]);
        uint32_t pb = 0;
        for (int i = 0; i < 5; ++i)
            pb += uint32_t(tb[i]) * uint32_t(m_mb[i]);
        const int32_t sum = int32_t(pa + uint32_t(int32_t(pb) >> 1));
        const int32_t e = int32_t(uint32_t(a) - uint32_t(sum >> 10));

        if (e > 0) {
            for (int i = 0; i < 4; ++i)
                m_ma[i] += sign(ta[i]);
            for (int i = 0; i < 5; ++i)
                m_mb[i] += sign(tb[i]);
        } else if (e < 0) {
            for (int i = 0; i < 4; ++i)
                m_ma[i] -= sign(ta[i]);
            for (int i = 0; i < 5; ++i)
                m_mb[i] -= sign(tb[i]);
        }

        m_a[3] = m_a[2];
        m_a[2] = m_a[1];
        m_a[1] = m_a[0];
        m_a[0] = a;
        m_b[3] = m_b[2];
        m_b[2] = m_b[1];
        m_b[1] = m_b[0];
        m_b[0] = b;
        return e;
    }

private:
    static int32_t sign(int32_t v) { return (v > 0) - (v < 0); }

    int32_t m_lastOwn = 0;   // previous own value (stage 1)
    int32_t m_lastCross = 0; // previous cross input (stage 1)
    int32_t m_a[4] = {};     // stage-1 outputs of the own value, newest first
    int32_t m_b[4] = {};     // stage-1 outputs of the cross input, newest first
    int32_t m_ma[4] = {360, 317, -109, 98};
    int32_t m_mb[5] = {};
};
