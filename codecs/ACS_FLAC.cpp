#include "ACS_FLAC.h"

#include "codecs/FlacEncoder.h"
#include "codecs/FlacLibrary.h"
#include "codecs/StreamSink.h"

#include <QCoreApplication>
#include <cmath>

TFLACOut::TFLACOut(QObject* owner) : TAuFileOut(owner) {
    // The program loads libFLAC at start; a program (or test) that did not gets it here.
    if (!FlacLibrary().Load())
        throw EAuException(FlacLibrary().FailureText());
}

TFLACOut::~TFLACOut() {
    ShutDownWorker();
    FEncoder.reset();
    FSink.reset();
}

void TFLACOut::SetBestModelSearch(bool v) {
    if (v) {
        FEnableMidSideStereo = true;
        FEnableLooseMidSideStereo = false;
    }
    FBestModelSearch = v;
}

void TFLACOut::SetEnableLooseMidSideStereo(bool v) {
    if (v)
        FEnableMidSideStereo = true;
    FEnableLooseMidSideStereo = v;
}

std::vector<QByteArray> TFLACOut::CommentsOf(const TVorbisTags& tags) {
    const std::pair<const char*, QString> fields[] = {{"title=", tags.Title()},
                                                      {"artist=", tags.Artist()},
                                                      {"album=", tags.Album()},
                                                      {"albumartist=", tags.AlbumArtist()},
                                                      {"date=", tags.Date()},
                                                      {"genre=", tags.Genre()},
                                                      {"tracknumber=", tags.Track()},
                                                      {"tracktotal=", tags.TrackTotal()},
                                                      {"discnumber=", tags.Disc()},
                                                      {"disctotal=", tags.DiscTotal()},
                                                      {"compilation=", tags.Compilation()},
                                                      {"comment=", tags.Comment()}};
    std::vector<QByteArray> out;
    for (const auto& [key, value] : fields) {
        if (!value.isEmpty())
            out.push_back((QString::fromLatin1(key) + value).toUtf8());
    }
    return out;
}

void TFLACOut::PrepareOutput() {
    if (!FStream) {
        if (FFileName.isEmpty())
            throw EAuException(QStringLiteral("File name is not assigned."));
        FStream = new TAuFileStream(FFileName, fmCreate);
        FExternalStream = false;
    }
    FEndOfInput = false;
    TAuInput* input = Input();
    input->Open();
    if (!input->OpenFailure().isEmpty())
        throw EAuException(input->OpenFailure());
    // 8-bit unsigned and 16- and 24-bit signed samples are understood; anything else would
    // be encoded as noise.
    if (input->BitsPerSample() != 8 && input->BitsPerSample() != 16 && input->BitsPerSample() != 24)
        throw EAuException(QCoreApplication::translate(
                               "TFLACOut", "FLAC encoding needs 8-, 16- or 24-bit samples; the "
                                           "input has %1 bits.")
                               .arg(input->BitsPerSample()));

    const int channels = input->Channels();
    const int bits = input->BitsPerSample();
    TFlacSettings s;
    s.Verify = FVerify;
    s.Channels = channels;
    s.BitsPerSample = bits;
    s.SampleRate = input->SampleRate();
    s.MidSideStereo = FEnableMidSideStereo;
    s.LooseMidSideStereo = FEnableLooseMidSideStereo;
    s.BlockSize = FBlockSize;
    s.CompressionLevel = FCompressionLevel;
    if (FCompressionLevel < 0) {
        if (bits + FQLPCoeffPrecision > 31)
            FQLPCoeffPrecision = 31 - bits;
        s.MaxLpcOrder = FMaxLPCOrder;
        s.QlpCoeffPrecision = FQLPCoeffPrecision;
        s.QlpCoeffPrecisionSearch = FQLPCoeffPrecisionSearch;
        s.MinResidualPartitionOrder = FMinResidualPartitionOrder;
        s.MaxResidualPartitionOrder = FMaxResidualPartitionOrder;
        s.ExhaustiveModelSearch = FBestModelSearch;
    }
    if (input->DataSize() > 0 && bits >= 8 && channels > 0)
        s.TotalSamplesEstimate = std::llround(double(input->DataSize()) / (bits / 8) / channels);
    s.Comments = CommentsOf(FTags);
    s.PictureBody = FPicture.flacPictureBody();
    FSink = std::make_unique<TStreamSink>(FStream);
    FEncoder = std::make_unique<TFlacEncoder>(*FSink);
    try {
        FEncoder->Start(s);
    } catch (...) {
        input->Close();
        throw;
    }
    FBuffer.resize(qsizetype(bits / 8) * FBlockSize * channels);
}

bool TFLACOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort || FEndOfInput)
        return false;
    // One read fills exactly one FLAC block; the last one may be partial.
    const int k = Input()->FillBuffer(FBuffer.data(), int(FBuffer.size()), FEndOfInput);
    if (k <= 0)
        return false;
    FEncoder->Encode(FBuffer.constData(), k);
    return true;
}

void TFLACOut::FinishOutput() {
    QString failure;
    int systemError = 0;
    try {
        // libFLAC completes the stream, seeking back to fill in the stream information.
        if (FEncoder)
            FEncoder->Finish();
        TStreamSink::Flush(FStream);
    } catch (const EAuException& e) {
        failure = e.Message();
        systemError = e.SystemError();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    FEncoder.reset();
    FSink.reset();
    FBuffer = QByteArray();
    CloseOwnStream();
    if (TAuInput* input = Input())
        input->Close();
    if (!failure.isEmpty())
        throw EAuException(failure, systemError);
}

void TFLACOut::ReleaseAfterFailure() {
    FEncoder.reset();
    FSink.reset();
    TAuFileOut::ReleaseAfterFailure();
}
