// The FLAC output: encodes PCM from its input into a native FLAC file with libFLAC (loaded at
// program start). The encoder's own Vorbis-comment block is replaced by one built from Tags;
// a seek table (when the input's length is known) and 8 KiB of padding follow it.
//
// Threads: properties are set on the GUI thread while the output is idle; PrepareOutput,
// WriteBlock and FinishOutput (and libFLAC's callbacks) run on the output's worker thread.
#pragma once

#include "audio/ACS_Classes.h"
#include "audio/ACS_Tags.h"

#include <memory>
#include <vector>

class TFlacEncoder;
class TStreamSink;

class TFLACOut : public TAuFileOut {
public:
    // Loads libFLAC if the program has not yet; raises EAuException
    // "libFLAC.so.12 library could not be loaded." when it cannot be loaded.
    explicit TFLACOut(QObject* owner = nullptr);
    ~TFLACOut() override;

    bool BestModelSearch() const { return FBestModelSearch; }
    // True also turns mid-side stereo on and loose mid-side off.
    void SetBestModelSearch(bool v);
    // Samples per channel of one input read, and of one FLAC block with the explicit settings
    // (a compression level brings its own block size).
    int BlockSize() const { return FBlockSize; }
    void SetBlockSize(int v) { FBlockSize = v; }
    // 0..8: the library's preset of that level (values above 8 store 8); negative: the
    // explicit settings below.
    int CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(int v) { FCompressionLevel = v < 9 ? v : 8; }
    bool EnableMidSideStereo() const { return FEnableMidSideStereo; }
    void SetEnableMidSideStereo(bool v) { FEnableMidSideStereo = v; }
    bool EnableLooseMidSideStereo() const { return FEnableLooseMidSideStereo; }
    // True also turns mid-side stereo on.
    void SetEnableLooseMidSideStereo(bool v);
    int MaxLPCOrder() const { return FMaxLPCOrder; }
    void SetMaxLPCOrder(int v) { FMaxLPCOrder = v; }
    int MaxResidualPartitionOrder() const { return FMaxResidualPartitionOrder; }
    void SetMaxResidualPartitionOrder(int v) { FMaxResidualPartitionOrder = v; }
    int MinResidualPartitionOrder() const { return FMinResidualPartitionOrder; }
    void SetMinResidualPartitionOrder(int v) { FMinResidualPartitionOrder = v; }
    // Bits; lowered to 31 - BitsPerSample of the input when a run starts if it is larger.
    int QLPCoeffPrecision() const { return FQLPCoeffPrecision; }
    void SetQLPCoeffPrecision(int v) { FQLPCoeffPrecision = v; }
    bool QLPCoeffPrecisionSearch() const { return FQLPCoeffPrecisionSearch; }
    void SetQLPCoeffPrecisionSearch(bool v) { FQLPCoeffPrecisionSearch = v; }
    // The comments of the next file.
    TVorbisTags& Tags() { return FTags; }
    void SetTags(const TAuTags& tags) { FTags.Assign(tags); }
    // The front cover of the next file, a PICTURE block after the comments; empty for none.
    void SetPicture(const TCoverArt& picture) { FPicture = picture; }
    bool Verify() const { return FVerify; }
    void SetVerify(bool v) { FVerify = v; }

    // "name=value" texts of the replacement comment block for `tags`, in the fixed order
    // title, artist, album, albumartist, date, genre, tracknumber, tracktotal, discnumber,
    // disctotal, compilation, comment; empty values are left out.
    static std::vector<QByteArray> CommentsOf(const TVorbisTags& tags);

protected:
    void PrepareOutput() override;
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;
    void ReleaseAfterFailure() override;

private:
    bool FBestModelSearch = false;
    int FBlockSize = 4608;
    int FCompressionLevel = -1;
    bool FEnableMidSideStereo = true;
    bool FEnableLooseMidSideStereo = false;
    int FMaxLPCOrder = 0;
    int FMaxResidualPartitionOrder = 0;
    int FMinResidualPartitionOrder = 0;
    int FQLPCoeffPrecision = 0;
    bool FQLPCoeffPrecisionSearch = false;
    TVorbisTags FTags;
    TCoverArt FPicture;
    bool FVerify = false;

    // Run state, worker thread only.
    QByteArray FBuffer; // one block of PCM
    bool FEndOfInput = false;
    std::unique_ptr<TStreamSink> FSink;
    std::unique_ptr<TFlacEncoder> FEncoder;
};
