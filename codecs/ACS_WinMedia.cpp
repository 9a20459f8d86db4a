#include "codecs/ACS_WinMedia.h"

#include "audio/ACS_Tags.h"
#include "codecs/WmaFormats.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The number a track text starts with ("3" of "3/12"); empty when it starts with none.
QString TrackNumberOf(const QString& track) {
    qsizetype digits = 0;
    const QString t = track.trimmed();
    while (digits < t.size() && t[digits].isDigit())
        ++digits;
    return t.left(digits);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TWMAOut

TWMAOut::TWMAOut(QObject* owner) : TAuTaggedFileOut(owner) {
    m_codecs = TWmaFormats::CodecNames();
}

TWMAOut::~TWMAOut() {
    ShutDownWorker();
}

const QStringList& TWMAOut::Formats(int codecIndex) {
    m_formats.clear();
    std::vector<TWmaFormat> formats;
    if (codecIndex < m_codecs.size() &&
        TWmaFormats::Enumerate(codecIndex, m_vbr || m_lossless, formats)) {
        for (const TWmaFormat& f : formats)
            m_formats << f.Description;
    }
    return m_formats;
}

bool TWMAOut::ChooseFormat(int channels, int bits, int rate, int& codec, TWmaFormat& format) const {
    if (m_vbr || m_lossless)
        return false; // only VBR or lossless formats would do, and no codec here lists any
    const int64_t wanted =
        m_desiredBitrate < 1000 ? int64_t(m_desiredBitrate) * 1000 : int64_t(m_desiredBitrate);
    // A format must come strictly closer to the wanted bitrate than no format at all (a
    // bitrate of 0), so a wanted bitrate of 0 chooses nothing.
    int64_t bestBitrate = wanted;
    int64_t bestRate = INT64_MAX;
    bool found = false;
    for (int c = 0; c < TWmaFormats::CodecCount(); ++c) {
        std::vector<TWmaFormat> formats;
        if (!TWmaFormats::Enumerate(c, false, formats))
            continue;
        for (const TWmaFormat& f : formats) {
            if (f.Channels != channels || f.BitsPerSample != bits)
                continue;
            const int64_t byBitrate = std::llabs(int64_t(f.Bitrate) - wanted);
            const int64_t byRate = std::llabs(int64_t(f.SampleRate) - rate);
            if (byBitrate < bestBitrate ||
                (found && byBitrate == bestBitrate && byRate < bestRate)) {
                bestBitrate = byBitrate;
                bestRate = byRate;
                codec = c;
                format = f;
                found = true;
            }
        }
    }
    return found;
}

void TWMAOut::WriteAttributes() {
    const TId3v2Tags& t = *FId3v2Tags;
    // Players and taggers read the 1-based WM/TrackNumber. The older WM/Track counts from 0;
    // it is left out, so no reader finds two numbers that disagree.
    const QString trackNumber = TrackNumberOf(t.Track());
    // WM/IsCompilation is a BOOL in the format's attribute list; the muxer writes every
    // attribute as text, so it holds "1", as WM/TrackNumber holds its number as text.
    const std::pair<QString, QString> attributes[] = {
        {QStringLiteral("Author"), t.Artist()},
        {QStringLiteral("WM/AlbumTitle"), t.Album()},
        {QStringLiteral("WM/Genre"), t.Genre()},
        {QStringLiteral("WM/Year"), t.Year()},
        {QStringLiteral("WM/TrackNumber"), trackNumber},
        {QStringLiteral("Title"), t.Title()},
        {QStringLiteral("Copyright"), t.Comment()},
        {QStringLiteral("WM/AlbumArtist"), t.AlbumArtist()},
        {QStringLiteral("WM/PartOfSet"), t.Disc()},
        {QStringLiteral("WM/IsCompilation"), t.Compilation()},
    };
    for (const auto& [name, value] : attributes)
        if (!value.isEmpty())
            m_writer.SetAttribute(name, value);
}

void TWMAOut::PrepareOutput() {
    if (FFileName.isEmpty())
        throw EAuException(QStringLiteral("File name is not assigned."));
    TAuInput* input = Input();
    input->Open();
    if (!input->OpenFailure().isEmpty())
        throw EAuException(input->OpenFailure());
    const int channels = input->Channels();
    const int bits = input->BitsPerSample();
    const int rate = input->SampleRate();

    m_chosenCodec = -1;
    m_chosenFormat = TWmaFormat();
    if (!m_writer.Create(FFileName))
        throw EAuException(m_writer.ErrorText(),
                           m_writer.SystemError()); // "Cannot create file <path>: <reason>"

    int codec = -1;
    TWmaFormat format;
    if (m_codecIndex >= 0) {
        // The user's choice. A codec that does not exist, or VBR asked of a codec without
        // VBR formats, would leave the file without a stream: refuse instead of writing a
        // file that plays nowhere. The library's own words come first, then the reason.
        if (m_codecIndex >= m_codecs.size())
            throw EAuException(QStringLiteral("Failed to init codec\r\nWMAOptions.CodecIndex is "
                                              "%1: there is no such WMA codec (0..%2).")
                                   .arg(m_codecIndex)
                                   .arg(m_codecs.size() - 1));
        if (m_vbr || m_lossless)
            throw EAuException(
                QStringLiteral(
                    "Failed to init codec\r\nWMAOptions.VBR is 1: WMA codec %1 has no %2 "
                    "formats.")
                    .arg(m_codecIndex)
                    .arg(m_lossless ? QStringLiteral("lossless") : QStringLiteral("VBR")));
        std::vector<TWmaFormat> formats;
        TWmaFormats::Enumerate(m_codecIndex, false, formats);
        if (m_formatIndex < 0 || m_formatIndex >= int(formats.size()))
            throw EAuException(QStringLiteral("fff\r\nWMAOptions.FormatIndex is %2: WMA codec %1 "
                                              "has no such format (0..%3).")
                                   .arg(m_codecIndex)
                                   .arg(m_formatIndex)
                                   .arg(formats.size() - 1));
        codec = m_codecIndex;
        format = formats[size_t(m_formatIndex)];
    } else if (!ChooseFormat(channels, bits, rate, codec, format)) {
        throw EAuException(
            QStringLiteral("Failed to init codec\r\nNo WMA format suits %1 channels of %2 bits "
                           "at about %3 bit/s.")
                .arg(channels)
                .arg(bits)
                .arg(m_desiredBitrate));
    }
    if (!m_writer.SetProfile(TWmaFormats::EncoderName(codec), format))
        throw EAuException(QStringLiteral("fff\r\n") + m_writer.ErrorText());
    if (!m_writer.SetInput(channels, rate, bits))
        throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    m_chosenCodec = codec;
    m_chosenFormat = format;

    // A block of PCM: Channels x BitsPerSample x SampleRate / 100 bytes (14112 for CD audio),
    // in whole sample frames.
    const int frameBytes = std::max(1, channels * bits / 8);
    int64_t size = int64_t(channels) * bits * rate / 100;
    size = std::max<int64_t>(frameBytes, size - size % frameBytes);
    m_buffer.assign(size_t(size), 0);
    m_blockSize = int(size);

    WriteAttributes();
    if (!m_writer.BeginWriting())
        throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    m_sampleTime = 0;
    m_endOfInput = false;
}

bool TWMAOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort || m_endOfInput)
        return false;
    const int k = Input()->FillBuffer(m_buffer.data(), int(m_buffer.size()), m_endOfInput);
    if (k > 0) {
        // The time given with each block is the end of that block.
        m_sampleTime += std::llround(double(k) / double(m_writer.InputBytesPerSecond()) * 1e7);
        if (!m_writer.WriteSample(m_buffer.data(), k, m_sampleTime))
            throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    }
    return true;
}

void TWMAOut::FinishOutput() {
    QString failure;
    int systemError = 0;
    try {
        Input()->Close();
    } catch (const EAuException& e) {
        failure = e.Message();
    }
    if (!m_writer.EndWriting()) {
        // Not completed (a full disk, say): no index and a wrong length, so not kept.
        QFile::remove(FFileName);
        if (failure.isEmpty()) {
            failure = m_writer.ErrorText();
            systemError = m_writer.SystemError();
        }
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    if (!failure.isEmpty())
        throw EAuException(failure, systemError);
}

// A failed run leaves no half-written file behind: it would have no index and a wrong length.
void TWMAOut::ReleaseAfterFailure() {
    const bool created = m_writer.Created();
    m_writer.Abort();
    if (created)
        QFile::remove(FFileName);
    m_buffer.clear();
    TAuTaggedFileOut::ReleaseAfterFailure();
}

// ---------------------------------------------------------------------------------------------
// TWMIn

TWMIn::TWMIn(QObject* owner) : TAuTaggedFileIn(owner) {}

TWMIn::~TWMIn() {
    try {
        CloseFile();
    } catch (...) {
    }
}

TId3v2Tags* TWMIn::Id3v2Tags() {
    OpenFile();
    return FId3v2Tags.get();
}

void TWMIn::OpenFile() {
    std::lock_guard<std::recursive_mutex> lk(m_openLock);
    if (FOpened > 0)
        return;
    NoteDamage(QString());
    if (!FStream && FFileName.isEmpty())
        throw EAuException(QStringLiteral("File name is not assigned"));
    if (!FStream) {
        FStream = new TAuFileStream(FFileName, fmOpenRead | fmShareDenyNone);
        FExternalStream = false;
    }
    auto releaseOwnStream = [this] {
        if (!FExternalStream) {
            delete FStream;
            FStream = nullptr;
        }
    };

    QIODevice* stream = FStream;
    TFfmpegReader::TSource source;
    source.Read = [stream](uint8_t* buffer, int size) {
        const qint64 n = stream->read(reinterpret_cast<char*>(buffer), size);
        return n < 0 ? -1 : int(n);
    };
    source.Seek = [stream](int64_t offset, int whence) -> int64_t {
        if (stream->isSequential())
            return -1;
        if (whence == TFfmpegReader::TSource::Size)
            return stream->size();
        const int64_t base = whence == SEEK_CUR   ? stream->pos()
                             : whence == SEEK_END ? stream->size()
                                                  : 0;
        return stream->seek(base + offset) ? stream->pos() : -1;
    };
    FHeaderValid = false;
    if (!m_reader.Open(std::move(source))) {
        // Not a file the reader understands: the input is simply not valid. An own stream is
        // let go, so that a new file name opens the new file.
        m_reader.Close();
        releaseOwnStream();
        return;
    }
    FHeaderValid = m_reader.AudioFound();
    if (m_reader.Protected()) {
        m_reader.Close();
        releaseOwnStream();
        throw EAuException(QCoreApplication::translate("TWMIn", "File is protected"));
    }
    FChannels = m_reader.Channels();
    FSampleRate = m_reader.SampleRate();
    FBitsPerSample = m_reader.BitsPerSample();
    m_duration = int(std::llround(double(m_reader.Duration()) / 100000.0));
    // The exact count where the file tells it (rounding the length to hundredths of a second
    // would cut the end off or promise audio that is not there); 0 when unknown, and then the
    // input reads until the decoder runs out.
    FDataSize = m_reader.TotalSamples() * FChannels * (FBitsPerSample / 8);
    FCanSeek = !FStream->isSequential();

    TId3v2Tags& t = *FId3v2Tags;
    t.SetArtist(m_reader.Attribute(QStringLiteral("Author")));
    t.SetTitle(m_reader.Attribute(QStringLiteral("Title")));
    t.SetAlbum(m_reader.Attribute(QStringLiteral("WM/AlbumTitle")));
    t.SetGenre(m_reader.Attribute(QStringLiteral("WM/Genre")));
    t.SetTrack(m_reader.Attribute(QStringLiteral("WM/Track")));
    t.SetYear(m_reader.Attribute(QStringLiteral("WM/Year")));
    t.SetComment(m_reader.Attribute(QStringLiteral("Copyright")));
    ++FOpened;
}

void TWMIn::CloseFile() {
    std::lock_guard<std::recursive_mutex> lk(m_openLock);
    if (FOpened == 0)
        return;
    m_reader.Close();
    FOpened = 0;
    if (FStream) {
        if (!FExternalStream) {
            delete FStream;
            FStream = nullptr;
        } else if (!FStream->isSequential()) {
            FStream->seek(0);
        }
    }
}

void TWMIn::ReadBlock(char*& buffer, int& bytes) {
    int64_t want = bytes;
    const int64_t size = FDataSize;
    if (size > 0)
        want = std::min<int64_t>(want, size - FReadPosition);
    buffer = nullptr;
    if (want <= 0) {
        bytes = 0;
        return;
    }
    const uint8_t* data = nullptr;
    bytes = m_reader.Read(data, int(want));
    buffer = reinterpret_cast<char*>(const_cast<uint8_t*>(data));
    if (bytes <= 0 && m_reader.DamagedPackets() > 0)
        NoteDamage(QCoreApplication::translate(
                       "TWMIn", "%1 is damaged: %2 of its audio packets could not be decoded")
                       .arg(FFileName)
                       .arg(m_reader.DamagedPackets()));
}

bool TWMIn::SeekSample(int64_t& sample) {
    if (!FInUse)
        return false;
    return m_reader.SeekSample(sample);
}
