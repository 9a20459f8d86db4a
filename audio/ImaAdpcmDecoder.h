// Decodes the DVI/IMA ADPCM blocks of WAV files to 16-bit interleaved PCM. Pure functions over
// byte buffers; any thread.
#pragma once

#include <cstdint>

class TImaAdpcmDecoder {
public:
    // Samples per channel that a whole block of `blockBytes` gives (0 when it is too small).
    static int SamplesPerBlock(int blockBytes, int channels);
    // Decodes one block of `bytes` bytes (a short last block decodes as far as it goes) into
    // `out`, interleaved; `out` must hold SamplesPerBlock(bytes, channels) * channels
    // samples. Returns the samples per channel written; 0 when not even the block header
    // is there.
    static int DecodeBlock(const uint8_t* block, int bytes, int channels, int16_t* out);
};
