#include "Commands.h"
#include "DiscOpener.h"
#include "StopOnSignal.h"
#include "audio/Genres.h"
#include "cdrip/RipJob.h"
#include "cdrip/RipJobReport.h"
#include "settings/Helpers.h"
#include "settings/SettingsError.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
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
class TCliRipReport : public TRipJobReport {
public:
    TCliRipReport(TCliContext& ctx, int total, bool encoded, QEventLoop& loop)
        : m_ctx(ctx), m_total(total), m_encoded(encoded), m_loop(loop),
          m_tty(::isatty(STDERR_FILENO) == 1) {}

    void TrackStarted(int number, const QString& title, int completed) override {
        endProgressLine();
        m_ctx.Err << "Track " << TwoDigit(number) << " (" << completed + 1 << " of " << m_total
                  << "): " << title << Qt::endl;
        m_hint = QStringLiteral("Extracting...");
    }
    void TrackEnded(int, const QString&, const QString& wavPath, int errorCode) override {
        endProgressLine();
        if (m_encoded) {
            // The track's outcome comes with TrackFinished, after encoding.
            if (errorCode != 0)
                m_ctx.Err << "  rip failed" << Qt::endl;
            return;
        }
        if (errorCode == 0) {
            m_ctx.Err << "  done" << Qt::endl;
            m_ctx.Out << wavPath << Qt::endl;
            ++m_ripped;
        } else {
            m_ctx.Err << "  failed" << Qt::endl;
        }
    }
    void EncodingStarted(int, const QString&, const QString& path) override {
        endProgressLine();
        m_ctx.Err << "  encoding to " << path << Qt::endl;
    }
    void TrackFinished(int, const QString&, const QString& path, bool ok) override {
        endProgressLine();
        if (ok) {
            m_ctx.Err << "  done" << Qt::endl;
            m_ctx.Out << path << Qt::endl;
            ++m_ripped;
        } else {
            m_ctx.Err << "  failed" << Qt::endl;
        }
    }
    void Hint(const QString& text) override {
        m_hint = text;
        if (m_tty)
            showProgress(0);
    }
    void BarCaption(const QString&) override {}
    void Progress(int percent) override {
        if (m_tty)
            showProgress(percent);
    }
    void Message(const QString& text) override {
        endProgressLine();
        m_ctx.Err << "sondrel-cli: " << text << Qt::endl;
    }
    void Halted() override {
        m_halted = true;
        m_loop.quit();
    }
    void Finished(bool stopped) override {
        endProgressLine();
        if (stopped)
            m_ctx.Err << "Stopped." << Qt::endl;
        m_loop.quit();
    }

    bool halted() const { return m_halted; }
    int ripped() const { return m_ripped; }

private:
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
    bool m_encoded;
    QEventLoop& m_loop;
    bool m_tty;
    bool m_lineOpen = false;
    bool m_halted = false;
    int m_ripped = 0;
    QString m_hint;
};

} // namespace

int RunRipCommand(TCliContext& ctx, const QStringList& args) {
    int drive = 0;
    std::optional<std::set<int>> tracks;
    std::optional<int> format;
    std::optional<QString> outDir;
    std::optional<int> normalize;
    std::map<int, QString> titles;
    bool keepWav = false;
    std::optional<QString> artist, album, year, comment;
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
                return ctx.usageError(QStringLiteral("--drive needs a drive number (see drives)"));
        } else if (opt("--tracks")) {
            tracks = missing ? std::nullopt : parseTrackList(v);
            if (!tracks)
                return ctx.usageError(
                    QStringLiteral("--tracks needs track numbers such as 1,3-5, got '%1'").arg(v));
        } else if (opt("--format")) {
            const int f = FormatIndexOf(v);
            if (missing || f < 0)
                return ctx.usageError(
                    QStringLiteral("--format needs mp3, wav, ogg, wma, flac or ape, got '%1'")
                        .arg(v));
            format = f;
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
        } else if (args[i] == QLatin1String("--keep-wav")) {
            keepWav = true;
        } else if (const QString name = args[i].section(QLatin1Char('='), 0, 0);
                   opt("--artist") || opt("--album") || opt("--year") || opt("--comment")) {
            if (missing)
                return ctx.usageError(QStringLiteral("%1 needs a text").arg(name));
            if (name == QLatin1String("--artist"))
                artist = v;
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
        } else if (opt("--title")) {
            const int eq = v.indexOf(QLatin1Char('='));
            bool ok = false;
            const int n = eq > 0 ? v.left(eq).toInt(&ok) : 0;
            if (missing || !ok || n < 1 || n > 99)
                return ctx.usageError(QStringLiteral("--title needs N=TEXT, got '%1'").arg(v));
            titles[n] = v.mid(eq + 1);
        } else {
            return ctx.usageError(QStringLiteral("rip: unknown argument '%1'").arg(args[i]));
        }
    }

    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;
    const int outputFormat = format.value_or(AppOptions.OutputFormat);
    if (FormatName(outputFormat).isEmpty())
        return ctx.usageError(
            QStringLiteral("the OutputFormat setting %1 names no format; use --format")
                .arg(outputFormat));
    if (keepWav)
        AppOptions.IsKeepWav = true;
    // The disc fields start from cd.dat; the command line overrides them.
    if (artist)
        session.Fields.Artist = *artist;
    if (album)
        session.Fields.Album = *album;
    if (year)
        session.Fields.Year = *year;
    if (comment)
        session.Fields.Comment = *comment;
    if (genre)
        session.Fields.Genre = *genre;
    if (outDir)
        AppOptions.OutputFolder = *outDir;
    if (normalize) {
        AppOptions.IsNormalize = true;
        AppOptions.NormalizePercent = *normalize;
    }
    std::set<int> known;
    for (TTrackRow& row : session.Rows) {
        known.insert(row.Number);
        if (const auto it = titles.find(row.Number); it != titles.end())
            row.Title = it->second;
        row.Checked = !tracks || tracks->count(row.Number) > 0;
    }
    for (const auto& [n, title] : titles)
        if (!known.count(n))
            return ctx.usageError(QStringLiteral("--title: the disc has no track %1").arg(n));
    if (tracks)
        for (int n : *tracks)
            if (!known.count(n))
                return ctx.usageError(QStringLiteral("--tracks: the disc has no track %1").arg(n));

    const QString folder = AppOptions.OutputFolder;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return ctx.failure(QStringLiteral("Cannot create ") + folder);

    const QStringList entries = session.CheckedEntries();
    QEventLoop loop;
    TCliRipReport report(ctx, int(entries.size()), FormatName(outputFormat) != "WAV", loop);
    int failed = 0;
    {
        TRipJob job(session.Handle, entries, outputFormat, &report);
        job.SetDiscFields(session.Fields);
        // Ctrl+C or a termination request stops the job as the Stop button does, so the
        // current file keeps a header that matches its data.
        TStopOnSignal stopOnSignal([&job] { job.Stop(); });
        if (job.Start() && !job.IsFinished())
            loop.exec();
        if (!job.IsFinished())
            job.Stop(); // halted by the drive: stop as the user would
        failed = job.Failed();
    }
    ctx.Err << "Ripped " << report.ripped() << " of " << entries.size() << " tracks into "
            << QDir(folder).absolutePath() << Qt::endl;

    // Keep the titles and disc fields for this disc, as the main window does when it closes.
    try {
        session.SaveDiscTexts();
    } catch (const TSettingsError& e) {
        ctx.failure(e.text());
        return ExitFailed;
    }
    return failed == 0 && report.ripped() == entries.size() ? ExitOk : ExitFailed;
}
