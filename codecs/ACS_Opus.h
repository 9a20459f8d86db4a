// The Ogg Opus output: encodes PCM from its input into an .opus file with libopusenc, which it
// loads at run time while any Opus output exists, writing its Comments as the stream's
// Vorbis-style comments and the cover as a METADATA_BLOCK_PICTURE comment.
//
// Threads: properties are set on the GUI thread while the output is idle; PrepareOutput,
// WriteBlock and FinishOutput run on the output's worker thread, which alone uses the encoder.
// Construction and destruction (and so loading and releasing the library) are GUI-thread.
#pragma once

#include "codecs/OggFileOut.h"

class TOpusOut : public TOggFileOut {
public:
    // Loads libopusenc unless another Opus output has; raises EAuException "libopusenc.so.0
    // library could not be loaded." when it cannot.
    explicit TOpusOut(QObject* owner = nullptr);
    ~TOpusOut() override;

    // The bit rate the variable-rate encoder aims at, kbit/s of the whole stream; values
    // outside 6..256 are brought to the nearest end.
    int Bitrate() const { return FBitrate; }
    void SetBitrate(int kbps);
    // The encoder's effort, 0 (fastest) to 10 (best, the default); brought into that range.
    int Complexity() const { return FComplexity; }
    void SetComplexity(int complexity);

protected:
    void PrepareOutput() override;

private:
    int FBitrate = 128;
    int FComplexity = 10;
};
