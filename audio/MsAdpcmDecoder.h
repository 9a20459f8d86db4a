// Decodes the Microsoft ADPCM blocks of WAV files to 16-bit interleaved PCM. Pure functions
// over byte buffers; any thread.
#pragma once

#include <cstdint>

class TMsAdpcmDecoder {
public:
    // Bytes of the block header: predictor index, delta, first and second sample per channel.
    static int HeaderBytes(int channels) { return 7 * channels; }
    // Decodes one block of `bytes` bytes into `out` (interleaved; room for
    // samplesPerBlock * channels samples). A short last block decodes as far as its codes go.
    // The coefficient pair of each channel is chosen by the predictor index in the block
    // header; an index at or beyond `numCoef` makes the whole block silent. Returns the
    // samples per channel written; 0 when not even the block header is there.
    static int DecodeBlock(const uint8_t* block, int bytes, int channels, int samplesPerBlock,
                           const int16_t (*coef)[2], int numCoef, int16_t* out);
};
