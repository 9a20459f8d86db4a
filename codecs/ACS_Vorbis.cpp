#include "ACS_Vorbis.h"

#include "codecs/OggLibrary.h"
#include "codecs/VorbisEncLibrary.h"
#include "codecs/VorbisEncoder.h"
#include "codecs/VorbisFileLibrary.h"
#include "codecs/VorbisLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <iterator>

long VorbisBitRateBps(TVorbisBitRate rate) {
    static const long bps[] = {-1,     24000,  32000,  45000,  48000,  56000,
                               64000,  80000,  96000,  112000, 128000, 144000,
                               160000, 192000, 224000, 256000, 320000, 499000};
    const int i = static_cast<int>(rate);
    return i >= 0 && i < int(std::size(bps)) ? bps[i] : -1;
}

TVorbisOut::TVorbisOut(QObject* owner) : TOggFileOut(owner) {
    // The program loads these at start; a program (or test) that did not gets them here.
    for (TCodecLibrary* lib :
         {&OggLibrary(), &VorbisLibrary(), &VorbisFileLibrary(), &VorbisEncLibrary()}) {
        if (!lib->Load())
            throw EAuException(lib->FailureText());
    }
}

TVorbisOut::~TVorbisOut() {
    ShutDownWorker();
    releaseEncoder();
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
            QCoreApplication::translate("TVorbisOut",
                                        "Ogg Vorbis encoding needs 8-, 16- or 24-bit samples; the "
                                        "input has %1 bits.")
                .arg(input->BitsPerSample()));
    if (FFileMode == foAppend && !FStream->isSequential() && !FStream->seek(FStream->size()))
        throw EAuException(
            QCoreApplication::translate("TVorbisOut", "Cannot append to file %1").arg(FFileName));

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
    s.Comments = streamComments();
    auto encoder = std::make_unique<TVorbisEncoder>(sink());
    encoder->Start(s);
    startEncoder(std::move(encoder));
}
