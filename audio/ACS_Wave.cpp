#include "ACS_Wave.h"

#include "audio/Helpers.h"
#include "audio/ImaAdpcmDecoder.h"
#include "audio/MsAdpcmDecoder.h"

#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>

QString WavTypeName(TWavType type) {
    switch (type) {
    case wtPCM:
        return QStringLiteral("PCM");
    case wtDVIADPCM:
        return QStringLiteral("DVI/IMA ADPCM");
    case wtMSADPCM:
        return QStringLiteral("Microsoft ADPCM");
    case wtACM:
        return QStringLiteral("MPEG Layer-3");
    default:
        return QStringLiteral("Unsupported");
    }
}

// ---------------------------------------------------------------------------------------------
// TWaveIn

TWaveIn::TWaveIn(QObject* owner) : TAuFileIn(owner), m_buffer(BufferSize + 4) {}

TWaveIn::~TWaveIn() {
    try {
        CloseFile();
    } catch (...) {
    }
}

TWavType TWaveIn::WavType() {
    OpenFile();
    return FWavType;
}

bool TWaveIn::AdpcmUsable() const {
    const TWaveHeader& h = FHeader;
    if (h.SampleRate == 0 || h.Channels == 0)
        return false;
    if (FWavType == wtDVIADPCM)
        return h.BitsPerSample == 4 && h.Channels <= 8 &&
               TImaAdpcmDecoder::SamplesPerBlock(h.BlockAlign, h.Channels) > 1;
    if (FWavType == wtMSADPCM) {
        const int header = TMsAdpcmDecoder::HeaderBytes(h.Channels);
        return h.Channels <= 2 && h.NumCoef >= 1 && h.SamplesPerBlock >= 2 &&
               h.BlockAlign >= header &&
               (h.SamplesPerBlock - 2) * h.Channels <= (h.BlockAlign - header) * 2;
    }
    return false;
}

int64_t TWaveIn::AdpcmSamplesInData(int64_t dataBytes) const {
    const int align = FHeader.BlockAlign;
    const int64_t whole = dataBytes / align;
    const int rest = int(dataBytes % align);
    int64_t samples = whole * m_samplesPerBlock;
    if (rest > 0) {
        if (FWavType == wtDVIADPCM) {
            samples += TImaAdpcmDecoder::SamplesPerBlock(rest, FHeader.Channels);
        } else {
            const int header = TMsAdpcmDecoder::HeaderBytes(FHeader.Channels);
            if (rest >= header)
                samples +=
                    std::min(m_samplesPerBlock, 2 + (rest - header) * 2 / int(FHeader.Channels));
        }
    }
    return samples;
}

void TWaveIn::OpenFile() {
    std::lock_guard<std::recursive_mutex> lk(m_openLock);
    if (FOpened > 0)
        return;
    FHeaderValid = true;
    if (!FStream) {
        if (FFileName.isEmpty())
            throw EAuException(QStringLiteral("The file name is not assigned"));
        FStream = new TAuFileStream(FFileName, fmOpenRead | fmShareDenyWrite);
        FExternalStream = false;
    }
    FCanSeek = !FStream->isSequential();
    m_streamStart = FCanSeek ? FStream->pos() : 0;

    auto readHeader = [this] {
        FHeader = TWaveHeaderReader::Read(*FStream);
        FWavType = FHeader.Type;
        FChannels = FHeader.Channels;
        FSampleRate = int(FHeader.SampleRate);
        FBitsPerSample = FHeader.BitsPerSample;
        m_dataStart = (FStream->isSequential() ? 0 : m_streamStart) + FHeader.HeaderLength;
        int64_t dataBytes = FHeader.DataChunkSize;
        m_dataEnd = -1;
        if (!FStream->isSequential()) {
            // A size beyond the end of the file (a cut-off file, or one written to a pipe
            // with a placeholder size) counts as far as the file goes.
            const int64_t held = FStream->size() - m_dataStart;
            // Writers to a pipe put a placeholder there (0xFFFFFFFF, 0x7FFFFFFF and near it);
            // any other size the file falls short of says the file was cut.
            const bool placeholder = dataBytes >= 0x7FFFF000;
            NoteDamage(dataBytes > held && !placeholder
                           ? QCoreApplication::translate(
                                 "ACS_Wave", "%1 is cut short: its header gives %2 bytes of audio, "
                                             "the file holds %3")
                                 .arg(FFileName)
                                 .arg(dataBytes)
                                 .arg(std::max<int64_t>(held, 0))
                           : QString());
            dataBytes = std::min<int64_t>(dataBytes, held);
            m_dataEnd = m_dataStart + dataBytes;
        }
        return dataBytes;
    };
    int64_t dataBytes = readHeader();

    switch (FWavType) {
    case wtUnsupported:
        FHeaderValid = false;
        break;
    case wtPCM:
        FHeaderValid = FChannels > 0 && FSampleRate > 0 &&
                       (FBitsPerSample == 8 || FBitsPerSample == 16 || FBitsPerSample == 24 ||
                        FBitsPerSample == 32);
        FDataSize = dataBytes;
        break;
    case wtDVIADPCM:
    case wtMSADPCM: {
        FHeaderValid = AdpcmUsable();
        FBitsPerSample = 16;
        if (!FHeaderValid) {
            FDataSize = 0;
            break;
        }
        m_samplesPerBlock = FWavType == wtDVIADPCM
                                ? TImaAdpcmDecoder::SamplesPerBlock(FHeader.BlockAlign, FChannels)
                                : FHeader.SamplesPerBlock;
        int64_t samples = FHeader.FactSamples;
        // The count in "fact" cannot exceed what the data holds.
        if (m_dataEnd >= 0)
            samples = std::min(samples, AdpcmSamplesInData(m_dataEnd - m_dataStart));
        FDataSize = samples * 2 * FChannels;
        m_block.resize(FHeader.BlockAlign);
        m_buffer.resize(std::max<size_t>(BufferSize, size_t(m_samplesPerBlock) * FChannels * 2) +
                        4);
        break;
    }
    case wtACM: {
        QString error;
        auto decoder = std::make_unique<TMp3DataDecoder>();
        if (FHeader.FormatTag != 85 || FStream->isSequential() ||
            !TMp3DataDecoder::Scan(*FStream, m_dataStart, m_dataEnd, m_mp3Format, error) ||
            !decoder->Start(FStream, m_dataStart, m_dataEnd, m_mp3Format)) {
            FHeaderValid = false;
            if (!FExternalStream) {
                delete FStream;
                FStream = nullptr;
            } else if (!FStream->isSequential()) {
                FStream->seek(m_streamStart);
            }
            return; // not marked open: the next query tries again
        }
        m_mp3 = std::move(decoder);
        FChannels = m_mp3Format.Channels;
        FSampleRate = m_mp3Format.SampleRate;
        FBitsPerSample = 16;
        FDataSize = m_mp3Format.Samples * FChannels * 2;
        break;
    }
    }
    if (FWavType != wtUnsupported && FCanSeek)
        FStream->seek(m_dataStart);
    FOpened = 1;
}

void TWaveIn::CloseFile() {
    std::lock_guard<std::recursive_mutex> lk(m_openLock);
    if (FOpened == 0)
        return;
    m_mp3.reset();
    if (FStream) {
        if (!FExternalStream) {
            delete FStream;
            FStream = nullptr;
        } else if (!FStream->isSequential()) {
            FStream->seek(m_streamStart);
        }
    }
    FOpened = 0;
}

bool TWaveIn::ReadCompressedBlock() {
    if (!FStream)
        return false;
    int64_t want = FHeader.BlockAlign;
    if (m_dataEnd >= 0)
        want = std::min<int64_t>(want, m_dataEnd - FStream->pos());
    if (want <= 0 || (FCanSeek && FStream->atEnd()))
        return false;
    const qint64 got = FStream->read(reinterpret_cast<char*>(m_block.data()), want);
    if (got <= 0)
        return false;
    m_block.resize(size_t(got));
    return true;
}

void TWaveIn::ReadBlock(char*& buffer, int& bytes) {
    if (!FInUse)
        throw EAuException(QStringLiteral("The Stream is not opened"));
    const int frame = FChannels * FBitsPerSample / 8;
    if (FBufferLast < FBufferNext) {
        FBufferNext = 1;
        FBufferLast = 0;
        switch (FWavType) {
        case wtACM: {
            const int got = m_mp3 ? m_mp3->Read(m_buffer.data(), BufferSize) : 0;
            if (got < 0)
                throw EAuException(
                    QCoreApplication::translate("ACS_Wave", "Cannot read file %1: %2")
                        .arg(FFileName, FStream->errorString()));
            FBufferLast = got;
            break;
        }
        case wtPCM: {
            if (!FStream || frame <= 0)
                break;
            // At least one frame, however wide.
            const int frames = std::max(1, BufferSize / frame);
            if (m_buffer.size() < size_t(frames) * frame + 4)
                m_buffer.resize(size_t(frames) * frame + 4);
            int64_t want = int64_t(frames) * frame;
            if (m_dataEnd >= 0)
                want = std::min<int64_t>(want, m_dataEnd - FStream->pos());
            if (want <= 0)
                break;
            const qint64 got = FStream->read(m_buffer.data(), want);
            FBufferLast = got > 0 ? int(got) : 0;
            break;
        }
        case wtDVIADPCM:
        case wtMSADPCM: {
            m_block.resize(FHeader.BlockAlign);
            if (!ReadCompressedBlock()) {
                if (!FCanSeek) {
                    buffer = nullptr;
                    bytes = 0;
                    return;
                }
                break;
            }
            auto* out = reinterpret_cast<int16_t*>(m_buffer.data());
            const int n = FWavType == wtDVIADPCM
                              ? TImaAdpcmDecoder::DecodeBlock(m_block.data(), int(m_block.size()),
                                                              FChannels, out)
                              : TMsAdpcmDecoder::DecodeBlock(m_block.data(), int(m_block.size()),
                                                             FChannels, m_samplesPerBlock,
                                                             FHeader.Coef, FHeader.NumCoef, out);
            FBufferLast = n * FChannels * 2;
            break;
        }
        default:
            break;
        }
    }
    int n = frame > 0 ? (bytes / frame) * frame : 0;
    n = std::max(0, std::min(n, FBufferLast - FBufferNext + 1));
    buffer = n > 0 ? m_buffer.data() + (FBufferNext - 1) : nullptr;
    FBufferNext += n;
    bytes = n;
}

bool TWaveIn::SeekSample(int64_t& sample) {
    FBufferNext = 1;
    FBufferLast = 0;
    if (!FStream || FStream->isSequential())
        return false;
    if (sample < 0)
        sample = 0;
    qint64 pos = 0;
    switch (FWavType) {
    case wtACM: {
        // MP3 frames depend on the ones before them: decode from the start up to the sample.
        if (!m_mp3 || !m_mp3->Start(FStream, m_dataStart, m_dataEnd, m_mp3Format))
            return false;
        const int64_t reached = m_mp3->Skip(sample);
        if (reached < 0)
            return false;
        sample = reached;
        return true;
    }
    case wtPCM:
        pos = m_dataStart + sample * (FBitsPerSample / 8) * FChannels;
        break;
    case wtDVIADPCM:
    case wtMSADPCM:
        if (m_samplesPerBlock <= 0)
            return false;
        pos = m_dataStart + (sample / m_samplesPerBlock) * FHeader.BlockAlign;
        sample = (sample / m_samplesPerBlock) * m_samplesPerBlock; // whole blocks only
        break;
    default:
        return false;
    }
    return FStream->seek(pos);
}

// ---------------------------------------------------------------------------------------------
// TWaveOut

std::atomic<uint64_t> TWaveOut::RiffLimit{UINT32_MAX};

TWaveOut::TWaveOut(QObject* owner) : TAuFileOut(owner) {}

TWaveOut::~TWaveOut() {
    ShutDownWorker();
}

void TWaveOut::WriteAll(const char* data, qint64 size) {
    if (!WriteFully(*FStream, data, size))
        throw EAuException(QCoreApplication::translate("ACS_Wave", "Cannot write file %1: %2")
                               .arg(FFileName, FStream->errorString()));
}

void TWaveOut::PrepareOutput() {
    if (FWavType != wtPCM)
        throw EAuException(QStringLiteral("Only PCM WAV files can be written"));
    if (FFileMode != foRewrite)
        throw EAuException(QStringLiteral("Appending to a WAV file is not supported"));
    if (!FStream) {
        if (FFileName.isEmpty())
            throw EAuException(QStringLiteral("File name is not assigned."));
        FStream = new TAuFileStream(FFileName, fmCreate);
        FExternalStream = false;
    }
    TAuInput* input = Input();
    input->Open();
    // An input that could not be opened would give an empty file that looks like success.
    const QString failure = input->OpenFailure();
    if (!failure.isEmpty())
        throw EAuException(failure);
    const int channels = input->Channels();
    const int rate = input->SampleRate();
    const int bits = input->BitsPerSample();
    if (channels <= 0 || rate <= 0 || bits <= 0 || bits % 8 != 0)
        throw EAuException(QCoreApplication::translate(
            "ACS_Wave", "The input delivers no PCM that can be written"));
    const int64_t size = input->DataSize();
    const int64_t align = int64_t(bits) * channels / 8;
    // The header holds the channels, the frame size and the bits in 16 bits each, the rate
    // and the bytes per second in 32.
    if (channels > 0xFFFF || align > 0xFFFF || bits > 0xFFFF ||
        int64_t(rate) * align > int64_t(UINT32_MAX))
        throw EAuException(
            QCoreApplication::translate(
                "ACS_Wave", "Cannot write file %1: a WAV file cannot hold %2 channels of %3 bits "
                            "at %4 Hz")
                .arg(FFileName)
                .arg(channels)
                .arg(bits)
                .arg(rate));
    // A size known to fit gets the plain 44-byte header. Any other leaves room (a JUNK chunk)
    // for the 64-bit sizes of an RF64 header, which it becomes only if the data outgrows 32 bits.
    const bool fits = size >= 0 && uint64_t(size) + 36 <= RiffLimit.load();
    m_headerBytes = fits || FStream->isSequential() ? 44 : 80;
    char h[80] = {};
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian(uint32_t(size + m_headerBytes - 8), h + 4);
    std::memcpy(h + 8, "WAVE", 4);
    char* fmt = h + 12;
    if (m_headerBytes == 80) {
        std::memcpy(h + 12, "JUNK", 4);
        qToLittleEndian(uint32_t(28), h + 16); // the size of a ds64 chunk without a table
        fmt = h + 48;
    }
    std::memcpy(fmt, "fmt ", 4);
    qToLittleEndian(uint32_t(16), fmt + 4);
    qToLittleEndian(uint16_t(1), fmt + 8);
    qToLittleEndian(uint16_t(channels), fmt + 10);
    qToLittleEndian(uint32_t(rate), fmt + 12);
    qToLittleEndian(uint32_t(rate * align), fmt + 16);
    qToLittleEndian(uint16_t(align), fmt + 20);
    qToLittleEndian(uint16_t(bits), fmt + 22);
    std::memcpy(fmt + 24, "data", 4);
    qToLittleEndian(uint32_t(size), fmt + 28);
    m_frameBytes = int(align);
    WriteAll(h, m_headerBytes);
}

void TWaveOut::SetRiffLimitForTests(uint64_t bytes) {
    RiffLimit.store(bytes ? bytes : UINT32_MAX);
}

void TWaveOut::WriteAt(qint64 position, const char* data, qint64 size) {
    if (!FStream->seek(position))
        throw EAuException(QCoreApplication::translate("ACS_Wave", "Cannot write file %1: %2")
                               .arg(FFileName, FStream->errorString()));
    WriteAll(data, size);
}

void TWaveOut::WriteSizes(qint64 length) {
    const uint64_t data = uint64_t(length - m_headerBytes);
    const uint64_t riff = uint64_t(length - 8);
    char v[8];
    if (riff <= RiffLimit.load()) {
        qToLittleEndian(uint32_t(riff), v);
        WriteAt(4, v, 4);
        qToLittleEndian(uint32_t(data), v);
        WriteAt(m_headerBytes - 4, v, 4);
    } else if (m_headerBytes == 80) {
        // RF64: the 32-bit sizes say "see ds64", which takes the place of the JUNK chunk.
        char h[36];
        std::memcpy(h, "RF64", 4);
        qToLittleEndian(uint32_t(0xFFFFFFFF), h + 4);
        std::memcpy(h + 8, "WAVEds64", 8);
        qToLittleEndian(uint32_t(28), h + 16);
        qToLittleEndian(riff, h + 20);
        qToLittleEndian(data, h + 28);
        WriteAt(0, h, 36);
        qToLittleEndian(uint64_t(m_frameBytes > 0 ? data / uint64_t(m_frameBytes) : 0), v);
        WriteAt(36, v, 8);
        qToLittleEndian(uint32_t(0), v); // no table of other chunks' sizes
        WriteAt(44, v, 4);
        qToLittleEndian(uint32_t(0xFFFFFFFF), v);
        WriteAt(76, v, 4);
    } else {
        throw EAuException(QCoreApplication::translate(
                               "ACS_Wave", "Cannot write file %1: %2 bytes of audio are more "
                                           "than its WAV header can hold")
                               .arg(FFileName)
                               .arg(data));
    }
    FStream->seek(length);
}

bool TWaveOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort)
        return false;
    char* buffer = nullptr;
    // At least one frame, however wide, so the input can deliver anything at all.
    int bytes = std::max(BlockBytes, Input()->FrameSize());
    Input()->ReadData(buffer, bytes);
    if (bytes <= 0 || !buffer)
        return false;
    WriteAll(buffer, bytes);
    return true;
}

void TWaveOut::FinishOutput() {
    TAuInput* input = Input();
    const int64_t declared = input->DataSize();
    const qint64 written = FStream->pos();
    const qint64 header = m_headerBytes;
    if (written < declared + header && declared >= 0 && !FStopCalled) {
        // A short input: silence up to the announced length.
        const QByteArray zeros(65536, '\0');
        qint64 left = declared + header - written;
        while (left > 0) {
            const qint64 n = std::min<qint64>(left, zeros.size());
            WriteAll(zeros.constData(), n);
            left -= n;
        }
    }
    // The sizes are taken from the file whenever the header did not announce them, or they do
    // not hold (a stopped run, an input that gave more than it said).
    if (!FStream->isSequential() &&
        (declared < 0 || FStopCalled || written != declared + header || header != 44))
        WriteSizes(FStream->size());
    if (auto* file = qobject_cast<QFileDevice*>(FStream))
        if (!FlushFully(*file))
            throw EAuException(QCoreApplication::translate("ACS_Wave", "Cannot write file %1: %2")
                                   .arg(FFileName, file->errorString()));
    CloseOwnStream();
    input->Close();
}
