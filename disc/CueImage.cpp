#include "CueImage.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <algorithm>
#include <cctype>

namespace {

constexpr qint64 kMaxSheetBytes = 1 << 20; // a sheet of 99 tracks with long texts is far less

struct TMode {
    const char* Name;
    int Stride; // bytes a sector takes in the file
    bool Audio;
};

// CDG sectors carry 96 bytes of subchannel data after their audio.
const TMode kModes[] = {
    {"AUDIO", 2352, true},       {"CDG", 2448, true},         {"MODE1/2048", 2048, false},
    {"MODE1/2352", 2352, false}, {"MODE2/2048", 2048, false}, {"MODE2/2324", 2324, false},
    {"MODE2/2332", 2332, false}, {"MODE2/2336", 2336, false}, {"MODE2/2352", 2352, false},
    {"CDI/2336", 2336, false},   {"CDI/2352", 2352, false},
};

const char* const kKeywords[] = {
    "REM",        "CATALOG",   "CDTEXTFILE", "FILE",      "FLAGS",   "TRACK",
    "ISRC",       "PREGAP",    "INDEX",      "POSTGAP",   "TITLE",   "PERFORMER",
    "SONGWRITER", "COMPOSER",  "ARRANGER",   "MESSAGE",   "DISC_ID", "GENRE",
    "TOC_INFO1",  "TOC_INFO2", "UPC_EAN",    "SIZE_INFO",
};

bool isKeyword(const QByteArray& word) {
    return std::any_of(std::begin(kKeywords), std::end(kKeywords),
                       [&](const char* k) { return word == k; });
}

// The value of a text line after its keyword: a quoted string without its quotes (up to the
// last quote, so quotes inside survive), or the rest of the line.
QByteArray lineValue(const QByteArray& rest) {
    const QByteArray r = rest.trimmed();
    if (r.startsWith('"')) {
        const qsizetype close = r.lastIndexOf('"');
        return close > 0 ? r.mid(1, close - 1) : r.mid(1);
    }
    return r;
}

} // namespace

// A track as the sheet describes it, before it is placed on the disc.
struct TCueImage::TSheetTrack {
    int Number = 0;
    int Stride = 2352;
    bool Audio = true;
    uint8_t Control = 0;
    int Session = 1;
    int64_t Pregap = 0; // silence before the track (PREGAP), sectors
    int64_t Postgap = 0;
    bool HasIndex0 = false;
    bool HasIndex1 = false;
};

// A FILE line (Track -1) or an INDEX line, in the sheet's order.
struct TCueImage::TIndexLine {
    int Track = -1; // in the parsed tracks
    int File = 0;
    int Number = 0;     // the index number
    int64_t Sector = 0; // in the file
};

bool TCueImage::Open(const QString& path) {
    QByteArray text;
    if (!ReadImageFile(path, kMaxSheetBytes, &text))
        return false;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.contains('\0'))
        return Fail(
            QCoreApplication::translate("TCueImage", "%1 is not a CUE sheet (it holds binary data)")
                .arg(m_path));
    // Sheets are mostly UTF-8; older ones are in Latin-1. The whole sheet decides, so a text
    // ending in a Latin-1 letter keeps it.
    m_latin1 = !IsUtf8(text);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n'); // old Mac line ends

    auto fail = [&](const QString& why) {
        return Fail(
            QCoreApplication::translate("TCueImage", "%1 is not a CUE sheet that can be used: %2")
                .arg(m_path, why));
    };
    struct TFileLine {
        QByteArray Name;
        QByteArray Type;
        int Line = 0;
        bool Indexed = false;
    };
    std::vector<TFileLine> files;
    std::vector<TSheetTrack> tracks;
    std::vector<TIndexLine> lines;
    int session = 1;
    const QList<QByteArray> sheetLines = text.split('\n');
    for (int n = 0; n < sheetLines.size(); ++n) {
        const QByteArray line = sheetLines[n].trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> words = line.simplified().split(' ');
        const QByteArray key = words[0].toUpper();
        const QByteArray rest = line.mid(words[0].size());
        const int lineNo = n + 1;
        if (!isKeyword(key)) {
            const QString word = Text(words[0].left(40));
            if (tracks.empty() && files.empty())
                return Fail(QCoreApplication::translate(
                                "TCueImage", "%1 is not a CUE sheet (line %2 begins with \"%3\")")
                                .arg(m_path)
                                .arg(lineNo)
                                .arg(word));
            return Fail(
                QCoreApplication::translate("TCueImage", "%1, line %2: unknown command \"%3\"")
                    .arg(m_path)
                    .arg(lineNo)
                    .arg(word));
        }
        if (key == "REM") {
            if (words.size() >= 3 && words[1].toUpper() == "SESSION") {
                bool ok = false;
                const int number = words[2].toInt(&ok);
                if (!ok || number < 1 || number > 99)
                    return fail(QCoreApplication::translate(
                                    "TCueImage", "line %1 is no REM SESSION with a number from 1 "
                                                 "to 99")
                                    .arg(lineNo));
                session = number;
            }
        } else if (key == "FILE") {
            QByteArray name, type;
            const QByteArray r = rest.trimmed();
            if (r.startsWith('"')) {
                const qsizetype close = r.lastIndexOf('"');
                if (close > 0) {
                    name = r.mid(1, close - 1);
                    type = r.mid(close + 1).trimmed();
                }
            } else {
                const qsizetype space = r.lastIndexOf(' ');
                if (space > 0) {
                    name = r.left(space).trimmed();
                    type = r.mid(space + 1);
                }
            }
            if (name.isEmpty() || type.isEmpty() || type.contains(' '))
                return fail(
                    QCoreApplication::translate("TCueImage", "line %1 names no file and type")
                        .arg(lineNo));
            if (!files.empty() && !files.back().Indexed)
                return fail(QCoreApplication::translate(
                                "TCueImage", "the FILE line on line %1 has no INDEX lines")
                                .arg(files.back().Line));
            files.push_back({name, type.toUpper(), lineNo, false});
            lines.push_back({-1, int(files.size()) - 1, 0, 0});
        } else if (key == "TRACK") {
            bool ok = false;
            const int number = words.size() >= 3 ? words[1].toInt(&ok) : 0;
            if (!ok || words.size() != 3)
                return fail(
                    QCoreApplication::translate("TCueImage", "line %1 is no TRACK number and type")
                        .arg(lineNo));
            if (number < 1 || number > 99)
                return fail(QCoreApplication::translate(
                                "TCueImage", "track number %1 on line %2 is outside 1 to 99")
                                .arg(number)
                                .arg(lineNo));
            if (!tracks.empty() && number != tracks.back().Number + 1)
                return fail(QCoreApplication::translate(
                                "TCueImage", "track %1 on line %2 follows track %3 (tracks are "
                                             "numbered one after the other)")
                                .arg(number)
                                .arg(lineNo)
                                .arg(tracks.back().Number));
            if (files.empty())
                return fail(QCoreApplication::translate(
                                "TCueImage", "track %1 on line %2 comes before any FILE line")
                                .arg(number)
                                .arg(lineNo));
            const QByteArray modeName = words[2].toUpper();
            const auto mode = std::find_if(std::begin(kModes), std::end(kModes),
                                           [&](const TMode& m) { return modeName == m.Name; });
            if (mode == std::end(kModes))
                return fail(QCoreApplication::translate(
                                "TCueImage", "track %1 on line %2 has an unknown mode \"%3\"")
                                .arg(number)
                                .arg(lineNo)
                                .arg(Text(words[2].left(40))));
            if (!tracks.empty() && !tracks.back().HasIndex1)
                return Fail(QCoreApplication::translate("TCueImage", "%1: track %2 has no INDEX 01")
                                .arg(m_path)
                                .arg(tracks.back().Number));
            TSheetTrack t;
            t.Number = number;
            t.Stride = mode->Stride;
            t.Audio = mode->Audio;
            t.Control = mode->Audio ? 0 : 0x04;
            t.Session = session;
            tracks.push_back(t);
        } else if (key == "FLAGS") {
            if (tracks.empty())
                continue;
            for (const QByteArray& flag : words.mid(1)) {
                const QByteArray f = flag.toUpper();
                if (f == "DCP")
                    tracks.back().Control |= 0x02;
                else if (f == "PRE")
                    tracks.back().Control |= 0x01;
                else if (f == "4CH")
                    tracks.back().Control |= 0x08;
            }
        } else if (key == "PREGAP" || key == "POSTGAP" || key == "INDEX") {
            const QByteArray time = words.size() >= 2 ? words.last() : QByteArray();
            const int64_t sectors = TDiscImage::ParseMsf(time);
            bool numbered = true;
            const int number = key == "INDEX" && words.size() == 3 ? words[1].toInt(&numbered) : 0;
            if (sectors < 0 || words.size() != (key == "INDEX" ? 3 : 2) || !numbered ||
                number < 0 || number > 99)
                return fail(QCoreApplication::translate("TCueImage",
                                                        "line %1 is no %2 with a time mm:ss:ff")
                                .arg(lineNo)
                                .arg(QString::fromLatin1(key)));
            if (tracks.empty())
                return fail(
                    QCoreApplication::translate("TCueImage", "line %1 comes before any TRACK line")
                        .arg(lineNo));
            TSheetTrack& t = tracks.back();
            if (key == "PREGAP") {
                t.Pregap = sectors;
            } else if (key == "POSTGAP") {
                t.Postgap = sectors;
            } else {
                if ((number == 0 && t.HasIndex1) || (number > 1 && !t.HasIndex1))
                    return Fail(
                        (number == 0
                             ? QCoreApplication::translate(
                                   "TCueImage", "%1: track %2 has its INDEX %3 after its INDEX 01")
                             : QCoreApplication::translate(
                                   "TCueImage",
                                   "%1: track %2 has its INDEX %3 before its INDEX 01"))
                            .arg(m_path)
                            .arg(t.Number)
                            .arg(number, 2, 10, QLatin1Char('0')));
                if ((number == 0 && t.HasIndex0) || (number == 1 && t.HasIndex1))
                    return fail(QCoreApplication::translate(
                                    "TCueImage", "track %1 has a second INDEX %2 on line %3")
                                    .arg(t.Number)
                                    .arg(number, 2, 10, QLatin1Char('0'))
                                    .arg(lineNo));
                t.HasIndex0 |= number == 0;
                t.HasIndex1 |= number == 1;
                files.back().Indexed = true;
                lines.push_back({int(tracks.size()) - 1, int(files.size()) - 1, number, sectors});
            }
        } else if (key == "TITLE" || key == "PERFORMER" || key == "SONGWRITER") {
            TCdText::TEntry& entry =
                tracks.empty() ? m_cdText.Disc : m_cdText.Tracks[size_t(tracks.back().Number)];
            const QString value = Text(lineValue(rest)).trimmed();
            (key == "TITLE"       ? entry.Title
             : key == "PERFORMER" ? entry.Performer
                                  : entry.Songwriter) = value;
        }
        // CATALOG, ISRC, CDTEXTFILE and the other CD-Text lines say nothing about the layout.
    }
    if (tracks.empty())
        return Fail(
            QCoreApplication::translate("TCueImage", "%1 is not a CUE sheet: it names no tracks")
                .arg(m_path));
    if (!tracks.back().HasIndex1)
        return Fail(QCoreApplication::translate("TCueImage", "%1: track %2 has no INDEX 01")
                        .arg(m_path)
                        .arg(tracks.back().Number));
    if (!files.back().Indexed)
        return fail(
            QCoreApplication::translate("TCueImage", "the FILE line on line %1 has no INDEX lines")
                .arg(files.back().Line));

    for (const TFileLine& f : files) {
        // The name as the sheet spells it, else in the other encoding: a Latin-1 sheet may
        // name a file the system spells in UTF-8, and the other way round.
        std::vector<QByteArray> other;
        const QString decoded = Text(f.Name);
        const QByteArray recoded = m_latin1 ? decoded.toUtf8() : decoded.toLatin1();
        if (recoded != f.Name && (m_latin1 || QString::fromLatin1(recoded) == decoded))
            other.push_back(recoded);
        const TFileKind kind = f.Type == "BINARY"     ? TFileKind::Raw
                               : f.Type == "MOTOROLA" ? TFileKind::RawBigEndian
                                                      : TFileKind::Audio;
        // WAVE, AIFF, MP3, FLAC or whatever the sheet says: the file's content decides.
        if (OpenDataFile(f.Name, other, kind) < 0)
            return false;
    }
    return Layout(tracks, lines);
}

// Places the files and gaps one after the other. The audio of a file from one track's first
// index (00, else 01) to the next track's first index belongs to the first track, across
// files; a track's INDEX 01 lies after its PREGAP silence and its INDEX 00 audio. A track's
// POSTGAP silence comes before the next track's gap.
bool TCueImage::Layout(std::vector<TSheetTrack>& tracks, const std::vector<TIndexLine>& lines) {
    int file = -1;
    int64_t pos = 0;                    // sectors of the current file placed so far
    int64_t byte = 0;                   // the byte of the file where `pos` begins
    int stride = tracks.front().Stride; // of the track that owns the file from `pos`
    bool audio = tracks.front().Audio;
    int lastTrack = -1; // the track of the file's last index so far
    int lastNumber = 0;
    int64_t postgap = 0;
    int64_t gapStart = 0;
    auto rest = [&]() { // the rest of the file, a last partial sector counted whole
        return std::max<int64_t>(0, (FileSize(file) - byte + stride - 1) / stride);
    };
    for (const TIndexLine& l : lines) {
        if (l.Track < 0) {
            if (file >= 0)
                AppendFile(file, byte, rest(), stride, audio);
            file = l.File;
            pos = byte = 0;
            lastTrack = -1;
            continue;
        }
        const TSheetTrack& t = tracks[size_t(l.Track)];
        const bool first = l.Number == 0 || (l.Number == 1 && !t.HasIndex0);
        if (lastTrack >= 0 && (l.Sector < pos || (first && l.Sector == pos))) {
            if (lastTrack == l.Track)
                return Fail(QCoreApplication::translate(
                                "TCueImage", "%1: track %2 has its INDEX %3 before its INDEX %4")
                                .arg(m_path)
                                .arg(t.Number)
                                .arg(l.Number, 2, 10, QLatin1Char('0'))
                                .arg(lastNumber, 2, 10, QLatin1Char('0')));
            return Fail(QCoreApplication::translate(
                            "TCueImage", "%1: track %2 starts at %3 in %4, not after track %5 "
                                         "(%6): track starts must increase")
                            .arg(m_path)
                            .arg(t.Number)
                            .arg(Msf(l.Sector), FileName(file))
                            .arg(tracks[size_t(lastTrack)].Number)
                            .arg(Msf(pos)));
        }
        const int64_t at = byte + (l.Sector - pos) * stride;
        if (l.Number == 0 ? at > FileSize(file) : at >= FileSize(file)) {
            const int64_t cut = (FileSize(file) + stride - 1) / stride;
            return Fail(QCoreApplication::translate(
                            "TCueImage", "Track %1 is cut: %2 ends at %3, before the track starts "
                                         "at %4 as %5 says")
                            .arg(t.Number)
                            .arg(FileName(file), Msf(cut), Msf(l.Sector), m_path));
        }
        AppendFile(file, byte, l.Sector - pos, stride, audio);
        pos = l.Sector;
        byte = at;
        lastTrack = l.Track;
        lastNumber = l.Number;
        if (first) {
            AppendSilence(postgap);
            postgap = 0;
            gapStart = Position();
            AppendSilence(t.Pregap);
            stride = t.Stride;
            audio = t.Audio;
        }
        if (l.Number == 1) {
            m_tracks.push_back({t.Number, Position(), t.Control, Position() - gapStart, t.Session});
            postgap = t.Postgap;
        }
        if (TooLong())
            break; // refused below, before anything more is added
    }
    if (!TooLong()) {
        AppendFile(file, byte, rest(), stride, audio);
        AppendSilence(postgap);
    }
    return CheckLength();
}
