#include "ImaAdpcmDecoder.h"

#include <algorithm>

namespace {

const int StepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int IndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct TChannelState {
    int Predictor;
    int Index;

    int16_t Expand(int code) {
        const int step = StepTable[Index];
        int diff = step >> 3;
        if (code & 4)
            diff += step;
        if (code & 2)
            diff += step >> 1;
        if (code & 1)
            diff += step >> 2;
        Predictor += (code & 8) ? -diff : diff;
        // Clamped symmetrically, to -32767 rather than -32768.
        Predictor = std::clamp(Predictor, -32767, 32767);
        Index = std::clamp(Index + IndexTable[code], 0, 88);
        return int16_t(Predictor);
    }
};

} // namespace

int TImaAdpcmDecoder::SamplesPerBlock(int blockBytes, int channels) {
    if (channels <= 0 || blockBytes < 4 * channels)
        return 0;
    const int codeBytes = blockBytes - 4 * channels;
    if (channels == 1)
        return 1 + codeBytes * 2;
    // Channels take turns with groups of 4 bytes (8 codes); only whole rounds count.
    return 1 + (codeBytes / (4 * channels)) * 8;
}

int TImaAdpcmDecoder::DecodeBlock(const uint8_t* block, int bytes, int channels, int16_t* out) {
    const int samples = SamplesPerBlock(bytes, channels);
    if (samples == 0)
        return 0;
    TChannelState st[8];
    if (channels > 8)
        return 0;
    for (int c = 0; c < channels; ++c) {
        const uint8_t* h = block + 4 * c;
        st[c].Predictor = int16_t(h[0] | (h[1] << 8));
        st[c].Index = std::min<int>(h[2], 88); // a damaged header must not index past the table
        out[c] = int16_t(st[c].Predictor);
    }
    const uint8_t* codes = block + 4 * channels;
    if (channels == 1) {
        for (int i = 0; i < samples - 1; ++i) {
            const uint8_t b = codes[i >> 1];
            out[1 + i] = st[0].Expand((i & 1) ? (b >> 4) : (b & 15));
        }
        return samples;
    }
    const int rounds = (samples - 1) / 8;
    for (int r = 0; r < rounds; ++r) {
        for (int c = 0; c < channels; ++c) {
            const uint8_t* g = codes + (r * channels + c) * 4;
            for (int k = 0; k < 8; ++k) {
                const uint8_t b = g[k >> 1];
                const int code = (k & 1) ? (b >> 4) : (b & 15);
                out[(1 + r * 8 + k) * channels + c] = st[c].Expand(code);
            }
        }
    }
    return samples;
}
