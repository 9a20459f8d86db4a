// `verify`: checks the tracks of a disc, or the files a rip log lists, against the AccurateRip
// database. The sums are computed here on the main thread; the lookup runs in the event loop.
#include "Commands.h"
#include "DiscOpener.h"
#include "accuraterip/TArLookup.h"
#include "accuraterip/TTrackChecksum.h"
#include "audio/Helpers.h"
#include "cddb/CddbCalls.h"
#include "cdrip/RipJob.h"
#include "cdrip/RipLog.h"
#include "cdrip/TrackReader.h"
#include "codecs/FfmpegReader.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <vector>

namespace {

struct TVerifyTrack {
    int Number = 0;
    std::optional<TTrackChecksum> Sums; // none when the track could not be read
    QString Problem;                    // why not, or a remark on the data
};

// Sums of track `index` (0-based) of `disc` read through the CD layer.
TVerifyTrack sumDiscTrack(HCDROM handle, const TCddbDisc& disc, int index, int offset) {
    TVerifyTrack track{index + 1, std::nullopt, QString()};
    const int base = disc.StartFrames.front();
    const int start = disc.StartFrames[size_t(index)] - base;
    const int end = size_t(index) + 1 < disc.StartFrames.size()
                        ? disc.StartFrames[size_t(index) + 1] - base
                        : disc.LeadOutFrame - base;
    const int count = int(disc.StartFrames.size());
    TTrackReader reader(handle, ReadCDAudioLBA, false, offset, disc.LeadOutFrame - base);
    TTrackChecksum sums(int64_t(end - start) * TTrackChecksum::SamplesPerSector, index == 0,
                        index == count - 1);
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

// Sums of a WAV or FLAC file that holds track `index` of `disc`.
TVerifyTrack sumFile(const QString& path, const TCddbDisc& disc, int index, int number) {
    TVerifyTrack track{number, std::nullopt, QString()};
    const size_t i = size_t(index);
    const int end = i + 1 < disc.StartFrames.size() ? disc.StartFrames[i + 1] : disc.LeadOutFrame;
    const int64_t samples = int64_t(end - disc.StartFrames[i]) * TTrackChecksum::SamplesPerSector;
    // Looked at before it is opened: a FIFO or a device the log names would be waited on.
    if (!QFileInfo(path).isFile()) {
        track.Problem = QStringLiteral("%1 cannot be read: %2")
                            .arg(path, QFileInfo::exists(path) ? QStringLiteral("it is not a file")
                                                               : QStringLiteral("it is missing"));
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
    TTrackChecksum sums(samples, index == 0, i + 1 == disc.StartFrames.size());
    const uint8_t* data = nullptr;
    for (int got; (got = reader.Read(data, 65536)) > 0;)
        sums.Add(data, size_t(got));
    if (sums.Samples() != samples)
        track.Problem = QStringLiteral("%1 holds %2 samples, the table says %3")
                            .arg(path)
                            .arg(sums.Samples())
                            .arg(samples);
    track.Sums = sums;
    return track;
}

// The database's answer for `disc`, or nullopt with `note` saying why there is none.
std::optional<TArResponse> lookUp(const TCddbDisc& disc, const QString& server, QString* note,
                                  bool* notInDatabase) {
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

QString hex8(uint32_t v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

// Prints one line per track and returns the exit code: 0 when every track is accurate.
int report(TCliContext& ctx, const TCddbDisc& disc, const std::vector<TVerifyTrack>& tracks,
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
        TArVerdict verdict{notInDatabase ? TArVerdict::NotInDatabase : TArVerdict::NotChecked, 0};
        if (response)
            verdict = response->Verdict(t.Number - 1, t.Sums->ArV1(), t.Sums->ArV2());
        if (verdict.Result == TArVerdict::Accurate)
            ++accurate;
        ctx.Out << "Track " << TwoDigit(t.Number) << ": " << verdict.Text() << "  CRC32 "
                << hex8(t.Sums->Crc32()) << "  AR v1 " << hex8(t.Sums->ArV1()) << "  AR v2 "
                << hex8(t.Sums->ArV2()) << Qt::endl;
    }
    ctx.Err << accurate << " of " << tracks.size() << " tracks accurate" << Qt::endl;
    return accurate == int(tracks.size()) && !tracks.empty() ? ExitOk : ExitFailed;
}

// The newest log in `dir` that holds a table of contents.
QString findLog(const QString& dir, TCddbDisc* disc, std::vector<TRipLog::Track>* tracks) {
    const QFileInfoList logs =
        QDir(dir).entryInfoList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : logs) {
        QFile f(info.filePath());
        if (f.open(QIODevice::ReadOnly) &&
            TRipLog::Parse(QString::fromUtf8(f.readAll()), disc, tracks))
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
        TCddbDisc disc;
        std::vector<TRipLog::Track> logged;
        const QString log = findLog(dir, &disc, &logged);
        if (log.isEmpty())
            return ctx.failure(QStringLiteral("%1 holds no rip log with a table of contents")
                                   .arg(QDir(dir).absolutePath()));
        ctx.Err << "Log: " << log << Qt::endl;
        std::vector<TVerifyTrack> tracks;
        for (const TRipLog::Track& t : logged) {
            const int index = t.Number - 1;
            if (index < 0 || index >= int(disc.StartFrames.size()) || t.File.isEmpty())
                continue;
            // The files lie in the log's folder or below it; a log that names anything else
            // (edited, or from elsewhere) would have us read files it has no business with.
            if (QDir::isAbsolutePath(t.File) ||
                t.File.split(QLatin1Char('/')).contains(QStringLiteral("..")))
                return ctx.failure(QStringLiteral("The rip log %1 names %2, which is not in its "
                                                  "folder: the log is not used")
                                       .arg(log, t.File));
            tracks.push_back(sumFile(QDir(dir).filePath(t.File), disc, index, t.Number));
        }
        return report(ctx, disc, tracks, useServer);
    }

    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;
    TTOC toc{};
    if (ModifyCDParms(session.Handle, CdParmTocMsf, 1) == 0 || ReadTOC(session.Handle, &toc) != 1)
        return ctx.failure(StatusNoToc);
    const TCddbDisc disc = CddbDiscFromToc(toc);
    const int readOffset =
        offset.value_or(TRipJob::DriveReadOffset(drive, AppOptions.ReadOffsets, nullptr));
    std::vector<TVerifyTrack> tracks;
    for (size_t i = 0; i < session.Rows.size() && i < disc.StartFrames.size(); ++i)
        if (session.Rows[i].IsAudio)
            tracks.push_back(sumDiscTrack(session.Handle, disc, int(i), readOffset));
    return report(ctx, disc, tracks, server.value_or(AppOptions.AccurateRipServer));
}
