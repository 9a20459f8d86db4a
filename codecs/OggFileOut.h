// The part the Ogg outputs (Vorbis, Opus) share: the comments and cover of the next file, and
// the run that feeds the input's PCM to the stream encoder and ends the stream properly even
// when stopped. A derived output sets the encoder up in PrepareOutput (startEncoder).
//
// Threads: properties are set on the GUI thread while the output is idle; PrepareOutput,
// WriteBlock and FinishOutput run on the output's worker thread, which alone uses the encoder.
#pragma once

#include "audio/ACS_Classes.h"
#include "audio/ACS_Tags.h"
#include "audio/CoverArt.h"

#include <QByteArray>
#include <memory>
#include <utility>
#include <vector>

class TOggStreamEncoder;
class TStreamSink;
class TByteSink;

class TOggFileOut : public TAuFileOut {
public:
    explicit TOggFileOut(QObject* owner = nullptr);
    ~TOggFileOut() override;

    // The comments of the next file; cleared after each run, since tags belong to one file.
    TVorbisTags& Comments() { return FComments; }
    // The front cover of the next file, written as a METADATA_BLOCK_PICTURE comment; empty for
    // none. Cleared after each run like the comments.
    void SetPicture(const TCoverArt& picture) { FPicture = picture; }

protected:
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;
    void ReleaseAfterFailure() override;

    // The comments and the cover as UTF-8 name and value pairs, in the order they are written.
    std::vector<std::pair<QByteArray, QByteArray>> streamComments() const;
    // The sink over FStream the encoder is to write into; made on first call of a run.
    TByteSink& sink();
    // Takes the encoder, already started, for the run.
    void startEncoder(std::unique_ptr<TOggStreamEncoder> encoder);
    // Frees the encoder and its sink (a derived destructor calls it before it lets go of the
    // encoder's library).
    void releaseEncoder();

    TVorbisTags FComments;
    TCoverArt FPicture;

private:
    // Run state, worker thread only.
    std::unique_ptr<TStreamSink> FSink;
    std::unique_ptr<TOggStreamEncoder> FEncoder;
};
