// The Ogg Vorbis output: encodes PCM from its input into an Ogg Vorbis file with libogg,
// libvorbis and libvorbisenc (loaded at program start), writing its Comments as Vorbis
// comments. foAppend adds a new logical stream to the end of an existing file.
//
// Threads: properties are set on the GUI thread while the output is idle; PrepareOutput,
// WriteBlock and FinishOutput run on the output's worker thread.
#pragma once

#include "codecs/OggFileOut.h"

// Bit rates of managed encoding; brAutoSelect leaves the rate to the quality setting (as the
// nominal rate) or leaves a limit open (as maximum or minimum).
enum class TVorbisBitRate {
    brAutoSelect,
    br24,
    br32,
    br45,
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
    br320,
    br499
};

// Bits per second of a bit rate; -1 for brAutoSelect.
long VorbisBitRateBps(TVorbisBitRate rate);

class TVorbisOut : public TOggFileOut {
public:
    // Loads the Vorbis libraries if the program has not yet; raises EAuException with the
    // message of the first one missing ("libogg.so.0 library could not be loaded.", then
    // libvorbis.so.0, libvorbisfile.so.3, libvorbisenc.so.2).
    explicit TVorbisOut(QObject* owner = nullptr);
    ~TVorbisOut() override;

    // Quality for quality-driven encoding (-0.1 .. 1.0), used while the nominal rate is
    // brAutoSelect.
    float Compression() const { return FCompression; }
    void SetCompression(float v) { FCompression = v; }
    void SetComments(const TAuTags& tags) { FComments.Assign(tags); }

    // The three rates are kept consistent: minimum <= nominal <= maximum (brAutoSelect as
    // maximum means open).
    TVorbisBitRate DesiredNominalBitrate() const { return FDesiredNominalBitrate; }
    void SetDesiredNominalBitrate(TVorbisBitRate v);
    TVorbisBitRate DesiredMaximumBitrate() const { return FDesiredMaximumBitrate; }
    void SetDesiredMaximumBitrate(TVorbisBitRate v);
    TVorbisBitRate MinimumBitrate() const { return FMinimumBitrate; }
    void SetMinimumBitrate(TVorbisBitRate v);
    // The serial number of the Ogg logical stream: a new random one for every run, so that
    // streams joined into one file (appended, or files put one after the other) stay apart,
    // unless SetSerial fixes it. Reads the number of the last run (0 before the first).
    int Serial() const { return FSerial; }
    void SetSerial(int v) {
        FSerial = v;
        FSerialFixed = true;
    }
    // Honours foAppend.
    void SetFileMode(TFileOutputMode mode) override { FFileMode = mode; }

protected:
    void PrepareOutput() override;

private:
    float FCompression = 0.2f;
    TVorbisBitRate FDesiredMaximumBitrate = TVorbisBitRate::brAutoSelect;
    TVorbisBitRate FDesiredNominalBitrate = TVorbisBitRate::brAutoSelect;
    TVorbisBitRate FMinimumBitrate = TVorbisBitRate::brAutoSelect;
    int FSerial = 0;
    bool FSerialFixed = false;
};
