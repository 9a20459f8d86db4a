#include "codecs/ACS_M4A.h"

#include "audio/ACS_Tags.h"

#include <QFile>
#include <algorithm>

TM4AOut::TM4AOut(TM4ACodec codec, QObject* owner) : TAuTaggedFileOut(owner), m_codec(codec) {}

TM4AOut::~TM4AOut() {
    ShutDownWorker();
}

void TM4AOut::SetBitrate(int kbps) {
    m_bitrate = std::clamp(kbps, 32, 320);
}

void TM4AOut::WriteTags() {
    const TId3v2Tags& t = *FId3v2Tags;
    // FFmpeg's keys, which its MP4 muxer writes as the items taggers read: "track" and "disc"
    // as "n/total" become trkn and disk, "compilation" cpil, "date" ©day.
    const std::pair<const char*, QString> tags[] = {
        {"title", t.Title()},
        {"artist", t.Artist()},
        {"album_artist", t.AlbumArtist()},
        {"album", t.Album()},
        {"date", t.Year()},
        {"genre", t.Genre()},
        {"track", t.Track()},
        {"disc", t.Disc()},
        {"comment", t.Comment()},
        {"compilation", t.Compilation()},
    };
    for (const auto& [key, value] : tags)
        if (!value.isEmpty())
            m_writer.SetAttribute(QLatin1String(key), value);
    m_writer.SetCover(m_picture);
}

void TM4AOut::PrepareOutput() {
    if (FFileName.isEmpty())
        throw EAuException(QStringLiteral("File name is not assigned."));
    TAuInput* input = Input();
    input->Open();
    if (!input->OpenFailure().isEmpty())
        throw EAuException(input->OpenFailure());
    const int channels = input->Channels();
    const int bits = input->BitsPerSample();
    const int rate = input->SampleRate();
    if (!m_writer.Create(FFileName, TFfmpegContainer::Mp4))
        throw EAuException(m_writer.ErrorText(),
                           m_writer.SystemError()); // "Cannot create file <path>: <reason>"
    const bool aac = m_codec == TM4ACodec::Aac;
    // ALAC keeps the input's bits: 16 for CD audio and narrower input, 24 for wider (FFmpeg's
    // encoder has no 32-bit mode); AAC codes floats.
    if (!m_writer.SetStream(aac ? QStringLiteral("aac") : QStringLiteral("alac"), rate, channels,
                            aac ? int64_t(m_bitrate) * 1000 : 0, bits <= 16 ? 16 : 24))
        throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    if (!m_writer.SetInput(channels, rate, bits))
        throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    // A block of PCM: a hundredth of a second (14112 bytes of CD audio), in whole sample
    // frames.
    const int frameBytes = std::max(1, channels * bits / 8);
    int64_t size = int64_t(channels) * bits * rate / 100;
    size = std::max<int64_t>(frameBytes, size - size % frameBytes);
    m_buffer.assign(size_t(size), 0);
    WriteTags();
    if (!m_writer.BeginWriting())
        throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    m_endOfInput = false;
}

bool TM4AOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort || m_endOfInput)
        return false;
    const int k = Input()->FillBuffer(m_buffer.data(), int(m_buffer.size()), m_endOfInput);
    if (k > 0 && !m_writer.WriteSample(m_buffer.data(), k, 0))
        throw EAuException(m_writer.ErrorText(), m_writer.SystemError());
    return true;
}

void TM4AOut::FinishOutput() {
    QString failure;
    int systemError = 0;
    try {
        Input()->Close();
    } catch (const EAuException& e) {
        failure = e.Message();
    }
    // A stopped run is completed too, so the file plays to where it stopped.
    if (!m_writer.EndWriting()) {
        // Not completed (a full disk, say): without its index the file plays nowhere.
        QFile::remove(FFileName);
        if (failure.isEmpty()) {
            failure = m_writer.ErrorText();
            systemError = m_writer.SystemError();
        }
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    FId3v2Tags->Clear();
    m_picture = TCoverArt();
    if (!failure.isEmpty())
        throw EAuException(failure, systemError);
}

// A failed run leaves no half-written file behind: without its index it would play nowhere.
void TM4AOut::ReleaseAfterFailure() {
    const bool created = m_writer.Created();
    m_writer.Abort();
    if (created)
        QFile::remove(FFileName);
    m_buffer.clear();
    FId3v2Tags->Clear();
    m_picture = TCoverArt();
    TAuTaggedFileOut::ReleaseAfterFailure();
}
