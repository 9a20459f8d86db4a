// Compresses one APE frame of 16-bit PCM into its logical byte stream (CRC word, optional
// flags word, range-coded residuals). Frames are independent, so one encoder per thread can
// work on different frames at once; an encoder is used by one thread at a time.
#pragma once

#include "codecs/ape/ApeNNFilter.h"
#include "codecs/ape/ApePredictor.h"

#include <cstdint>
#include <memory>
#include <vector>

class TApeFrameEncoder {
public:
    // `level` is 1000..5000 (step 1000), `channels` 1 or 2.
    TApeFrameEncoder(int level, int channels);

    // Blocks per frame written at `level` (0 for an unknown level).
    static int blocksPerFrame(int level);

    // Appends the frame's logical bytes for `blocks` blocks of interleaved 16-bit little-endian
    // PCM at `pcm` to `out`.
    void encode(const uint8_t* pcm, int blocks, std::vector<uint8_t>& out);

private:
    struct TChannel {
        TApePredictor predictor;
        std::vector<std::unique_ptr<TApeNNFilter>> filters; // in the order they are applied
        uint32_t ksum = 16384;

        void reset();
        int32_t compress(int32_t v, int32_t cross) {
            int32_t r = predictor.compress(v, cross);
            for (auto& f : filters)
                r = f->compress(r);
            return r;
        }
    };

    int m_channels;
    TChannel m_x; // mono channel, or X = ch0 + (ch1 - ch0) / 2
    TChannel m_y; // Y = ch1 - ch0
};
