// `verify`: checks the tracks of a disc, or the files a rip log lists, against the AccurateRip
// database. The sums are computed here on the main thread; the lookup runs in the event loop.
#include "Commands.h"
#include "DiscOpener.h"
#include "accuraterip/TArLookup.h"
#include "accuraterip/TTrackChecksum.h"
#include "audio/Helpers.h"
#include "cdrip/RipJob.h"
#include "cdrip/RipLog.h"
#include "cdrip/TrackReader.h"
#include "codecs/FfmpegReader.h"
#include "disc/TableOfContents.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <vector>

namespace {

QString hex8(uint32_t v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

struct TVerifyTrack {
    int Number = 0;
    std::optional<TTrackChecksum> Sums; // none when the track could not be read
    QString Problem;                    // why not, or a remark on the data (stderr)
    bool Changed = false;               // a file that is not what the rip wrote (Problem: why)
};

// Sums of track `index` (0-based) of `disc` read through the CD layer.
TVerifyTrack sumDiscTrack(HCDROM handle, const TTableOfContents& disc, int index, int offset) {
    TVerifyTrack track{index + 1, std::nullopt, QString(), false};
    const int base = disc.StartFrames.front();
    const int start = disc.StartFrames[size_t(index)] - base;
    const int end = disc.endFrame(index) - base;
    TTrackReader reader(handle, ReadCDAudioLBA, false, offset, disc.sessionEndFrame(index) - base);
    TTrackChecksum sums(int64_t(end - start) * TTrackChecksum::SamplesPerSector,
                        index == disc.firstAudio(), index == disc.lastAudio());
    std::vector<uint8_t> chunk(size_t(10) * CdSectorBytes);
    for (int p = start; p < end; p += 10) {
        const int n = std::min(10, end - p);
        if (!reader.Read(p, n, chunk.data())) {
            track.Problem = QStringLiteral("sector %1 cannot be read").arg(p);
            return track;
        }
        sums.Add(chunk.data(), size_t(n) * CdSectorBytes);
    }
    track.Sums = sums;
    return track;
}

// Sums of a WAV or FLAC file that holds track `index` of `disc`, as the log recorded it: a
// file of another length than the table's, or whose CRC32 is not the one the log recorded
// (`logged`, when valid), has changed since the rip.
TVerifyTrack sumFile(const QString& path, const TTableOfContents& disc, int index, int number,
                     const TTrackCheck& logged) {
    TVerifyTrack track{number, std::nullopt, QString(), false};
    const int64_t samples = int64_t(disc.lengthFrames(index)) * TTrackChecksum::SamplesPerSector;
    if (!QFileInfo::exists(path)) {
        track.Problem = QStringLiteral("%1: No such file").arg(path);
        return track;
    }
    // Looked at before it is opened: a FIFO or a device the log names would be waited on.
    if (!QFileInfo(path).isFile()) {
        track.Problem = QStringLiteral("%1 cannot be read: it is not a file").arg(path);
        return track;
    }
    TFfmpegReader reader;
    if (!reader.Open(path) || !reader.AudioFound()) {
        track.Problem = QStringLiteral("%1 cannot be read: %2").arg(path, reader.ErrorText());
        return track;
    }
    if (reader.Channels() != 2 || reader.SampleRate() != 44100) {
        track.Problem = QStringLiteral("%1 is not 16-bit stereo 44100 Hz audio").arg(path);
        return track;
    }
    TTrackChecksum sums(samples, index == disc.firstAudio(), index == disc.lastAudio());
    const uint8_t* data = nullptr;
    for (int got; (got = reader.Read(data, 65536)) > 0;)
        sums.Add(data, size_t(got));
    track.Sums = sums;
    if (sums.Samples() != samples) {
        track.Changed = true;
        track.Problem = QStringLiteral("%1 holds %2 samples, the table of contents says %3")
                            .arg(path)
                            .arg(sums.Samples())
                            .arg(samples);
    } else if (logged.Valid && sums.Crc32() != logged.Crc32) {
        track.Changed = true;
        track.Problem = QStringLiteral("%1 has the CRC32 %2, the rip log recorded %3")
                            .arg(path, hex8(sums.Crc32()), hex8(logged.Crc32));
    }
    return track;
}

// The database's answer for `disc`, or nullopt with `note` saying why there is none.
std::optional<TArResponse> lookUp(const TTableOfContents& disc, const QString& server,
                                  QString* note, bool* notInDatabase) {
    *notInDatabase = false;
    if (server.isEmpty()) {
        *note = QStringLiteral("no AccurateRip server is set");
        return std::nullopt;
    }
    TArLookup lookup;
    QEventLoop loop;
    TArLookup::Status status = TArLookup::Failed;
    QObject::connect(&lookup, &TArLookup::finished, [&](TArLookup::Status s) {
        status = s;
        loop.quit();
    });
    lookup.Start(server, TArDiscIds::FromDisc(disc));
    loop.exec();
    if (status == TArLookup::Found)
        return lookup.Response();
    *notInDatabase = status == TArLookup::NotFound;
    *note = *notInDatabase
                ? QStringLiteral("the disc is not in the database")
                : QStringLiteral("the database cannot be reached: %1").arg(lookup.ErrorText());
    return std::nullopt;
}

// Prints one line per track and returns the exit code: 0 when every track is accurate.
int report(TCliContext& ctx, const TTableOfContents& disc, const std::vector<TVerifyTrack>& tracks,
           const QString& server) {
    QString note;
    bool notInDatabase = false;
    const std::optional<TArResponse> response = lookUp(disc, server, &note, &notInDatabase);
    const TArDiscIds ids = TArDiscIds::FromDisc(disc);
    ctx.Out << "Disc: " << ids.FileName() << Qt::endl;
    if (!note.isEmpty())
        ctx.Err << "sondrel-cli: " << note << Qt::endl;
    int accurate = 0;
    for (const TVerifyTrack& t : tracks) {
        if (!t.Problem.isEmpty())
            ctx.Err << "sondrel-cli: " << t.Problem << Qt::endl;
        if (!t.Sums) {
            ctx.Out << "Track " << TwoDigit(t.Number) << ": unreadable" << Qt::endl;
            continue;
        }
        const uint32_t v1 = t.Sums->ArV1(), v2 = t.Sums->ArV2();
        QString verdict;
        if (t.Changed) {
            verdict = QStringLiteral("changed since the rip");
        } else {
            const TArVerdict v = response
                                     ? response->Verdict(t.Number - 1, v1, v2)
                                     : TArVerdict::Without(notInDatabase ? TArVerdict::NotInDatabase
                                                                         : TArVerdict::NotChecked,
                                                           v1, v2);
            verdict = v.Text();
            if (v.Result == TArVerdict::Accurate)
                ++accurate;
        }
        ctx.Out << "Track " << TwoDigit(t.Number) << ": " << verdict << "  CRC32 "
                << hex8(t.Sums->Crc32()) << "  AR v1 " << hex8(v1) << "  AR v2 " << hex8(v2)
                << Qt::endl;
    }
    ctx.Err << accurate << " of " << tracks.size() << " tracks accurate" << Qt::endl;
    return accurate == int(tracks.size()) && !tracks.empty() ? ExitOk : ExitFailed;
}

// The most a rip log of ours takes (99 tracks take about 40 kB); a larger *.log is someone
// else's and is not read.
constexpr qint64 MaxLogBytes = 1 << 20;

// The newest log in `dir` that this program wrote (its first line says so) and that holds a
// table of contents.
QString findLog(const QString& dir, TTableOfContents* disc, std::vector<TRipLog::Track>* tracks,
                int* normalizePercent) {
    const QFileInfoList logs =
        QDir(dir).entryInfoList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : logs) {
        QFile f(info.filePath());
        if (info.size() > MaxLogBytes || !f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray first = f.readLine(256);
        if (!first.startsWith("Sondrel ") || !first.endsWith(" rip log\n"))
            continue;
        const QByteArray text = first + f.read(MaxLogBytes);
        if (TRipLog::Parse(QString::fromUtf8(text), disc, tracks, normalizePercent))
            return info.filePath();
    }
    return QString();
}

} // namespace

int RunVerifyCommand(TCliContext& ctx, const QStringList& args) {
    int drive = 0;
    std::optional<QString> server;
    std::optional<int> offset;
    QString dir;
    for (int i = 0; i < args.size(); ++i) {
        QString v;
        bool missing = false;
        auto opt = [&](const char* name) {
            return TakeOption(args, i, QLatin1String(name), v, missing);
        };
        if (opt("--drive")) {
            drive = ParseDriveNumber(v, missing);
            if (drive < 0)
                return ctx.usageError(DriveNumberUsage());
        } else if (opt("--server")) {
            if (missing)
                return ctx.usageError(QStringLiteral("--server needs HOST[:PORT] or a URL"));
            server = v;
        } else if (opt("--offset")) {
            offset = ParseReadOffset(v, missing);
            if (!offset)
                return ctx.usageError(ReadOffsetUsage(v));
        } else if (!args[i].startsWith(QLatin1String("--")) && dir.isEmpty()) {
            dir = args[i];
        } else {
            return ctx.usageError(QStringLiteral("verify: unknown argument '%1'").arg(args[i]));
        }
    }

    if (!dir.isEmpty()) {
        LoadOptions();
        const QString useServer = server.value_or(AppOptions.AccurateRipServer);
        TTableOfContents disc;
        std::vector<TRipLog::Track> logged;
        int normalized = 0;
        const QString log = findLog(dir, &disc, &logged, &normalized);
        if (log.isEmpty())
            return ctx.failure(QStringLiteral("%1 holds no rip log with a table of contents")
                                   .arg(QDir(dir).absolutePath()));
        ctx.Err << "Log: " << log << Qt::endl;
        if (normalized > 0)
            ctx.Err << "sondrel-cli: the rip was normalised (" << normalized
                    << " %): its files differ from the disc's audio and its sums" << Qt::endl;
        std::vector<TVerifyTrack> tracks;
        for (const TRipLog::Track& t : logged) {
            const int index = t.Number - 1;
            if (index < 0 || index >= disc.trackCount() || disc.isData(index) || t.File.isEmpty())
                continue;
            // The files lie in the log's folder or below it; a log that names anything else
            // (edited, or from elsewhere) would have us read files it has no business with.
            if (QDir::isAbsolutePath(t.File) ||
                t.File.split(QLatin1Char('/')).contains(QStringLiteral("..")))
                return ctx.failure(QStringLiteral("The rip log %1 names %2, which is not in its "
                                                  "folder: the log is not used")
                                       .arg(log, t.File));
            tracks.push_back(sumFile(QDir(dir).filePath(t.File), disc, index, t.Number, t.Check));
        }
        return report(ctx, disc, tracks, useServer);
    }

    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;
    TTableOfContents disc;
    if (ReadTableOfContents(session.Handle, &disc) != 1 || !disc.isValid())
        return ctx.failure(StatusNoToc);
    const int readOffset =
        offset.value_or(TRipJob::DriveReadOffset(drive, AppOptions.ReadOffsets, nullptr));
    std::vector<TVerifyTrack> tracks;
    for (int i = 0; i < disc.trackCount(); ++i)
        if (!disc.isData(i))
            tracks.push_back(sumDiscTrack(session.Handle, disc, i, readOffset));
    return report(ctx, disc, tracks, server.value_or(AppOptions.AccurateRipServer));
}
