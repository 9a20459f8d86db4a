// The MP3 encoder output: encodes 16-bit PCM from its input into an MPEG Layer III file with
// LAME, which it loads at run time while any MP3 output exists. It writes no tags itself; the
// program adds the ID3v1 tag after encoding.
//
// Threads: properties are set on the GUI thread while the output is idle; PrepareOutput,
// WriteBlock and FinishOutput run on the output's worker thread, which alone uses the
// encoder. Construction and destruction (and so loading and releasing LAME) are GUI-thread.
#pragma once

#include "audio/ACS_Classes.h"
#include "codecs/FrameAligner.h"

#include <memory>

class TLameEncoder;
class TStreamSink;

// Constant bit rates; brN is N kbit/s.
enum class TMP3BitRate {
    br8,
    br16,
    br24,
    br32,
    br40,
    br48,
    br56,
    br64,
    br80,
    br96,
    br112,
    br128,
    br144,
    br160,
    br192,
    br224,
    br256,
    br320
};
// Encoder quality, 0 best and slowest to 9 fastest; the ordinal is passed to LAME.
enum class TMP3Quality { ql0, ql1, ql2, ql3, ql4, ql5, ql6, ql7, ql8, ql9 };
// Output sample rate; srDefault lets the encoder choose. sr41kHz is 44100 Hz.
enum class TMP3SampleRate { srDefault, sr32kHz, sr41kHz, sr48kHz };
// Channel mode; the ordinal is LAME's mode.
enum class TMP3Mode { STEREO = 0, JOINT_STEREO = 1, DUAL_CHANNEL = 2, MONO = 3 };

// kbit/s of a bit rate, Hz of a sample rate (0 for srDefault).
int MP3BitRateKbps(TMP3BitRate rate);
int MP3SampleRateHz(TMP3SampleRate rate);

class TMP3Out : public TAuTaggedFileOut {
public:
    // Loads LAME unless another MP3 output holds it; raises EAuException
    // "libmp3lame.so.0 library could not be loaded." when it cannot be loaded.
    explicit TMP3Out(QObject* owner = nullptr);
    // Stops the worker, then lets go of LAME (released with the last MP3 output).
    ~TMP3Out() override;

    TMP3BitRate BitRate() const { return FBitRate; }
    void SetBitRate(TMP3BitRate v) { FBitRate = v; }
    TMP3Quality Quality() const { return FQuality; }
    void SetQuality(TMP3Quality v) { FQuality = v; }
    TMP3SampleRate SampleRate() const { return FSampleRate; }
    void SetSampleRate(TMP3SampleRate v) { FSampleRate = v; }
    TMP3Mode Mode() const { return FMode; }
    void SetMode(TMP3Mode v) { FMode = v; }
    bool CRC() const { return FCRC; }
    void SetCRC(bool v) { FCRC = v; }
    bool Copyright() const { return FCopyright; }
    void SetCopyright(bool v) { FCopyright = v; }
    bool Original() const { return FOriginal; }
    void SetOriginal(bool v) { FOriginal = v; }
    // VBR only: ask for the VBR header frame. Constant-bit-rate files always carry one.
    bool WriteVBRHeader() const { return FWriteVBRHeader; }
    void SetWriteVBRHeader(bool v) { FWriteVBRHeader = v; }
    bool EnableVBR() const { return FEnableVBR; }
    void SetEnableVBR(bool v) { FEnableVBR = v; }
    TMP3Quality VBRQuality() const { return FVBRQuality; }
    void SetVBRQuality(TMP3Quality v) { FVBRQuality = v; }
    // kbit/s; a minimum above the maximum is exchanged with it when a run starts.
    int VBRMinBitrate() const { return FVBRMinBitrate; }
    void SetVBRMinBitrate(int v) { FVBRMinBitrate = v; }
    int VBRMaxBitrate() const { return FVBRMaxBitrate; }
    void SetVBRMaxBitrate(int v) { FVBRMaxBitrate = v; }

protected:
    void PrepareOutput() override;
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;
    void ReleaseAfterFailure() override;

private:
    TMP3BitRate FBitRate = TMP3BitRate::br128;
    TMP3Quality FQuality = TMP3Quality::ql5;
    TMP3SampleRate FSampleRate = TMP3SampleRate::srDefault;
    TMP3Mode FMode = TMP3Mode::STEREO;
    bool FCRC = false;
    bool FCopyright = false;
    bool FOriginal = true;
    bool FWriteVBRHeader = false;
    bool FEnableVBR = false;
    TMP3Quality FVBRQuality = TMP3Quality::ql5;
    int FVBRMinBitrate = 128;
    int FVBRMaxBitrate = 192;

    // Run state, worker thread only.
    std::unique_ptr<TStreamSink> FSink;
    std::unique_ptr<TLameEncoder> FEncoder;
    TFrameAligner FAligner; // whole input frames only, before narrowing
    QByteArray FConverted;  // 8- and 24-bit input narrowed to 16 bits
    QString FEncodeError;   // an encoder error that ended the block loop
};
