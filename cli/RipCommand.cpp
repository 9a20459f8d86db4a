#include "Commands.h"
#include "DiscOpener.h"
#include "StopOnSignal.h"
#include "audio/Genres.h"
#include "audio/Helpers.h"
#include "cdrip/RipJob.h"
#include "encode/OutputFormats.h"
#include "encode/OutputNaming.h"
#include "settings/AppOptions.h"
#include "settings/ReadMode.h"
#include "settings/SettingsError.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unistd.h>

namespace {

// "1,3-5" as a set of track numbers; nullopt when it does not parse.
std::optional<std::set<int>> parseTrackList(const QString& text) {
    std::set<int> tracks;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        bool okA = false, okB = true;
        const int a = ends.value(0).toInt(&okA);
        const int b = ends.size() == 2 ? ends[1].toInt(&okB) : a;
        if (ends.size() > 2 || !okA || !okB || a < 1 || b < a || b > 99)
            return std::nullopt;
        for (int n = a; n <= b; ++n)
            tracks.insert(n);
    }
    return tracks;
}

// Shows the job on stderr: one line per track, a progress line on a terminal, the messages.
enum class TExistingPolicy { Ask, Overwrite, Skip };

class TCliRipView {
public:
    TCliRipView(TCliContext& ctx, TRipJob& job, TExistingPolicy policy, QEventLoop& loop)
        : m_ctx(ctx), m_total(job.Total()), m_tty(::isatty(STDERR_FILENO) == 1) {
        const bool encoded = job.Format() != FormatWav;
        QObject::connect(&job, &TRipJob::trackStarted,
                         [this](int number, const QString& title, int completed) {
                             endProgressLine();
                             m_ctx.Err << "Track " << TwoDigit(number) << " (" << completed + 1
                                       << " of " << m_total << "): " << title << Qt::endl;
                             m_hint = QStringLiteral("Extracting...");
                         });
        // Track N+1 is read while track N is encoded: each line after a track's first names it.
        QObject::connect(
            &job, &TRipJob::trackEnded,
            [this, encoded](int number, const QString&, const QString& wavPath, int code) {
                endProgressLine();
                if (encoded) {
                    // The track's outcome comes with trackFinished, after encoding.
                    if (code != 0)
                        m_ctx.Err << "Track " << TwoDigit(number) << ": rip failed" << Qt::endl;
                    return;
                }
                trackDone(number, code == 0, wavPath);
            });
        QObject::connect(&job, &TRipJob::encodingStarted,
                         [this](int number, const QString&, const QString& path) {
                             endProgressLine();
                             m_ctx.Err << "Track " << TwoDigit(number) << ": encoding to " << path
                                       << Qt::endl;
                         });
        QObject::connect(&job, &TRipJob::trackFinished,
                         [this](int number, const QString&, const QString& path, bool ok) {
                             endProgressLine();
                             trackDone(number, ok, path);
                         });
        QObject::connect(&job, &TJob::hint, [this](const QString& text) {
            m_hint = text;
            if (m_tty)
                showProgress(0);
        });
        QObject::connect(&job, &TJob::progress, [this](int percent) {
            if (m_tty)
                showProgress(percent);
        });
        QObject::connect(&job, &TJob::message, [this](TJobSeverity, const QString& text) {
            endProgressLine();
            m_ctx.Err << "sondrel-cli: " << text << Qt::endl;
        });
        // The command line makes a missing output folder at once, as its --out promises; files
        // that exist follow the policy, or the terminal's answer.
        QObject::connect(&job, &TJob::question, &job,
                         [this, &job, policy](const QString& text, TJobButtons) {
                             job.Answer(answer(job, policy, text));
                         });
        // A halted drive stops the rip as the user would.
        QObject::connect(&job, &TRipJob::halted, &job, [&job] { job.Stop(); });
        QObject::connect(&job, &TRipJob::trackVerdict,
                         [this](int number, const QString&, const QString& verdict) {
                             endProgressLine();
                             m_ctx.Err << "Track " << TwoDigit(number) << ": " << verdict
                                       << Qt::endl;
                         });
        QObject::connect(&job, &TRipJob::logWritten, [this](const QString& path) {
            endProgressLine();
            m_ctx.Err << "Log: " << path << Qt::endl;
        });
        QObject::connect(&job, &TRipJob::sheetWritten,
                         [this](const QString& kind, const QString& path) {
                             m_ctx.Err << kind << ": " << path << Qt::endl;
                         });
        QObject::connect(&job, &TJob::finished, [this, &loop](TJobOutcome outcome, const QString&) {
            endProgressLine();
            if (outcome == TJobOutcome::Stopped)
                m_ctx.Err << "Stopped." << Qt::endl;
            else if (outcome == TJobOutcome::Cancelled)
                m_ctx.Err << "Cancelled." << Qt::endl;
            loop.quit();
        });
    }

private:
    TJobAnswer answer(const TRipJob& job, TExistingPolicy policy, const QString& text) {
        if (job.PendingQuestion() == TJobQuestion::CreateOutputFolder ||
            policy == TExistingPolicy::Overwrite)
            return TJobAnswer::Yes;
        if (policy == TExistingPolicy::Skip)
            return TJobAnswer::No;
        if (::isatty(STDIN_FILENO) != 1 || !m_tty) {
            m_ctx.Err << "sondrel-cli: files of this rip exist already; their tracks are "
                         "skipped (--overwrite replaces them)"
                      << Qt::endl;
            return TJobAnswer::No;
        }
        endProgressLine();
        m_ctx.Err << text << " [y/n/c] " << Qt::flush;
        char line[64] = {};
        if (!std::fgets(line, sizeof line, stdin))
            return TJobAnswer::Cancel;
        if (line[0] == 'y' || line[0] == 'Y')
            return TJobAnswer::Yes;
        return line[0] == 'n' || line[0] == 'N' ? TJobAnswer::No : TJobAnswer::Cancel;
    }
    void trackDone(int number, bool ok, const QString& path) {
        if (ok) {
            m_ctx.Err << "Track " << TwoDigit(number) << ": done" << Qt::endl;
            m_ctx.Out << path << Qt::endl;
        } else {
            m_ctx.Err << "Track " << TwoDigit(number) << ": failed" << Qt::endl;
        }
    }
    void showProgress(int percent) {
        m_ctx.Err << "\r  " << m_hint << ' ' << percent << "%   " << Qt::flush;
        m_lineOpen = true;
    }
    void endProgressLine() {
        if (m_lineOpen)
            m_ctx.Err << '\n' << Qt::flush;
        m_lineOpen = false;
    }

    TCliContext& m_ctx;
    int m_total;
    bool m_tty;
    bool m_lineOpen = false;
    QString m_hint;
};

} // namespace

int RunRipCommand(TCliContext& ctx, const QStringList& args) {
    int drive = 0;
    std::optional<std::set<int>> tracks;
    std::optional<std::vector<int>> formats;
    std::optional<int> speed;
    std::optional<QString> outDir;
    std::optional<int> normalize;
    std::optional<QString> replayGain;
    std::map<int, QString> titles;
    std::map<int, QString> trackArtists;
    std::optional<QString> nameTemplate;
    std::optional<std::pair<int, int>> discNumber;
    bool keepWav = false;
    std::optional<TReadMode> readMode;
    std::optional<int> offset;
    TExistingPolicy policy = TExistingPolicy::Ask;
    std::optional<QString> artist, albumArtist, album, year, comment;
    std::optional<int> genre;
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
        } else if (opt("--tracks")) {
            tracks = missing ? std::nullopt : parseTrackList(v);
            if (!tracks)
                return ctx.usageError(
                    QStringLiteral("--tracks needs track numbers such as 1,3-5, got '%1'").arg(v));
        } else if (opt("--format")) {
            // One format, or several written from one read: "flac,mp3".
            std::vector<int> list;
            for (const QString& name : v.split(QLatin1Char(','))) {
                const int f = FormatIndexOf(name.trimmed());
                if (missing || f < 0)
                    return ctx.usageError(
                        QStringLiteral("--format needs %1, or several such as flac,mp3, got '%2'")
                            .arg(FormatNamesText(), v));
                if (std::find(list.begin(), list.end(), f) == list.end())
                    list.push_back(f);
            }
            formats = list;
        } else if (opt("--speed")) {
            bool ok = false;
            const int n = v.toInt(&ok);
            if (missing || !ok || n < 0 || n > 72)
                return ctx.usageError(
                    QStringLiteral("--speed needs a read speed from 0 (the fastest) to 72, got "
                                   "'%1'")
                        .arg(v));
            speed = n;
        } else if (opt("--out")) {
            if (missing || v.isEmpty())
                return ctx.usageError(QStringLiteral("--out needs a folder"));
            outDir = v;
        } else if (opt("--normalize")) {
            bool ok = false;
            const int p = v.toInt(&ok);
            if (missing || !ok || p < 1 || p > 1000)
                return ctx.usageError(
                    QStringLiteral("--normalize needs a percentage from 1 to 1000, got '%1'")
                        .arg(v));
            normalize = p;
        } else if (opt("--replaygain")) {
            if (const int rc = ctx.replayGainOption(missing, v, &replayGain); rc != ExitOk)
                return rc;
        } else if (args[i] == QLatin1String("--keep-wav")) {
            keepWav = true;
        } else if (args[i] == QLatin1String("--secure") ||
                   args[i] == QLatin1String("--verify-first")) {
            const TReadMode mode =
                args[i] == QLatin1String("--secure") ? TReadMode::Secure : TReadMode::VerifyFirst;
            if (readMode && *readMode != mode)
                return ctx.usageError(
                    QStringLiteral("--secure and --verify-first cannot be given together"));
            readMode = mode;
        } else if (opt("--offset")) {
            offset = ParseReadOffset(v, missing);
            if (!offset)
                return ctx.usageError(ReadOffsetUsage(v));
        } else if (args[i] == QLatin1String("--overwrite") ||
                   args[i] == QLatin1String("--skip-existing")) {
            const auto wanted = args[i] == QLatin1String("--overwrite") ? TExistingPolicy::Overwrite
                                                                        : TExistingPolicy::Skip;
            if (policy != TExistingPolicy::Ask && policy != wanted)
                return ctx.usageError(
                    QStringLiteral("--overwrite and --skip-existing exclude each other"));
            policy = wanted;
        } else if (opt("--name-template")) {
            QString error;
            if (missing || !TNameTemplate::Parse(v, &error))
                return ctx.usageError(
                    QStringLiteral("--name-template: %1")
                        .arg(missing ? QStringLiteral("needs a template") : error));
            nameTemplate = v;
        } else if (opt("--disc")) {
            const QStringList parts = v.split(QLatin1Char('/'));
            bool okN = false, okM = true;
            const int n = parts.value(0).toInt(&okN);
            const int m = parts.size() == 2 ? parts[1].toInt(&okM) : 0;
            if (missing || parts.size() > 2 || !okN || !okM || n < 1 || m < 0 || (m > 0 && n > m) ||
                n > 999 || m > 999)
                return ctx.usageError(
                    QStringLiteral("--disc needs a disc number N or N/M, got '%1'").arg(v));
            discNumber = std::make_pair(n, m);
        } else if (const QString name = args[i].section(QLatin1Char('='), 0, 0);
                   opt("--artist") || opt("--album-artist") || opt("--album") || opt("--year") ||
                   opt("--comment")) {
            if (missing)
                return ctx.usageError(QStringLiteral("%1 needs a text").arg(name));
            if (name == QLatin1String("--artist"))
                artist = v;
            else if (name == QLatin1String("--album-artist"))
                albumArtist = v;
            else if (name == QLatin1String("--album"))
                album = v;
            else if (name == QLatin1String("--year"))
                year = v;
            else
                comment = v;
        } else if (opt("--genre")) {
            const int g = v.isEmpty() ? -1 : GenreIndexOf(v, Qt::CaseInsensitive);
            if (missing || (!v.isEmpty() && g < 0))
                return ctx.usageError(
                    QStringLiteral("--genre needs a genre name such as Rock, got '%1'").arg(v));
            genre = g + 1; // box position; 0 is the blank entry
        } else if (const QString name = args[i].section(QLatin1Char('='), 0, 0);
                   opt("--title") || opt("--track-artist")) {
            // N=TEXT; a title may hold "/" (the tags keep it, the file name gets "-").
            const int eq = v.indexOf(QLatin1Char('='));
            bool ok = false;
            const int n = eq > 0 ? v.left(eq).toInt(&ok) : 0;
            if (missing || !ok || n < 1 || n > 99)
                return ctx.usageError(QStringLiteral("%1 needs N=TEXT, got '%2'").arg(name, v));
            (name == QLatin1String("--title") ? titles : trackArtists)[n] = v.mid(eq + 1);
        } else {
            return ctx.usageError(QStringLiteral("rip: unknown argument '%1'").arg(args[i]));
        }
    }

    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;
    // The job gets the settings as they are stored, with this command's choices on top.
    TAppOptions options = AppOptions;
    if (formats) {
        options.OutputFormat = formats->front();
        options.OutputFormats = RipFormatsText(*formats);
    }
    if (speed)
        options.ReadSpeed = *speed;
    if (FormatName(options.OutputFormat).isEmpty())
        return ctx.usageError(
            QStringLiteral("the OutputFormat setting %1 names no format; use --format")
                .arg(options.OutputFormat));
    if (keepWav)
        options.IsKeepWav = true;
    if (readMode)
        options.ReadMode = ReadModeName(*readMode);
    QString driveName;
    const int readOffset = TRipJob::DriveReadOffset(drive, options.ReadOffsets, &driveName);
    if (outDir)
        options.OutputFolder = *outDir;
    if (normalize) {
        options.IsNormalize = true;
        options.NormalizePercent = *normalize;
    }
    if (replayGain)
        options.ReplayGainMode = *replayGain;
    // The disc fields start from cd.dat; the command line overrides them.
    if (artist)
        session.Fields.Artist = *artist;
    if (album)
        session.Fields.Album = *album;
    if (year)
        session.Fields.Year = *year;
    if (comment)
        session.Fields.Comment = *comment;
    if (albumArtist)
        session.Fields.AlbumArtist = *albumArtist;
    if (discNumber) {
        session.Fields.DiscNumber = discNumber->first;
        session.Fields.DiscTotal = discNumber->second;
    }
    if (genre)
        session.Fields.Genre = *genre;
    std::set<int> known;
    for (TTrackRow& row : session.Rows) {
        known.insert(row.Number);
        if (const auto it = titles.find(row.Number); it != titles.end())
            row.Title = it->second;
        if (const auto it = trackArtists.find(row.Number); it != trackArtists.end())
            row.Artist = it->second;
        // A data track is ripped only when it is named: as audio it is noise.
        row.Checked = tracks ? tracks->count(row.Number) > 0 : row.IsAudio;
        if (!tracks && !row.IsAudio)
            ctx.Err << "Track " << TwoDigit(row.Number)
                    << " is a data track: skipped (name it with --tracks to rip it anyway)"
                    << Qt::endl;
    }
    for (const auto* given : {&titles, &trackArtists})
        for (const auto& [n, text] : *given)
            if (!known.count(n))
                return ctx.usageError(QStringLiteral("%1: the disc has no track %2")
                                          .arg(given == &titles ? QStringLiteral("--title")
                                                                : QStringLiteral("--track-artist"))
                                          .arg(n));
    if (tracks)
        for (int n : *tracks)
            if (!known.count(n))
                return ctx.usageError(QStringLiteral("--tracks: the disc has no track %1").arg(n));
    TRipPlan plan;
    QString planError;
    if (!TRipPlan::Build(session.Rows, session.Fields, options,
                         nameTemplate.value_or(options.NameTemplate), &plan, &planError))
        return ctx.usageError(
            QStringLiteral("the NameTemplate setting: %1; use --name-template").arg(planError));

    QEventLoop loop;
    int ripped = 0;
    bool ok = false;
    QString folder = options.OutputFolder;
    {
        TRipJob job(session.Handle, plan, options);
        job.SetPace(0); // nobody watches a bar here
        if (options.CoverArt)
            job.SetCover(LoadDiscCover(session.Key));
        job.SetReadSource(driveName, offset.value_or(readOffset));
        TCliRipView view(ctx, job, policy, loop);
        // Ctrl+C or a termination request stops the job as the Stop button does, so the
        // current file keeps a header that matches its data.
        TStopOnSignal stopOnSignal([&job] { job.Stop(); });
        job.Start();
        if (!job.IsFinished())
            loop.exec();
        ripped = job.Succeeded();
        ok = job.Outcome() == TJobOutcome::Done;
    }
    if (!QFileInfo(folder).isDir())
        return ExitFailed; // the folder could not be made; the job said why
    ctx.Err << "Ripped " << ripped << " of " << plan.Tracks.size() << " tracks into "
            << QDir(folder).absolutePath() << Qt::endl;

    // Keep the titles and disc fields for this disc, as the main window does when it closes.
    // The rip is done either way: a cache that cannot be written is only a warning.
    try {
        SaveDiscTexts(session.Key, session.Texts());
    } catch (const TSettingsError& e) {
        ctx.Err << "sondrel-cli: warning: " << e.Message() << Qt::endl;
    }
    return ok && ripped == int(plan.Tracks.size()) ? ExitOk : ExitFailed;
}
