// Reads the header of a RIFF/WAVE stream up to the first data byte: finds "RIFF" and "WAVE" by
// a byte-wise scan (so leading junk is skipped), then walks the chunks ("fmt ", "fact",
// "data") with case-blind ids. Only a bounded working buffer holds chunk content; large chunks
// are skipped, never copied. Any thread; one stream at a time.
#pragma once

#include "audio/ACS_Types.h"

#include <QByteArray>
#include <QIODevice>

#include <cstdint>

struct TWaveHeader {
    TWavType Type = wtUnsupported; // wtUnsupported also when "data" was not reached
    uint16_t FormatTag = 0;        // the tag of "fmt " (the sub-format's for extensible PCM)
    uint16_t Channels = 0;
    uint32_t SampleRate = 0;
    uint16_t BlockAlign = 0; // bytes per frame (PCM) or per block (ADPCM)
    uint16_t BitsPerSample = 0;
    uint16_t SamplesPerBlock = 0; // ADPCM and MPEG: samples per channel in one block
    uint16_t NumCoef = 0;         // Microsoft ADPCM: coefficient pairs present
    int16_t Coef[32][2] = {};     // Microsoft ADPCM: the pairs (only NumCoef are used)
    bool HasFact = false;
    uint32_t FactSamples = 0;   // samples per channel from "fact"
    uint32_t DataChunkSize = 0; // size field of the "data" chunk as written
    int64_t HeaderLength = 0;   // bytes from the start position to the first data byte
};

class TWaveHeaderReader {
public:
    // Bytes of chunk content the reader keeps; larger chunks are skipped past.
    static constexpr int WorkBufferSize = 4096;
    // The byte-wise scans for "RIFF" and "WAVE" give up after this many bytes.
    static constexpr int ScanLimit = 8192;
    // Most coefficient pairs a Microsoft ADPCM header may carry.
    static constexpr int MaxCoef = 32;

    // Reads from the stream's current position; on return the stream stands at the first
    // data byte when Type is not wtUnsupported.
    static TWaveHeader Read(QIODevice& stream);

    // True when the four bytes match `id`, each byte equal or differing by exactly 32.
    static bool IdMatches(const char* bytes, const char* id);
};
