#include "EncodeStep.h"

#include "audio/ACS_Tags.h"
#include "audio/FileClaim.h"
#include "audio/Genres.h"
#include "audio/Helpers.h"
#include "codecs/ACS_FLAC.h"
#include "codecs/ACS_M4A.h"
#include "codecs/ACS_Opus.h"
#include "codecs/ACS_Vorbis.h"
#include "codecs/ACS_WinMedia.h"
#include "encode/EncoderConfig.h"
#include "encode/LoudnessTap.h"
#include "encode/OutputFormats.h"
#include "encode/ReplayGainTagger.h"
#include "encode/Tid3tag.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The outcome of a file, posted by the step to itself so the finishing steps run as an event
// of their own.
constexpr QEvent::Type EncodeOutcomeEvent = QEvent::Type(QEvent::User + 130);

class TEncodeOutcome : public QEvent {
public:
    TEncodeOutcome(const QString& failure, int systemError)
        : QEvent(EncodeOutcomeEvent), Failure(failure), SystemError(systemError) {}
    const QString Failure;
    const int SystemError;
};

// The track text of a tag as a number: "7" and "7/12" give 7, anything else 0.
quint8 TrackNumberOf(const QString& text) {
    bool ok = false;
    const int n = text.section(QLatin1Char('/'), 0, 0).trimmed().toInt(&ok);
    return ok && n > 0 && n < 256 ? quint8(n) : quint8(0);
}

// "3", or "3/12" with a known total.
QString NumberText(int number, int total) {
    return total > 0 ? QStringLiteral("%1/%2").arg(number).arg(total) : QString::number(number);
}

// The texts a file is tagged with.
struct TFileTexts {
    QString Title, Artist, Album, Year, Genre, Comment;
    QString Track;       // "3", or "3/12" with the disc's number of tracks
    QString AlbumArtist; // a ripped track's only, as are the two below
    QString Disc;        // "2", or "2/3" with the number of discs in the set
    QString Compilation; // "1" for a part of a compilation
};

TFileTexts TextsOf(const TEncodeRequest& r) {
    TFileTexts t;
    if (r.Texts == TEncodeRequest::InputTexts) {
        const TId3v2Tags* in = static_cast<TWMIn*>(r.Input)->Id3v2Tags();
        t.Title = in->Title();
        t.Artist = in->Artist();
        t.Album = in->Album();
        t.Year = in->Year();
        t.Genre = in->Genre();
        t.Comment = in->Comment();
        t.Track = in->Track();
    } else {
        t.Title = r.Title;
        t.Artist = r.Artist.isEmpty() ? r.Disc.Artist : r.Artist;
        t.Album = r.Disc.Album;
        t.Year = r.Disc.Year;
        t.Genre = GenreBoxText(r.Disc.Genre);
        t.Comment = r.Disc.Comment;
        if (r.Track > 0)
            t.Track = NumberText(r.Track, r.TrackTotal);
        t.AlbumArtist = r.Disc.EffectiveAlbumArtist();
        if (r.Disc.DiscNumber > 0)
            t.Disc = NumberText(r.Disc.DiscNumber, r.Disc.DiscTotal);
        if (r.Compilation)
            t.Compilation = QStringLiteral("1");
    }
    return t;
}

// Puts `t` into an ID3v2 or APEv2 tag object (their setters take the same texts); empty texts
// are written by neither.
template <class Tags> void SetTexts(Tags& tags, const TFileTexts& t) {
    tags.SetTitle(t.Title);
    tags.SetArtist(t.Artist);
    tags.SetAlbum(t.Album);
    tags.SetYear(t.Year);
    tags.SetGenre(t.Genre);
    tags.SetComment(t.Comment);
    if (!t.Track.isEmpty())
        tags.SetTrack(t.Track);
    tags.SetAlbumArtist(t.AlbumArtist);
    tags.SetDisc(t.Disc);
    tags.SetCompilation(t.Compilation);
}

} // namespace

TEncodeStep::TEncodeStep(const TAppOptions& options, QObject* parent)
    : QObject(parent), m_options(options) {}

TEncodeStep::~TEncodeStep() {
    Stop();
}

TAuFileOut* TEncodeStep::OutputOf(int format) {
    if (format < 0 || format >= OutputFormatCount)
        throw EAuException(tr("Unknown output format %1").arg(format));
    TAuFileOut*& out = m_outputs[size_t(format)];
    if (out)
        return out;
    out = CreateFormatOutput(format, this);
    out->SetDoneDelay(m_doneDelay);
    out->SetOnDone([this](TAuOutput* sender) { outputDone(sender); });
    out->SetOnProgress([this](TAuOutput* sender) {
        if (m_active && sender == m_output && sender->Progress() >= 0)
            emit progress(sender->Progress());
    });
    return out;
}

void TEncodeStep::SetDoneDelay(int ms) {
    m_doneDelay = ms;
    for (TAuFileOut* out : m_outputs)
        if (out)
            out->SetDoneDelay(ms);
}

void TEncodeStep::Start(const TEncodeRequest& request) {
    Q_ASSERT(QThread::currentThread() == thread());
    m_request = request;
    m_active = true;
    m_waitsForGain = false;
    m_output = nullptr;
    m_lastLoudness.reset();
    m_systemError = 0;
    // The file is written under a name of its own and takes its final name only once complete,
    // so a failed or stopped run never replaces what was there, nor passes for a whole file.
    releasePartial();
    m_partialFd = TFileClaim::CreatePartial(request.Path, &m_partial);
    if (m_partialFd < 0) {
        m_systemError = errno;
        m_partial.clear();
        postOutcome(tr("Cannot create a file beside %1: %2")
                        .arg(request.Path, QString::fromLocal8Bit(std::strerror(m_systemError))));
        return;
    }
    try {
        m_output = OutputOf(request.Format);
        if (request.MeasureGain) {
            if (!m_tap)
                m_tap = new TLoudnessTap(this);
            m_tap->SetSource(request.Input);
            m_output->SetInput(m_tap);
        } else {
            m_output->SetInput(request.Input);
        }
        m_output->SetFileName(m_partial);
        ConfigureFormatOutput(*m_output, request, m_options);
        if (request.Format == FormatFlac)
            static_cast<TFLACOut*>(m_output)->SetPicture(request.Cover);
        if (request.Format == FormatOgg)
            static_cast<TVorbisOut*>(m_output)->SetPicture(request.Cover);
        if (request.Format == FormatOpus)
            static_cast<TOpusOut*>(m_output)->SetPicture(request.Cover);
        if (request.Format == FormatAac || request.Format == FormatAlac) {
            auto* m4a = static_cast<TM4AOut*>(m_output);
            TId3v2Tags tags;
            if (request.Texts != TEncodeRequest::NoTexts)
                SetTexts(tags, TextsOf(request));
            m4a->SetId3v2Tags(tags);
            m4a->SetPicture(request.Cover);
        }
        if (request.Format == FormatWma) {
            auto* wma = static_cast<TWMAOut*>(m_output);
            if (request.Texts == TEncodeRequest::DiscTexts) {
                // A WMA's track attributes hold the number alone.
                TEncodeRequest numberOnly = request;
                numberOnly.TrackTotal = 0;
                TId3v2Tags tags;
                SetTexts(tags, TextsOf(numberOnly));
                wma->SetId3v2Tags(tags);
            } else if (request.Texts == TEncodeRequest::InputTexts)
                wma->SetId3v2Tags(*static_cast<TWMIn*>(request.Input)->Id3v2Tags());
            else
                wma->SetId3v2Tags(TId3v2Tags());
        }
        m_output->Start();
    } catch (const EAuException& e) {
        postOutcome(e.Message());
    } catch (const std::exception& e) {
        postOutcome(QString::fromLocal8Bit(e.what()));
    }
}

void TEncodeStep::Stop() {
    for (TAuFileOut* out : m_outputs)
        if (out)
            out->Stop(false); // no handler of this step runs after this
    QCoreApplication::removePostedEvents(this, EncodeOutcomeEvent);
    m_active = false;
    m_waitsForGain = false;
    // What was written stays, unlocked, for a later run to clear; a file that holds nothing
    // yet (still the one this step made) tells nothing and goes.
    struct stat held {
    }, named{};
    const QByteArray native = QFile::encodeName(m_partial);
    if (m_partialFd >= 0 && ::fstat(m_partialFd, &held) == 0 && held.st_size == 0 &&
        ::lstat(native.constData(), &named) == 0 && named.st_ino == held.st_ino &&
        named.st_dev == held.st_dev)
        ::unlink(native.constData());
    releasePartial();
}

void TEncodeStep::releasePartial() {
    if (m_partialFd >= 0)
        ::close(m_partialFd);
    m_partialFd = -1;
}

void TEncodeStep::outputDone(TAuOutput* sender) {
    if (m_active && sender == m_output)
        postOutcome(sender->FailureText(), sender->SystemError());
}

void TEncodeStep::postOutcome(const QString& failure, int systemError) {
    QCoreApplication::postEvent(this, new TEncodeOutcome(failure, systemError));
}

bool TEncodeStep::event(QEvent* e) {
    if (e->type() != EncodeOutcomeEvent)
        return QObject::event(e);
    if (!m_active)
        return true;
    const auto* outcome = static_cast<TEncodeOutcome*>(e);
    if (outcome->SystemError != 0)
        m_systemError = outcome->SystemError;
    if (outcome->Failure.isEmpty() && m_request.TrackGainLater)
        m_waitsForGain = true; // the output is done with the file; SetTrackGain completes it
    else
        complete(outcome->Failure);
    return true;
}

void TEncodeStep::SetTrackGain(const TReplayGain& gain) {
    if (!m_active || !m_request.TrackGainLater)
        return;
    m_request.TrackGainLater = false;
    m_request.Gain.HasTrack = gain.HasTrack;
    m_request.Gain.TrackGain = gain.TrackGain;
    m_request.Gain.TrackPeak = gain.TrackPeak;
    if (m_waitsForGain) {
        m_waitsForGain = false;
        complete(QString());
    }
}

void TEncodeStep::complete(QString failure) {
    m_active = false;
    QString path;
    if (failure.isEmpty()) {
        // The tags go onto the file while it still has its temporary name.
        TEncodeRequest written = m_request;
        written.Path = m_partial;
        if (m_request.Format == FormatMp3 && m_request.Texts != TEncodeRequest::NoTexts)
            TagMp3(written);
        if (m_request.Format == FormatApe && m_request.Texts != TEncodeRequest::NoTexts)
            TagApe(written);
        TReplayGain gain = m_request.Gain;
        if (m_request.MeasureGain && m_tap->Meter()) {
            m_lastLoudness = m_tap->Meter();
            gain.HasTrack = TReplayGain::GainOf(m_lastLoudness->Loudness(), &gain.TrackGain);
            gain.TrackPeak = m_lastLoudness->Peak();
        }
        failure = TReplayGainTagger::WriteInPlace(m_partial, m_request.Format, gain);
        if (failure.isEmpty()) {
            if (m_request.MayReplace) {
                failure = RenameOver(m_partial, m_request.Path);
                if (failure.isEmpty())
                    path = m_request.Path;
            } else {
                path = TFileClaim::ClaimFree(m_partial, m_request.Path, &failure);
            }
        }
    }
    // A folder that refuses more files is seen before the failed file gives its room back.
    if (!failure.isEmpty() && m_systemError == 0)
        m_systemError = FolderWriteFailure(QFileInfo(m_request.Path).path());
    if (!failure.isEmpty() && !m_partial.isEmpty())
        QFile::remove(m_partial); // what a failed run wrote is no file of the user's
    releasePartial();
    if (failure.isEmpty())
        TFileClaim::RemoveStalePartials(m_request.Path);
    m_partial.clear();
    m_damage = failure.isEmpty() && m_request.Input ? m_request.Input->DamageText() : QString();
    emit finished(path.isEmpty() ? m_request.Path : path, failure);
    m_damage.clear();
    m_systemError = 0;
}

void TEncodeStep::TagMp3(const TEncodeRequest& r) {
    const TFileTexts t = TextsOf(r);
    // A tag that cannot be written leaves the audio as it is.
    TId3v2Tags full;
    full.SetWrittenFrames(TId3v2Frames::NonEmpty);
    SetTexts(full, t);
    full.SetPicture(r.Cover);
    full.WriteToFile(r.Path, false);

    Tid3tag tag;
    tag.SetTitle(t.Title);
    tag.SetArtist(t.Artist);
    tag.SetAlbum(t.Album);
    tag.SetYear(t.Year);
    tag.SetComment(t.Comment);
    // The genre box position of the first name equal to the text ignoring case.
    tag.Genre = GenreByte(GenreIndexOf(t.Genre.trimmed(), Qt::CaseInsensitive) + 1);
    tag.SetTrack(TrackNumberOf(t.Track));
    tag.WriteTag(r.Path);
}

void TEncodeStep::TagApe(const TEncodeRequest& r) {
    TAPEv2Tags tags;
    SetTexts(tags, TextsOf(r));
    tags.SetPicture(r.Cover);
    tags.WriteToFile(r.Path, false); // a tag that cannot be written leaves the audio as it is
}
