// One Ogg Opus stream written with libopusenc: header pages with the comments, PCM in at the
// input's own rate (the library resamples to Opus's 48 kHz), pages out to a byte sink, ending
// with the end-of-stream page. The stream's pre-skip is the encoder's look-ahead, and its last
// page's granule position makes decoders stop after round(N x 48000 / rate) samples for N
// samples in (the library itself rounds that end up). Runs on the owning output's worker
// thread; libopusenc must be loaded for the whole life of the object.
#pragma once

#include "codecs/OggStreamEncoder.h"

#include "codecs/ByteSink.h"
#include "codecs/FrameAligner.h"

#include <QByteArray>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

struct OggOpusEnc;

struct TOpusSettings {
    int Channels = 2;       // 1..8
    int SampleRate = 44100; // Hz of the PCM handed in
    int Bitrate = 128000;   // bit/s of the whole stream, the VBR target
    int Complexity = 10;    // 0..10
    int Serial = 0;         // of the Ogg logical stream
    // Vorbis-style comments as UTF-8 name and value, written in this order.
    std::vector<std::pair<QByteArray, QByteArray>> Comments;
};

class TOpusEncoder : public TOggStreamEncoder {
public:
    explicit TOpusEncoder(TByteSink& sink);
    ~TOpusEncoder() override;
    TOpusEncoder(const TOpusEncoder&) = delete;
    TOpusEncoder& operator=(const TOpusEncoder&) = delete;

    // Sets up the encoder; the header pages follow with the first audio. Throws ECodecError
    // when libopusenc refuses the set-up, naming the setting and the library's reason.
    void Start(const TOpusSettings& settings);
    // Encodes `bytes` bytes of interleaved little-endian PCM of `bitsPerSample` (8 unsigned,
    // 16, 24 or 32 signed) and writes the pages that are complete. bytes = 0 ends the stream:
    // the rest is encoded and the end-of-stream page written. A failure of the sink is thrown
    // as the sink threw it; one of the library as ECodecError.
    void Encode(const char* pcm, int bytes, int bitsPerSample) override;
    bool EndOfStream() const override { return Ended; }
    // Sample frames handed in so far.
    int64_t Samples() const { return InSamples; }
    // Frees the encoder (also when the stream was not ended).
    void Clear();

private:
    static int WritePage(void* user, const unsigned char* data, int32_t length);
    static int CloseStream(void* user);
    void Check(int rc, const char* what);

    TByteSink& Sink;
    TFrameAligner Aligner; // a frame split between two blocks is kept whole
    OggOpusEnc* Enc = nullptr;
    int Channels = 2;
    int Rate = 44100;
    int64_t InSamples = 0;
    std::vector<float> Floats;
    std::exception_ptr SinkError; // what the sink threw inside the library's callback
    bool Ended = false;
};
