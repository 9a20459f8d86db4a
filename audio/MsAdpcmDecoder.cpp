#include "MsAdpcmDecoder.h"

#include <algorithm>
#include <climits>

namespace {

const int AdaptationTable[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                 768, 614, 512, 409, 307, 230, 230, 230};

struct TChannelState {
    int Coef1, Coef2;
    int Delta;
    int Sample1, Sample2; // the newest and the one before

    int16_t Expand(int code) {
        // Integer division truncates toward zero, as the format's reference decoder does.
        int sample = (Sample1 * Coef1 + Sample2 * Coef2) / 256;
        const int signedCode = (code & 8) ? code - 16 : code;
        sample += signedCode * Delta;
        sample = std::clamp(sample, -32768, 32767);
        Delta = (Delta * AdaptationTable[code]) / 256;
        // Bounded below as the format requires and above so that it can never overflow.
        Delta = std::clamp(Delta, 16, INT_MAX / 768);
        Sample2 = Sample1;
        Sample1 = sample;
        return int16_t(sample);
    }
};

int16_t le16(const uint8_t* p) {
    return int16_t(p[0] | (p[1] << 8));
}

} // namespace

int TMsAdpcmDecoder::DecodeBlock(const uint8_t* block, int bytes, int channels, int samplesPerBlock,
                                 const int16_t (*coef)[2], int numCoef, int16_t* out) {
    if (channels < 1 || channels > 2 || samplesPerBlock < 2 || bytes < HeaderBytes(channels))
        return 0;
    const int codeBytes = bytes - HeaderBytes(channels);
    const int samples = std::min(samplesPerBlock, 2 + codeBytes * 2 / channels);
    TChannelState st[2];
    bool silent = false;
    for (int c = 0; c < channels; ++c) {
        const int index = block[c];
        if (index >= numCoef) {
            silent = true;
            continue;
        }
        st[c].Coef1 = coef[index][0];
        st[c].Coef2 = coef[index][1];
        st[c].Delta = le16(block + channels + 2 * c);
        st[c].Sample1 = le16(block + 3 * channels + 2 * c);
        st[c].Sample2 = le16(block + 5 * channels + 2 * c);
    }
    if (silent) {
        std::fill(out, out + samples * channels, int16_t(0));
        return samples;
    }
    for (int c = 0; c < channels; ++c) {
        out[c] = int16_t(st[c].Sample2);
        out[channels + c] = int16_t(st[c].Sample1);
    }
    const uint8_t* codes = block + HeaderBytes(channels);
    const int codeCount = (samples - 2) * channels;
    for (int i = 0; i < codeCount; ++i) {
        const uint8_t b = codes[i >> 1];
        const int code = (i & 1) ? (b & 15) : (b >> 4);
        const int c = i % channels;
        out[2 * channels + i] = st[c].Expand(code);
    }
    return samples;
}
