#include "ACS_LAME.h"

#include "codecs/LameEncoder.h"
#include "codecs/LameLibrary.h"
#include "codecs/StreamSink.h"

#include <QCoreApplication>
#include <iterator>
#include <utility>

namespace {

// Bytes asked of the input per block.
constexpr int BlockBytes = 16384;

} // namespace

int MP3BitRateKbps(TMP3BitRate rate) {
    static const int kbps[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                               96, 112, 128, 144, 160, 192, 224, 256, 320};
    const int i = static_cast<int>(rate);
    return i >= 0 && i < int(std::size(kbps)) ? kbps[i] : 128;
}

int MP3SampleRateHz(TMP3SampleRate rate) {
    switch (rate) {
    case TMP3SampleRate::sr32kHz:
        return 32000;
    case TMP3SampleRate::sr41kHz:
        return 44100;
    case TMP3SampleRate::sr48kHz:
        return 48000;
    default:
        return 0;
    }
}

TMP3Out::TMP3Out(QObject* owner) : TAuTaggedFileOut(owner) {
    TCodecLibrary& lame = LameLibrary();
    if (!lame.Acquire()) {
        lame.Unacquire();
        throw EAuException(lame.FailureText());
    }
}

TMP3Out::~TMP3Out() {
    ShutDownWorker();
    FEncoder.reset();
    FSink.reset();
    LameLibrary().Unacquire();
}

void TMP3Out::PrepareOutput() {
    if (!FStream) {
        if (FFileName.isEmpty())
            throw EAuException(QStringLiteral("File name is not assigned."));
        FStream = new TAuFileStream(FFileName, fmCreate);
        FExternalStream = false;
    }
    FEncodeError.clear();
    TAuInput* input = Input();
    input->Open();
    if (!input->OpenFailure().isEmpty())
        throw EAuException(input->OpenFailure());

    const int channels = input->Channels();
    const int bits = input->BitsPerSample();
    // The encoder takes one or two channels of 8-, 16- or 24-bit samples; anything else would
    // be encoded as noise.
    if (channels < 1 || channels > 2 || (bits != 8 && bits != 16 && bits != 24))
        throw EAuException(QCoreApplication::translate(
                               "TMP3Out", "MP3 encoding needs mono or stereo input of 8, 16 or "
                                          "24 bits; the input has %1 channels of %2 bits.")
                               .arg(channels)
                               .arg(bits));
    TLameSettings s;
    s.InChannels = channels == 1 ? 1 : 2;
    s.NumSamples = 0;
    if (input->DataSize() > 0 && bits >= 8 && channels > 0)
        s.NumSamples = input->DataSize() / ((bits / 8) * channels);
    s.InSampleRate = input->SampleRate();
    s.OutSampleRate = MP3SampleRateHz(FSampleRate);
    if (input->SampleRate() < 41000)
        s.OutSampleRate = 32000;
    s.Mode = channels == 1 ? static_cast<int>(TMP3Mode::MONO) : static_cast<int>(FMode);
    s.Copyright = FCopyright;
    s.Original = FOriginal;
    s.Crc = FCRC;
    s.Vbr = FEnableVBR;
    s.BitRate = MP3BitRateKbps(FBitRate);
    s.Quality = static_cast<int>(FQuality);
    if (FEnableVBR) {
        if (FVBRMaxBitrate < FVBRMinBitrate)
            std::swap(FVBRMinBitrate, FVBRMaxBitrate);
        s.VbrHeader = FWriteVBRHeader;
        s.VbrQuality = static_cast<int>(FVBRQuality);
        s.VbrMinBitRate = FVBRMinBitrate;
        s.VbrMaxBitRate = FVBRMaxBitrate;
    }
    FAligner.Reset(bits / 8 * channels);
    FSink = std::make_unique<TStreamSink>(FStream);
    FEncoder = std::make_unique<TLameEncoder>(*FSink);
    FEncoder->Start(s);
}

bool TMP3Out::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort)
        return false;
    TAuInput* input = Input();
    const int bits = input->BitsPerSample();
    // Narrower and wider samples are brought to the 16 bits the encoder is fed; the block asked
    // for never holds more than 8192 frames.
    const int width = bits == 8 ? 1 : bits == 24 ? 3 : 2;
    char* block = nullptr;
    int bytes = width == 1 ? BlockBytes / 2 : BlockBytes;
    input->ReadData(block, bytes);
    if (bytes <= 0 || !block)
        return false;
    int whole = 0;
    block = const_cast<char*>(FAligner.Take(block, bytes, whole));
    bytes = whole;
    if (bytes == 0)
        return true; // part of a frame: the rest comes with the next block
    if (width != 2) {
        const int samples = bytes / width;
        FConverted.resize(samples * 2);
        auto* out = reinterpret_cast<unsigned char*>(FConverted.data());
        const auto* in = reinterpret_cast<const unsigned char*>(block);
        for (int i = 0; i < samples; ++i) {
            if (width == 1) {
                out[2 * i] = 0;
                out[2 * i + 1] = static_cast<unsigned char>(in[i] - 128);
            } else {
                out[2 * i] = in[3 * i + 1];
                out[2 * i + 1] = in[3 * i + 2];
            }
        }
        block = FConverted.data();
        bytes = samples * 2;
    }
    if (!FEncoder->Encode(block, bytes)) {
        // The file is still finished in FinishOutput, so what was encoded plays; the error
        // then becomes the run's failure text.
        FEncodeError = FEncoder->ErrorText();
        return false;
    }
    return true;
}

void TMP3Out::FinishOutput() {
    // Flushing also happens after a stop, so a stopped run leaves a playable file.
    QString failure = FEncodeError;
    try {
        if (FEncoder)
            FEncoder->Finish();
        if (FEncoder && failure.isEmpty())
            failure = FEncoder->ErrorText();
        TStreamSink::Flush(FStream);
    } catch (const std::exception& e) {
        if (failure.isEmpty())
            failure = QString::fromUtf8(e.what());
    }
    CloseOwnStream();
    FEncoder.reset();
    FSink.reset();
    FConverted = QByteArray();
    if (TAuInput* input = Input())
        input->Close();
    if (!failure.isEmpty())
        throw EAuException(failure);
}

void TMP3Out::ReleaseAfterFailure() {
    FEncoder.reset();
    FSink.reset();
    TAuTaggedFileOut::ReleaseAfterFailure();
}
