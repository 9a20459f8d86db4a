#include "RipSheets.h"

#include "audio/Genres.h"
#include "audio/Helpers.h"
#include "encode/OutputFormats.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// A text as a cue sheet quotes it: the format has no escape, so a double quote becomes a single
// one and line breaks become spaces.
QString quoted(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('"'), QLatin1Char('\''));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// "mm:ss:ff" of a frame count (75 frames a second).
QString msf(int frames) {
    return TwoDigit(frames / 4500) + QLatin1Char(':') + TwoDigit(frames / 75 % 60) +
           QLatin1Char(':') + TwoDigit(frames % 75);
}

} // namespace

TRipSheets::TRipSheets(const TRipPlan& plan, size_t format, const TCddbDisc& toc,
                       const std::vector<int>& pregapFrames)
    : m_plan(plan), m_format(format), m_toc(toc), m_pregaps(pregapFrames) {
    for (const TRipPlanTrack& t : plan.Tracks) {
        const bool written =
            t.State == TRipPlanTrack::TState::Done ||
            (t.State == TRipPlanTrack::TState::Skipped && QFileInfo::exists(fileOf(t)));
        if (written)
            m_tracks.push_back(&t);
    }
    std::stable_sort(m_tracks.begin(), m_tracks.end(),
                     [](const auto* a, const auto* b) { return a->Number < b->Number; });
}

QString TRipSheets::fileOf(const TRipPlanTrack& t) const {
    return t.Paths[m_format];
}

int TRipSheets::lengthFrames(int number) const {
    const auto& starts = m_toc.StartFrames;
    if (number < 1 || number > int(starts.size()))
        return 0;
    const int next = number < int(starts.size()) ? starts[size_t(number)] : m_toc.LeadOutFrame;
    return std::max(0, next - starts[size_t(number - 1)]);
}

QString TRipSheets::Playlist() const {
    QString text = QStringLiteral("#EXTM3U\n");
    for (const TRipPlanTrack* t : m_tracks) {
        const QString artist = t->Artist.isEmpty() ? m_plan.Disc.Artist : t->Artist;
        // Whole seconds, rounded; -1 is the format's "unknown".
        const int frames = lengthFrames(t->Number);
        text += QStringLiteral("#EXTINF:%1,%2\n")
                    .arg(frames > 0 ? (frames + 37) / 75 : -1)
                    .arg(artist.isEmpty() ? t->Title : artist + QStringLiteral(" - ") + t->Title);
        text += m_plan.RelativeToFiles(fileOf(*t), m_format) + QLatin1Char('\n');
    }
    return text;
}

QString TRipSheets::CueSheet() const {
    const TDiscFields& d = m_plan.Disc;
    QString text;
    if (d.Genre > 0)
        text += QStringLiteral("REM GENRE %1\n").arg(quoted(GenreBoxText(d.Genre)));
    if (!d.Year.isEmpty())
        text += QStringLiteral("REM DATE %1\n").arg(d.Year);
    if (m_toc.isValid())
        text += QStringLiteral("REM DISCID %1\n").arg(m_toc.discIdText().toUpper());
    text += QStringLiteral("REM COMMENT \"Sondrel %1\"\n").arg(QStringLiteral(SONDREL_VERSION));
    if (m_pregaps.empty())
        text += QStringLiteral("REM gaps not detected\n");
    if (!d.EffectiveAlbumArtist().isEmpty())
        text += QStringLiteral("PERFORMER %1\n").arg(quoted(d.EffectiveAlbumArtist()));
    if (!d.Album.isEmpty())
        text += QStringLiteral("TITLE %1\n").arg(quoted(d.Album));
    const QString type =
        m_plan.Formats[m_format] == FormatMp3 ? QStringLiteral("MP3") : QStringLiteral("WAVE");
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        const TRipPlanTrack& t = *m_tracks[i];
        const size_t position = size_t(t.Number - 1);
        const int pregap = position < m_pregaps.size() ? m_pregaps[position] : 0;
        // A track's gap lies at the end of the file before it, which the sheet names only when
        // that file is the previous track's.
        const bool gapInPrevious = pregap > 0 && i > 0 && m_tracks[i - 1]->Number == t.Number - 1;
        if (!gapInPrevious) {
            text += QStringLiteral("FILE %1 %2\n")
                        .arg(quoted(m_plan.RelativeToFiles(fileOf(t), m_format)), type);
            text += QStringLiteral("  TRACK %1 AUDIO\n").arg(TwoDigit(t.Number));
        } else {
            text += QStringLiteral("  TRACK %1 AUDIO\n").arg(TwoDigit(t.Number));
        }
        text += QStringLiteral("    TITLE %1\n").arg(quoted(t.Title));
        const QString artist = t.Artist.isEmpty() ? d.Artist : t.Artist;
        if (!artist.isEmpty())
            text += QStringLiteral("    PERFORMER %1\n").arg(quoted(artist));
        if (gapInPrevious) {
            const int previousLength = lengthFrames(t.Number - 1);
            text +=
                QStringLiteral("    INDEX 00 %1\n").arg(msf(std::max(0, previousLength - pregap)));
            text += QStringLiteral("FILE %1 %2\n")
                        .arg(quoted(m_plan.RelativeToFiles(fileOf(t), m_format)), type);
        }
        text += QStringLiteral("    INDEX 01 00:00:00\n");
    }
    return text;
}
