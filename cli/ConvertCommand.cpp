#include "Commands.h"
#include "DiscOpener.h"
#include "StopOnSignal.h"
#include "audio/ArgvPaths.h"
#include "convert/ConvertJob.h"
#include "encode/OutputFormats.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

enum class TOverwritePolicy { Ask, Overwrite, Skip };

// Shows the job on stderr: a line per file as it ends, on a terminal also a progress line that
// is redrawn; the overwrite question on the terminal; the failures for the summary.
class TCliConvertView {
public:
    TCliConvertView(TCliContext& ctx, TConvertJob& job, TOverwritePolicy policy, QEventLoop& loop)
        : m_ctx(ctx), m_job(job), m_total(int(job.Files().size())), m_policy(policy),
          m_tty(::isatty(STDERR_FILENO) == 1),
          m_canAsk(::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1) {
        QObject::connect(&job, &TConvertJob::fileStarted,
                         [this](int, int index, const QString& input, const QString& output, int) {
                             fileStarted(index, WithDisplayPaths(input), WithDisplayPaths(output));
                         });
        QObject::connect(&job, &TConvertJob::fileProgress, [this](int, int index, int percent) {
            if (m_tty)
                showProgress(index, percent);
        });
        QObject::connect(&job, &TConvertJob::fileFinished,
                         [this](int, int index, const QString& input, const QString& output,
                                TConvertOutcome outcome, const QString& text) {
                             fileFinished(index, input, output, outcome, text);
                         });
        QObject::connect(&job, &TJob::question, &job,
                         [this](const QString& text, TJobButtons) { answer(text); });
        QObject::connect(&job, &TJob::message, [this](TJobSeverity, const QString& text) {
            endProgressLine();
            m_ctx.Err << "sondrel-cli: " << WithDisplayPaths(text) << Qt::endl;
        });
        QObject::connect(&job, &TJob::finished, [this, &loop](TJobOutcome outcome, const QString&) {
            endProgressLine();
            if (outcome == TJobOutcome::Stopped)
                m_ctx.Err << "Stopped." << Qt::endl;
            loop.quit();
        });
    }

    const QStringList& failures() const { return m_failures; }
    const QStringList& damaged() const { return m_damaged; }

private:
    void fileStarted(int index, const QString& input, const QString& output) {
        if (m_tty) {
            showProgress(index, 0);
        } else {
            m_ctx.Err << '[' << index + 1 << '/' << m_total << "] " << input << " -> " << output
                      << Qt::endl;
        }
        m_names[index] = QFileInfo(input).fileName();
    }
    void fileFinished(int index, const QString& rawInput, const QString& rawOutput,
                      TConvertOutcome outcome, const QString& rawText) {
        endProgressLine();
        const QString input = WithDisplayPaths(rawInput), output = WithDisplayPaths(rawOutput);
        const QString text = WithDisplayPaths(rawText);
        QString what;
        switch (outcome) {
        case TConvertOutcome::Converted:
            what = QStringLiteral("converted 100%");
            m_ctx.Out << output << Qt::endl;
            break;
        case TConvertOutcome::Skipped:
            what = m_declinedQuietly.remove(rawOutput)
                       ? QStringLiteral("skipped (exists; --overwrite replaces it)")
                       : QStringLiteral("skipped (exists)");
            break;
        case TConvertOutcome::Failed:
            what = QStringLiteral("failed: ") + text;
            m_failures << input + QStringLiteral(": ") + text;
            break;
        case TConvertOutcome::Damaged:
            what = QStringLiteral("damaged: ") + text;
            m_damaged << input + QStringLiteral(": ") + text;
            m_ctx.Out << output << Qt::endl;
            break;
        case TConvertOutcome::Stopped:
            what = text.isEmpty() ? QStringLiteral("stopped")
                                  : QStringLiteral("stopped; what was written is in ") + text;
            m_failures << input + QStringLiteral(": stopped");
            break;
        }
        m_ctx.Err << '[' << index + 1 << '/' << m_total << "] " << input << " -> " << output << ": "
                  << what << Qt::endl;
        m_names.erase(index);
    }
    // The output folder is made at once, as --out promises; the overwrite question follows the
    // policy, or the terminal's answer.
    void answer(const QString& question) {
        if (m_job.PendingQuestion() == TJobQuestion::CreateOutputFolder)
            return m_job.Answer(TJobAnswer::Yes);
        bool yes = false;
        if (m_policy != TOverwritePolicy::Ask) {
            yes = m_policy == TOverwritePolicy::Overwrite;
        } else if (!m_canAsk) {
            m_declinedQuietly.insert(m_job.AskedOutput());
        } else {
            endProgressLine();
            m_ctx.Err << question << " [y/N] " << Qt::flush;
            char line[64] = {};
            yes = std::fgets(line, sizeof line, stdin) && (line[0] == 'y' || line[0] == 'Y');
        }
        m_job.Answer(yes ? TJobAnswer::Yes : TJobAnswer::No);
    }
    void showProgress(int index, int percent) {
        m_ctx.Err << "\r\033[K[" << index + 1 << '/' << m_total << "] " << m_names[index] << ' '
                  << percent << '%' << Qt::flush;
        m_lineOpen = true;
    }
    void endProgressLine() {
        if (m_lineOpen)
            m_ctx.Err << "\r\033[K" << Qt::flush;
        m_lineOpen = false;
    }

    TCliContext& m_ctx;
    TConvertJob& m_job;
    int m_total;
    TOverwritePolicy m_policy;
    bool m_tty;
    bool m_canAsk;
    bool m_lineOpen = false;
    QSet<QString> m_declinedQuietly; // outputs refused for want of a terminal to ask on
    std::map<int, QString> m_names;
    QStringList m_failures;
    QStringList m_damaged; // inputs that were not whole, each with what was wrong
};

} // namespace

int RunConvertCommand(TCliContext& ctx, const QStringList& args) {
    std::optional<TConvertRoute> route;
    std::optional<QString> outDir;
    TOverwritePolicy policy = TOverwritePolicy::Ask;
    std::optional<int> jobs;
    std::optional<QString> replayGain;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        QString v;
        bool missing = false;
        auto opt = [&](const char* name) {
            return TakeOption(args, i, QLatin1String(name), v, missing);
        };
        if (opt("--kind")) {
            TConvertRoute r;
            if (missing || !RouteOfKind(KindOfName(v), r))
                return ctx.usageError(QStringLiteral("--kind needs wav2mp3, wav2ogg, wav2wma, "
                                                     "wav2flac, wav2ape, mp32wav, wma2wav, "
                                                     "mp32wma or wma2mp3, got '%1'")
                                          .arg(v));
            if (route)
                return ctx.usageError(QStringLiteral("give one --kind or --to"));
            route = r;
        } else if (opt("--to")) {
            const int f = FormatIndexOf(v);
            if (missing || f < 0)
                return ctx.usageError(
                    QStringLiteral("--to needs %1, got '%2'").arg(FormatNamesText(), v));
            if (route)
                return ctx.usageError(QStringLiteral("give one --kind or --to"));
            route = TConvertRoute{TConvertInput::ByFileName, f};
        } else if (opt("--out")) {
            if (missing || v.isEmpty())
                return ctx.usageError(QStringLiteral("--out needs a folder"));
            outDir = v;
        } else if (opt("--replaygain")) {
            if (const int rc = ctx.replayGainOption(missing, v, &replayGain); rc != ExitOk)
                return rc;
        } else if (opt("--jobs")) {
            bool ok = false;
            jobs = v.toInt(&ok);
            if (missing || !ok || *jobs < 1 || *jobs > 64)
                return ctx.usageError(
                    QStringLiteral("--jobs needs a number from 1 to 64, got '%1'").arg(v));
        } else if (args[i] == QLatin1String("--overwrite")) {
            if (policy == TOverwritePolicy::Skip)
                return ctx.usageError(
                    QStringLiteral("--overwrite and --skip-existing exclude each other"));
            policy = TOverwritePolicy::Overwrite;
        } else if (args[i] == QLatin1String("--skip-existing")) {
            if (policy == TOverwritePolicy::Overwrite)
                return ctx.usageError(
                    QStringLiteral("--overwrite and --skip-existing exclude each other"));
            policy = TOverwritePolicy::Skip;
        } else if (args[i] == QLatin1String("--")) {
            files += args.mid(i + 1);
            break;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return ctx.usageError(QStringLiteral("convert: unknown argument '%1'").arg(args[i]));
        } else {
            files << args[i];
        }
    }
    if (!route)
        return ctx.usageError(QStringLiteral("convert needs --kind or --to"));
    if (files.isEmpty())
        return ctx.usageError(QStringLiteral("convert needs at least one file"));

    LoadOptions();
    TAppOptions options = AppOptions;
    if (replayGain)
        options.ReplayGainMode = *replayGain;
    const int lanes = jobs ? *jobs : TConvertJob::LaneCountFor(options.ConverterJobs);
    if (outDir)
        options.OutputFolder = *outDir;
    const QString folder = options.OutputFolder;
    for (QString& f : files)
        f = QFileInfo(f).absoluteFilePath();

    QEventLoop loop;
    int converted = 0, skipped = 0, failed = 0;
    QStringList failures, damaged;
    {
        TConvertJob job(files, *route, options, TDiscFields(),
                        std::min<int>(lanes, int(files.size())));
        job.SetPace(0); // nobody watches a bar here
        TCliConvertView view(ctx, job, policy, loop);
        TStopOnSignal stopOnSignal([&job] { job.Stop(); });
        job.Start();
        if (!job.IsFinished())
            loop.exec();
        converted = job.Converted();
        skipped = job.Skipped();
        failed = job.Failed();
        failures = view.failures();
        damaged = view.damaged();
    }
    if (!QFileInfo(folder).isDir())
        return ExitFailed; // the folder could not be made; the job said why
    ctx.Err << "Converted " << converted << ", skipped " << skipped << ", failed " << failed
            << (damaged.isEmpty() ? QString() : QStringLiteral(", damaged %1").arg(damaged.size()))
            << " of " << files.size() << " files into " << DisplayPath(QDir(folder).absolutePath())
            << Qt::endl;
    for (const QString& f : failures)
        ctx.Err << "  failed: " << f << Qt::endl;
    for (const QString& d : damaged)
        ctx.Err << "  damaged: " << d << Qt::endl;
    return failed == 0 && converted + skipped == files.size() ? ExitOk : ExitFailed;
}
