// One encoding format of a WMA codec: what the encoder is opened with and how the options
// dialog names it. Plain value, copied freely between threads.
#pragma once

#include <QString>
#include <cstdint>

struct TWmaFormat {
    uint32_t Bitrate = 0;        // bit/s
    uint32_t SampleRate = 0;     // Hz
    uint16_t Channels = 0;       // 1 or 2
    uint16_t BitsPerSample = 16; // of the PCM the format takes (the wave-format header's value)
    bool Vbr = false;
    bool Lossless = false;
    QString Description; // e.g. "128 kbps, 44 kHz, stereo CBR"
};
