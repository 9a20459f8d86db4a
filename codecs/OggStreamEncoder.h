// What an output needs of an encoder that writes one Ogg logical stream (Vorbis, Opus): PCM in,
// pages out through its sink, and whether the end-of-stream page has been written.
// Used on the output's worker thread only.
#pragma once

class TOggStreamEncoder {
public:
    virtual ~TOggStreamEncoder() = default;
    // Encodes `bytes` bytes of interleaved little-endian PCM of `bitsPerSample`; bytes = 0 ends
    // the stream (the rest encoded, the end-of-stream page written).
    virtual void Encode(const char* pcm, int bytes, int bitsPerSample) = 0;
    virtual bool EndOfStream() const = 0;
};
