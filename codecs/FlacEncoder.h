// One FLAC stream written with libFLAC through callbacks into a byte sink; the encoder's own
// Vorbis-comment block is replaced by one holding our comments. Runs on the owning output's
// worker thread (libFLAC calls the callbacks there too); libFLAC must be loaded for the whole
// life of the object.
#pragma once

#include "codecs/ByteSink.h"
#include "codecs/FrameAligner.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include <FLAC/stream_encoder.h>

struct TFlacSettings {
    int Channels = 2;
    int BitsPerSample = 16;
    int SampleRate = 44100;
    bool Verify = false;
    // Samples per channel in one FLAC block; used with the explicit settings only.
    int BlockSize = 4608;
    // 0..8: the library's preset of that level, block size included; negative: the explicit
    // settings below.
    int CompressionLevel = -1;
    bool MidSideStereo = true; // stereo input only
    bool LooseMidSideStereo = false;
    int MaxLpcOrder = 0;
    int QlpCoeffPrecision = 0;
    bool QlpCoeffPrecisionSearch = false;
    int MinResidualPartitionOrder = 0;
    int MaxResidualPartitionOrder = 0;
    bool ExhaustiveModelSearch = false;
    qint64 TotalSamplesEstimate = 0; // samples per channel, 0 when unknown
    // A PADDING block of this many bytes after the other metadata, so that a tag editor can
    // grow the comments without rewriting the file; 0 for none.
    int PaddingBytes = 8192;
    // A SEEKTABLE block with a point every this many seconds, filled in when the stream is
    // completed; 0 for none. Written only when the length is known and the target can seek.
    int SeekPointSeconds = 10;
    // The comments of the replacement block, each "name=value" in UTF-8, in this order.
    std::vector<QByteArray> Comments;
    // The body of a PICTURE block written right after the comment block; empty for none.
    QByteArray PictureBody;
};

class TFlacEncoder {
public:
    // The vendor string of the replacement comment block.
    static constexpr const char* Vendor = "VENDOR=Hacked";

    explicit TFlacEncoder(TByteSink& sink);
    ~TFlacEncoder();
    TFlacEncoder(const TFlacEncoder&) = delete;
    TFlacEncoder& operator=(const TFlacEncoder&) = delete;

    // Creates and sets up the encoder and writes the stream's metadata. Throws ECodecError
    // "Failed to initialize FLAC encoder. (<reason>)" when libFLAC refuses.
    void Start(const TFlacSettings& settings);
    // Encodes `bytes` bytes of interleaved little-endian PCM of the set width (8-bit unsigned,
    // 16- or 24-bit signed). Throws ECodecError "Failed to encode data." when libFLAC refuses.
    void Encode(const char* pcm, int bytes);
    // Completes the stream (libFLAC seeks back to fill in the stream information) and frees
    // the encoder. Throws ECodecError when the stream could not be completed.
    void Finish();
    // Frees the encoder without completing the stream.
    void Abandon();

    // The replacement Vorbis-comment block: header byte 0x04 (0x84 when `last`), 24-bit
    // big-endian body length, vendor string, comment count and comments.
    static QByteArray CommentBlock(const std::vector<QByteArray>& comments, bool last);
    // A metadata block of `type` around `body`: header byte (0x80 added when `last`), 24-bit
    // big-endian body length, body.
    static QByteArray MetadataBlock(int type, const QByteArray& body, bool last);

    // Callback plumbing, public for the C callbacks only.
    int OnWrite(const unsigned char* bytes, size_t count, unsigned samples);
    int OnSeek(uint64_t offset);
    int OnTell(uint64_t* offset);

private:
    void RetireUnreachedSeekPoints();
    void FreeMetadata();
    // What a refusal of FLAC__stream_encoder_init_stream means, in words.
    std::string InitFailureReason(int status, const TFlacSettings& s) const;

    TByteSink& Sink;
    TFrameAligner Aligner; // a frame split between two blocks is kept whole
    FLAC__StreamEncoder* Encoder = nullptr;
    // The blocks handed to the encoder, kept until it is deleted.
    std::vector<FLAC__StreamMetadata*> Metadata;
    std::vector<QByteArray> Comments;
    QByteArray PictureBody;
    std::vector<int32_t> Samples;
    int Channels = 2;
    int BitsPerSample = 16;
    bool TagsWritten = false;
    bool FramesStarted = false;
    qint64 SeekTableOffset = -1; // where the SEEKTABLE block starts in the target; -1: none
    // The first failure of the target, raised again instead of libFLAC's (with the system's
    // error number it carries).
    std::exception_ptr WriteError;
};
