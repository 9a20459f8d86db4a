#include "ACS_Opus.h"

#include "codecs/OpusEncLibrary.h"
#include "codecs/OpusEncoder.h"
#include "codecs/StreamSink.h"

#include <QRandomGenerator>
#include <algorithm>

namespace {

// Bytes asked of the input per block.
constexpr int BlockBytes = 32768;

} // namespace

TOpusOut::TOpusOut(QObject* owner) : TAuFileOut(owner) {
    TCodecLibrary& library = OpusEncLibrary();
    if (!library.Acquire()) {
        library.Unacquire();
        throw EAuException(library.FailureText());
    }
}

TOpusOut::~TOpusOut() {
    ShutDownWorker();
    FEncoder.reset();
    FSink.reset();
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
        throw EAuException(QStringLiteral("Opus encoding needs 8-, 16-, 24- or 32-bit samples; "
                                          "the input has %1 bits.")
                               .arg(bits));
    TOpusSettings s;
    s.Channels = input->Channels();
    s.SampleRate = input->SampleRate();
    s.Bitrate = FBitrate * 1000;
    s.Complexity = FComplexity;
    // A stream of its own, so that files put one after the other stay apart.
    s.Serial = int(QRandomGenerator::global()->generate() & 0x7fffffff);
    for (int i = 0; i < FComments.Count(); ++i) {
        const QString name = FComments.NameAt(i);
        s.Comments.emplace_back(name.toUtf8(), FComments.AsWideString(name).toUtf8());
    }
    if (!FPicture.isEmpty())
        s.Comments.emplace_back("METADATA_BLOCK_PICTURE", FPicture.flacPictureBody().toBase64());
    FSink = std::make_unique<TStreamSink>(FStream);
    FEncoder = std::make_unique<TOpusEncoder>(*FSink);
    FEncoder->Start(s); // a refusal (ECodecError) becomes the run's failure text
}

bool TOpusOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort || FEncoder->EndOfStream())
        return false;
    TAuInput* input = Input();
    char* block = nullptr;
    int bytes = BlockBytes;
    input->ReadData(block, bytes);
    if (!block)
        bytes = 0;
    // 0 bytes ends the stream: the rest is encoded and the end-of-stream page written.
    FEncoder->Encode(block, bytes, input->BitsPerSample());
    return true;
}

void TOpusOut::FinishOutput() {
    QString failure;
    try {
        // A stopped run still ends its stream properly, so the file plays to where it stopped.
        if (FEncoder && !FEncoder->EndOfStream())
            FEncoder->Encode(nullptr, 0, 16);
        TStreamSink::Flush(FStream);
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    CloseOwnStream();
    if (TAuInput* input = Input())
        input->Close();
    // Tags belong to one file.
    FComments.Clear();
    FPicture = TCoverArt();
    FEncoder.reset();
    FSink.reset();
    if (!failure.isEmpty())
        throw EAuException(failure);
}

void TOpusOut::ReleaseAfterFailure() {
    FEncoder.reset();
    FSink.reset();
    TAuFileOut::ReleaseAfterFailure();
}
