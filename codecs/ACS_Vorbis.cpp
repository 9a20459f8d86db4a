#include "ACS_Vorbis.h"

#include "codecs/OggLibrary.h"
#include "codecs/StreamSink.h"
#include "codecs/VorbisEncLibrary.h"
#include "codecs/VorbisEncoder.h"
#include "codecs/VorbisFileLibrary.h"
#include "codecs/VorbisLibrary.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <iterator>

namespace {

// Bytes asked of the input per block.
constexpr int BlockBytes = 32768;

} // namespace

long VorbisBitRateBps(TVorbisBitRate rate) {
    static const long bps[] = {-1,     24000,  32000,  45000,  48000,  56000,
                               64000,  80000,  96000,  112000, 128000, 144000,
                               160000, 192000, 224000, 256000, 320000, 499000};
    const int i = static_cast<int>(rate);
    return i >= 0 && i < int(std::size(bps)) ? bps[i] : -1;
}

TVorbisOut::TVorbisOut(QObject* owner) : TAuFileOut(owner) {
    // The program loads these at start; a program (or test) that did not gets them here.
    for (TCodecLibrary* lib :
         {&OggLibrary(), &VorbisLibrary(), &VorbisFileLibrary(), &VorbisEncLibrary()}) {
        if (!lib->Load())
            throw EAuException(lib->FailureText());
    }
}

TVorbisOut::~TVorbisOut() {
    ShutDownWorker();
    FEncoder.reset();
    FSink.reset();
}

void TVorbisOut::SetDesiredNominalBitrate(TVorbisBitRate v) {
    FDesiredNominalBitrate = v;
    if (v < FMinimumBitrate)
        FMinimumBitrate = v;
    if (FDesiredMaximumBitrate < FDesiredNominalBitrate)
        FDesiredMaximumBitrate = FDesiredNominalBitrate;
    if (v == TVorbisBitRate::brAutoSelect)
        FDesiredMaximumBitrate = TVorbisBitRate::brAutoSelect;
}

void TVorbisOut::SetDesiredMaximumBitrate(TVorbisBitRate v) {
    if (FDesiredNominalBitrate == TVorbisBitRate::brAutoSelect)
        return;
    if (v == TVorbisBitRate::brAutoSelect || v >= FDesiredNominalBitrate)
        FDesiredMaximumBitrate = v;
}

void TVorbisOut::SetMinimumBitrate(TVorbisBitRate v) {
    if (v <= FDesiredNominalBitrate)
        FMinimumBitrate = v;
}

void TVorbisOut::PrepareOutput() {
    if (!FStream) {
        if (FFileName.isEmpty())
            throw EAuException(QStringLiteral("File name is not assigned."));
        if (FFileMode == foAppend && QFileInfo::exists(FFileName))
            FStream = new TAuFileStream(FFileName, fmOpenReadWrite | fmShareDenyWrite);
        else
            FStream = new TAuFileStream(FFileName, fmCreate);
        FExternalStream = false;
    }
    TAuInput* input = Input();
    input->Open();
    if (!input->OpenFailure().isEmpty())
        throw EAuException(input->OpenFailure());
    // 8-bit unsigned and 16- and 24-bit signed samples are understood; anything else would
    // be encoded as noise.
    if (input->BitsPerSample() != 8 && input->BitsPerSample() != 16 && input->BitsPerSample() != 24)
        throw EAuException(
            QStringLiteral("Ogg Vorbis encoding needs 8-, 16- or 24-bit samples; the "
                           "input has %1 bits.")
                .arg(input->BitsPerSample()));
    if (FFileMode == foAppend && !FStream->isSequential() && !FStream->seek(FStream->size()))
        throw EAuException(QStringLiteral("Cannot append to file %1").arg(FFileName));

    TVorbisSettings s;
    s.Channels = input->Channels();
    s.SampleRate = input->SampleRate();
    if (!FSerialFixed)
        FSerial = int(QRandomGenerator::global()->generate());
    s.Serial = FSerial;
    if (FDesiredNominalBitrate == TVorbisBitRate::brAutoSelect) {
        s.Quality = FCompression;
    } else {
        s.NominalBitRate = VorbisBitRateBps(FDesiredNominalBitrate);
        s.MaxBitRate = VorbisBitRateBps(FDesiredMaximumBitrate);
        s.MinBitRate = FMinimumBitrate == TVorbisBitRate::brAutoSelect
                           ? s.NominalBitRate
                           : VorbisBitRateBps(FMinimumBitrate);
    }
    for (int i = 0; i < FComments.Count(); ++i) {
        const QString name = FComments.NameAt(i);
        s.Comments.emplace_back(name.toUtf8(), FComments.AsWideString(name).toUtf8());
    }
    if (!FPicture.isEmpty())
        s.Comments.emplace_back("METADATA_BLOCK_PICTURE", FPicture.flacPictureBody().toBase64());
    FSink = std::make_unique<TStreamSink>(FStream);
    FEncoder = std::make_unique<TVorbisEncoder>(*FSink);
    FEncoder->Start(s);
}

bool TVorbisOut::WriteBlock(bool abort) {
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

void TVorbisOut::FinishOutput() {
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

void TVorbisOut::ReleaseAfterFailure() {
    FEncoder.reset();
    FSink.reset();
    TAuFileOut::ReleaseAfterFailure();
}
