#include "RipLog.h"

#include "FileIo.h"
#include "audio/Helpers.h"
#include "encode/OutputNaming.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

namespace {

QString hex8(uint32_t v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

QString seconds(int64_t ms) {
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

QString sectorCounts(const TTrackCheck& check) {
    return QStringLiteral("%1 sectors re-read, %2 unreadable")
        .arg(check.ReReadSectors)
        .arg(check.UnreadableSectors);
}

} // namespace

QString TRipLog::readText(const Track& t) const {
    if (t.ReadTwice) {
        const QString first = t.FirstRead.Valid
                                  ? QStringLiteral("not confirmed (%1)").arg(t.FirstVerdict.Text())
                                  : QStringLiteral("failed");
        return QStringLiteral("once, %1; secure re-read: %2; %3 + %4 reading")
            .arg(first, sectorCounts(t.Check), seconds(t.FirstRead.ReadMs),
                 seconds(t.Check.ReadMs));
    }
    if (t.Check.Secure)
        return QStringLiteral("secure: %1; %2 reading")
            .arg(sectorCounts(t.Check), seconds(t.Check.ReadMs));
    if (Mode == TReadMode::VerifyFirst)
        return QStringLiteral("once, %1; %2 reading")
            .arg(t.Verdict.Text(), seconds(t.Check.ReadMs));
    return QStringLiteral("once; %1 reading").arg(seconds(t.Check.ReadMs));
}

QString TRipLog::SuspiciousText(const TTrackCheck& check) {
    return check.UnreadableSectors > 0
               ? QStringLiteral("suspicious, %1 sectors").arg(check.UnreadableSectors)
               : QString();
}

QString TRipLog::ShownSuspiciousText(const TTrackCheck& check) {
    return check.UnreadableSectors > 0
               ? QCoreApplication::translate("TRipLog", "suspicious, %n sectors", nullptr,
                                             check.UnreadableSectors)
               : QString();
}

QString TRipLog::Summary() const {
    int ripped = 0, accurate = 0, notAccurate = 0, silent = 0, unknown = 0, suspicious = 0,
        failed = 0;
    for (const Track& t : Tracks) {
        if (!t.Ok) {
            ++failed;
            continue;
        }
        ++ripped;
        if (t.Check.UnreadableSectors > 0)
            ++suspicious;
        if (t.Verdict.Result == TArVerdict::Accurate)
            ++accurate;
        else if (t.Verdict.Result == TArVerdict::NotAccurate)
            ++notAccurate;
        else if (t.Verdict.Result == TArVerdict::Silent)
            ++silent;
        else
            ++unknown;
    }
    QString s = QStringLiteral("%1 of %2 tracks ripped: %3 accurate, %4 not accurate, %5 not "
                               "checked or not in database, %6 suspicious")
                    .arg(ripped)
                    .arg(Tracks.size())
                    .arg(accurate)
                    .arg(notAccurate)
                    .arg(unknown)
                    .arg(suspicious);
    if (silent)
        s += QStringLiteral(", %1 silent (cannot be verified)").arg(silent);
    if (failed)
        s += QStringLiteral(", %1 failed").arg(failed);
    if (Stopped)
        s += QStringLiteral("; the rip was stopped");
    return s + QLatin1Char('.');
}

QString TRipLog::Text() const {
    QString text;
    QTextStream out(&text);
    out << "Sondrel " << SONDREL_VERSION << " rip log\n";
    out << "Date: " << QDateTime::currentDateTimeUtc().toString(Qt::ISODate) << "\n";
    out << "Drive: " << Drive << "\n";
    out << "Read offset: " << (ReadOffset > 0 ? "+" : "") << ReadOffset << " samples\n";
    out << "Read mode: ";
    if (Mode == TReadMode::Secure)
        out << "secure (each chunk read until two reads agree)\n";
    else if (Mode == TReadMode::Plain)
        out << "plain (each chunk read once)\n";
    else if (FallbackNote.isEmpty())
        out << "verify first (each track read once; a track the AccurateRip database does not "
               "confirm is read again in secure mode)\n";
    else
        out << "verify first, secure for the whole disc: " << FallbackNote << "\n";
    if (ReadSpeed > 0)
        out << "Read speed: " << ReadSpeed << "x asked (a drive may read at another)\n";
    else
        out << "Read speed: the drive's fastest\n";
    if (NormalizePercent > 0)
        out << "Normalisation: " << NormalizePercent
            << " %; the files differ from the checked data: the checksums are of the audio as "
               "read\n";
    else
        out << "Normalisation: off\n";
    if (!GainNote.isEmpty())
        out << "ReplayGain: " << GainNote << "\n";
    if (!Artist.isEmpty())
        out << "Artist: " << Artist << "\n";
    if (!Album.isEmpty())
        out << "Album: " << Album << "\n";
    out << "\nTable of contents (frames from the start of the disc, 75 a second)\n";
    // A data track is marked; an audio track before a later session is as long as its audio.
    for (int i = 0; i < Disc.trackCount(); ++i)
        out << "  Track " << TwoDigit(i + 1) << "  start " << Disc.StartFrames[size_t(i)]
            << "  length " << Disc.lengthFrames(i) << (Disc.isData(i) ? "  data" : "") << "\n";
    if (Disc.LastSessionFrame > 0)
        out << "  Last session  " << Disc.LastSessionFrame << "\n";
    out << "  Lead-out  " << Disc.LeadOutFrame << "\n";
    if (!DatabaseNote.isEmpty())
        out << "\nAccurateRip database: " << DatabaseNote << "\n";
    int64_t readMs = 0;
    for (const Track& t : Tracks) {
        out << "\nTrack " << TwoDigit(t.Number) << "\n";
        out << "  File: " << (t.File.isEmpty() ? QStringLiteral("(none)") : t.File) << "\n";
        if (!t.Ok || !t.Check.Valid) {
            out << "  Result: failed\n";
            continue;
        }
        out << "  CRC32: " << hex8(t.Check.Crc32) << "\n";
        out << "  AccurateRip v1: " << hex8(t.Check.ArV1) << "\n";
        out << "  AccurateRip v2: " << hex8(t.Check.ArV2) << "\n";
        out << "  AccurateRip: " << t.Verdict.Text() << "\n";
        out << "  Re-read sectors: " << t.Check.ReReadSectors << "\n";
        out << "  Unreadable sectors: " << t.Check.UnreadableSectors << "\n";
        const QString suspicious = SuspiciousText(t.Check);
        out << "  Result: " << (suspicious.isEmpty() ? QStringLiteral("ok") : suspicious) << "\n";
        out << "  Read: " << readText(t) << "\n";
        readMs += t.Check.ReadMs + (t.ReadTwice ? t.FirstRead.ReadMs : 0);
    }
    out << "\nTime spent reading: " << seconds(readMs) << "\n";
    out << "\n" << Summary() << "\n";
    return text;
}

QString TRipLog::LogFileName(const QString& album, bool fatSafe) {
    QString name = SafeNameComponent(album.trimmed(), fatSafe, 200);
    if (name.isEmpty())
        name = QStringLiteral("rip");
    return name + QStringLiteral(".log");
}

QString TRipLog::Write(const QString& folder, bool fatSafe, bool replace, QString* error) const {
    return WriteNewFile(folder, LogFileName(Album, fatSafe), Text().toUtf8(), replace, error);
}

bool TRipLog::Parse(const QString& text, TTableOfContents* disc, std::vector<Track>* tracks,
                    int* normalizePercent) {
    static const QRegularExpression tocLine(
        QStringLiteral("^  Track (\\d+)  start (\\d+)  length (\\d+)(  data)?$"));
    static const QRegularExpression sessionLine(QStringLiteral("^  Last session  (\\d+)$"));
    static const QRegularExpression leadOutLine(QStringLiteral("^  Lead-out  (\\d+)$"));
    static const QRegularExpression trackLine(QStringLiteral("^Track (\\d+)$"));
    static const QRegularExpression fileLine(QStringLiteral("^  File: (.*)$"));
    static const QRegularExpression crcLine(QStringLiteral("^  CRC32: ([0-9A-Fa-f]{8})$"));
    static const QRegularExpression normalizeLine(QStringLiteral("^Normalisation: (\\d+) %"));
    *disc = TTableOfContents();
    tracks->clear();
    if (normalizePercent)
        *normalizePercent = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QRegularExpressionMatch m;
        if ((m = tocLine.match(line)).hasMatch()) {
            disc->StartFrames.push_back(m.captured(2).toInt());
            disc->DataTracks.push_back(m.hasCaptured(4));
        } else if ((m = sessionLine.match(line)).hasMatch()) {
            disc->LastSessionFrame = m.captured(1).toInt();
        } else if ((m = leadOutLine.match(line)).hasMatch()) {
            disc->LeadOutFrame = m.captured(1).toInt();
        } else if ((m = trackLine.match(line)).hasMatch()) {
            tracks->push_back(Track{m.captured(1).toInt(), QString(), false, {}, {}});
        } else if ((m = fileLine.match(line)).hasMatch() && !tracks->empty()) {
            const QString file = m.captured(1);
            if (file != QLatin1String("(none)"))
                tracks->back().File = file;
        } else if ((m = crcLine.match(line)).hasMatch() && !tracks->empty()) {
            tracks->back().Check.Crc32 = m.captured(1).toUInt(nullptr, 16);
            tracks->back().Check.Valid = true;
        } else if ((m = normalizeLine.match(line)).hasMatch() && normalizePercent) {
            *normalizePercent = m.captured(1).toInt();
        }
    }
    return disc->isValid();
}
