// libFuzzer target for the WAV header reader and the two ADPCM decoders. Built only with
// -DSONDREL_FUZZ=ON and clang; run e.g. `fuzz_wave -max_total_time=600 corpus/`.
// The first byte picks the part under test; the rest is its input.
#include "audio/ACS_Wave.h"
#include "audio/ImaAdpcmDecoder.h"
#include "audio/MsAdpcmDecoder.h"

#include <QBuffer>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A whole file through the WAV input: header, format checks, decoding of every block.
void fuzzFile(const uint8_t* data, size_t size) {
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    TWaveIn in;
    in.SetStream(&buffer);
    try {
        if (!in.IsValid())
            return;
        in.Open();
        for (int i = 0; i < 100000; ++i) {
            char* out = nullptr;
            int bytes = 4093;
            in.ReadData(out, bytes);
            if (bytes <= 0)
                break;
            volatile char sink = out[bytes - 1];
            (void)sink;
        }
        in.Close();
    } catch (const EAuException&) {
    }
}

void fuzzIma(const uint8_t* data, size_t size) {
    if (size < 1)
        return;
    const int channels = 1 + data[0] % 8;
    const int bytes = int(size - 1);
    std::vector<int16_t> out(size_t(TImaAdpcmDecoder::SamplesPerBlock(bytes, channels)) * channels +
                             1);
    TImaAdpcmDecoder::DecodeBlock(data + 1, bytes, channels, out.data());
}

void fuzzMs(const uint8_t* data, size_t size) {
    if (size < 4)
        return;
    const int channels = 1 + data[0] % 2;
    const int numCoef = data[1] % 33;
    const int samplesPerBlock = data[2] | (data[3] << 8);
    int16_t coef[32][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                           {240, 0}, {460, -208}, {392, -232}};
    for (int i = 7; i < 32; ++i)
        coef[i][0] = coef[i][1] = int16_t(i * 1000);
    std::vector<int16_t> out(size_t(samplesPerBlock) * channels + 1);
    TMsAdpcmDecoder::DecodeBlock(data + 4, int(size - 4), channels, samplesPerBlock, coef, numCoef,
                                 out.data());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    av_log_set_level(AV_LOG_QUIET); // damaged MP3 data makes FFmpeg talk a lot
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    switch (data[0] % 3) {
    case 0:
        fuzzFile(data + 1, size - 1);
        break;
    case 1:
        fuzzIma(data + 1, size - 1);
        break;
    default:
        fuzzMs(data + 1, size - 1);
        break;
    }
    return 0;
}
