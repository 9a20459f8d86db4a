// One MP3 encoding with LAME: set-up, 16-bit PCM in, MP3 frames out to a byte sink, and at the
// end the flush and the LAME/Xing header frame. Runs on the owning output's worker thread; the
// LAME library must be loaded (LameLibrary) for the whole life of the object.
#pragma once

#include "codecs/ByteSink.h"
#include "codecs/FrameAligner.h"

#include <QString>
#include <memory>
#include <vector>

struct TLameSettings {
    int InSampleRate = 44100; // Hz
    int InChannels = 2;       // 1: each sample is sent to both encoder channels
    qint64 NumSamples = 0;    // samples per channel, 0 when unknown
    int OutSampleRate = 0;    // Hz, 0: the encoder chooses
    int Mode = 0;             // LAME's MPEG_mode: 0 stereo, 1 joint, 2 dual channel, 3 mono
    bool Copyright = false;
    bool Original = true;
    bool Crc = false;
    bool Vbr = false;
    int BitRate = 128; // kbit/s, constant bit rate
    int Quality = 5;   // 0 best .. 9 fastest, constant bit rate
    bool VbrHeader = false;
    int VbrQuality = 5;
    int VbrMinBitRate = 128; // kbit/s
    int VbrMaxBitRate = 192; // kbit/s
};

class TLameEncoder {
public:
    // The most frames one encoder call gets (16384 bytes of 16-bit mono); Encode splits
    // larger blocks.
    static constexpr int MaxFramesPerCall = 8192;
    // The encoder's worst case for 8192 samples per channel: 1.25 x 8192 + 7200 bytes.
    static constexpr int OutputBufferSize = 17440;

    explicit TLameEncoder(TByteSink& sink);
    ~TLameEncoder();
    TLameEncoder(const TLameEncoder&) = delete;
    TLameEncoder& operator=(const TLameEncoder&) = delete;

    // Creates and sets up the encoder; throws ECodecError "LAME init failed" when LAME refuses
    // the parameters. The header frame is reserved when the settings ask for one (constant
    // bit rate always; VBR with VbrHeader) and the sink can seek back to fill it in.
    void Start(const TLameSettings& settings);
    // Encodes `bytes` bytes of 16-bit little-endian PCM (interleaved for stereo). False when
    // LAME reports an error; ErrorText then says which.
    bool Encode(const char* pcm, int bytes);
    // Flushes the encoder, writes the last frames, fills in the header frame and closes the
    // encoder. Safe to call once after Start, also after an Encode error.
    void Finish();
    QString ErrorText() const { return Error; }
    bool HeaderFrameWritten() const { return HeaderWritten; }

private:
    void Close();

    TByteSink& Sink;
    TFrameAligner Aligner; // a frame split between two blocks is kept whole
    struct lame_global_struct* Handle = nullptr;
    std::vector<unsigned char> Buffer;
    std::vector<short> MonoBuffer;
    int Channels = 2;
    qint64 StartPosition = 0; // where the first frame (the header frame) begins
    bool WantHeader = false;
    bool HeaderWritten = false;
    QString Error;
};
