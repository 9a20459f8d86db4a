#include "ACS_Opus.h"

#include "codecs/OpusEncLibrary.h"
#include "codecs/OpusEncoder.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <algorithm>

TOpusOut::TOpusOut(QObject* owner) : TOggFileOut(owner) {
    TCodecLibrary& library = OpusEncLibrary();
    if (!library.Acquire()) {
        library.Unacquire();
        throw EAuException(library.FailureText());
    }
}

TOpusOut::~TOpusOut() {
    ShutDownWorker();
    releaseEncoder();
    OpusEncLibrary().Unacquire();
}

void TOpusOut::SetBitrate(int kbps) {
    FBitrate = std::clamp(kbps, 6, 256);
}

void TOpusOut::SetComplexity(int complexity) {
    FComplexity = std::clamp(complexity, 0, 10);
}

void TOpusOut::PrepareOutput() {
    if (!FStream) {
        if (FFileName.isEmpty())
            throw EAuException(QStringLiteral("File name is not assigned."));
        FStream = new TAuFileStream(FFileName, fmCreate);
        FExternalStream = false;
    }
    TAuInput* input = Input();
    input->Open();
    if (!input->OpenFailure().isEmpty())
        throw EAuException(input->OpenFailure());
    const int bits = input->BitsPerSample();
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw EAuException(QCoreApplication::translate(
                               "TOpusOut", "Opus encoding needs 8-, 16-, 24- or 32-bit samples; "
                                           "the input has %1 bits.")
                               .arg(bits));
    TOpusSettings s;
    s.Channels = input->Channels();
    s.SampleRate = input->SampleRate();
    s.Bitrate = FBitrate * 1000;
    s.Complexity = FComplexity;
    // A stream of its own, so that files put one after the other stay apart.
    s.Serial = int(QRandomGenerator::global()->generate() & 0x7fffffff);
    s.Comments = streamComments();
    auto encoder = std::make_unique<TOpusEncoder>(sink());
    encoder->Start(s); // a refusal (ECodecError) becomes the run's failure text
    startEncoder(std::move(encoder));
}
