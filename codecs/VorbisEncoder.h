// One Ogg Vorbis logical stream: encoder set-up, header pages, PCM in, pages out to a byte
// sink, ending with the end-of-stream page. Runs on the owning output's worker thread; libogg,
// libvorbis and libvorbisenc must be loaded for the whole life of the object.
#pragma once

#include "codecs/OggStreamEncoder.h"

#include "codecs/ByteSink.h"
#include "codecs/FrameAligner.h"

#include <QByteArray>
#include <utility>
#include <vector>

#include <ogg/ogg.h>
#include <vorbis/codec.h>

struct TVorbisSettings {
    int Channels = 2;
    int SampleRate = 44100; // Hz
    // Quality mode when NominalBitRate is -1: Quality from -0.1 (smallest) to 1.0 (best).
    float Quality = 0.2f;
    // Managed mode otherwise, in bit/s; -1 leaves a limit open.
    long MaxBitRate = -1;
    long NominalBitRate = -1;
    long MinBitRate = -1;
    int Serial = 0;
    // Vorbis comments as UTF-8 name and value, written in this order.
    std::vector<std::pair<QByteArray, QByteArray>> Comments;
};

class TVorbisEncoder : public TOggStreamEncoder {
public:
    explicit TVorbisEncoder(TByteSink& sink);
    ~TVorbisEncoder() override;
    TVorbisEncoder(const TVorbisEncoder&) = delete;
    TVorbisEncoder& operator=(const TVorbisEncoder&) = delete;

    // Sets up the encoder and writes the header pages. Throws ECodecError when libvorbisenc
    // refuses the set-up ("Vorbis codec setup with the requested bitrate failed. Try a lower
    // bitrate." in managed mode).
    void Start(const TVorbisSettings& settings);
    // Encodes `bytes` bytes of interleaved little-endian PCM of `bitsPerSample` (8, 16 or
    // 24) and writes every page that is complete. bytes = 0 marks the end of the stream: the
    // rest is encoded and the end-of-stream page written.
    void Encode(const char* pcm, int bytes, int bitsPerSample) override;
    bool EndOfStream() const override { return EosWritten; }
    // Frees the encoder's state (also when the stream was not ended).
    void Clear();

private:
    void WritePage(const ogg_page& page);
    void Drain();

    TByteSink& Sink;
    TFrameAligner Aligner; // a frame split between two blocks is kept whole
    ogg_stream_state Stream{};
    vorbis_info Info{};
    vorbis_comment Comment{};
    vorbis_dsp_state Dsp{};
    vorbis_block Block{};
    int Channels = 2;
    bool Started = false;
    bool EosWritten = false;
};
