// sondrel-cli lookup: the lookup of the disc in a drive (CDDB, MusicBrainz or both), as the
// lookup dialog's Query button runs it, with the results printed and, on request, saved to
// cd.dat (and the cover beside it).
#include "Commands.h"
#include "DiscOpener.h"
#include "audio/Genres.h"
#include "lookup/DiscFieldsModel.h"
#include "lookup/LookupJob.h"
#include "lookup/LookupSources.h"
#include "settings/AppOptions.h"
#include "settings/SettingsError.h"
#include "settings/SettingsStore.h"

#include <QEventLoop>

int RunLookupCommand(TCliContext& ctx, const QStringList& args) {
    int drive = 0;
    bool save = false;
    bool noProxy = false;
    int timeout = 0;
    QString server, script, proxy, source;
    bool haveServer = false, haveScript = false, haveProxy = false, haveSource = false;
    for (int i = 0; i < args.size(); ++i) {
        QString value;
        bool missing = false;
        if (TakeOption(args, i, QStringLiteral("--drive"), value, missing)) {
            drive = ParseDriveNumber(value, missing);
            if (drive < 0)
                return ctx.usageError(DriveNumberUsage());
        } else if (TakeOption(args, i, QStringLiteral("--server"), value, missing)) {
            if (missing || value.trimmed().isEmpty())
                return ctx.usageError(QStringLiteral("--server needs a host name"));
            server = value.trimmed();
            haveServer = true;
        } else if (TakeOption(args, i, QStringLiteral("--source"), value, missing)) {
            TLookupSources::Order order;
            if (missing || !TLookupSources::ParseOrder(value, &order))
                return ctx.usageError(
                    QStringLiteral("--source needs cddb, musicbrainz or musicbrainz,cddb"));
            source = TLookupSources::OrderText(order);
            haveSource = true;
        } else if (TakeOption(args, i, QStringLiteral("--script"), value, missing)) {
            if (missing || value.trimmed().isEmpty())
                return ctx.usageError(QStringLiteral("--script needs a path"));
            script = value.trimmed();
            haveScript = true;
        } else if (TakeOption(args, i, QStringLiteral("--proxy"), value, missing)) {
            if (missing || value.trimmed().isEmpty())
                return ctx.usageError(QStringLiteral("--proxy needs HOST:PORT"));
            proxy = value.trimmed();
            haveProxy = true;
        } else if (TakeOption(args, i, QStringLiteral("--timeout"), value, missing)) {
            bool ok = false;
            timeout = value.toInt(&ok);
            if (missing || !ok || timeout < 1 || timeout > 3600)
                return ctx.usageError(QStringLiteral("--timeout needs seconds from 1 to 3600"));
        } else if (args[i] == QLatin1String("--no-proxy")) {
            noProxy = true;
        } else if (args[i] == QLatin1String("--save")) {
            save = true;
        } else {
            return ctx.usageError(QStringLiteral("lookup: unknown argument '%1'").arg(args[i]));
        }
    }
    if (haveProxy && noProxy)
        return ctx.usageError(QStringLiteral("--proxy and --no-proxy exclude each other"));

    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;

    // Stored like the lookup dialog's Query button stores what it shows. --server belongs to
    // the first source named.
    if (haveSource)
        AppOptions.LookupSource = source;
    TLookupSources sources = TLookupSources::From(AppOptions);
    if (haveServer && sources.Source != TLookupSources::Cddb)
        AppOptions.MusicBrainzServer = TLookupSources::ServerUrl(server);
    else if (haveServer)
        AppOptions.Server = server;
    if (haveScript)
        AppOptions.Script = script;
    if (haveProxy) {
        const qsizetype colon = proxy.lastIndexOf(QLatin1Char(':'));
        AppOptions.UseProxy = true;
        AppOptions.ProxyAddress = colon > 0 ? proxy.left(colon) : proxy;
        AppOptions.Port = colon > 0 ? proxy.mid(colon + 1) : QStringLiteral("80");
    }
    if (noProxy)
        AppOptions.UseProxy = false;
    try {
        SaveOptions();
    } catch (const TSettingsError& e) {
        return ctx.failure(e.Message());
    }

    TDiscFieldsModel model(session);
    auto settings = TQueryCDDBThread::Settings::From(AppOptions);
    settings.TimeoutSeconds = timeout;
    sources = TLookupSources::From(AppOptions);
    sources.TimeoutSeconds = timeout;
    TLookupJob job(session.Handle, settings, &model);
    job.SetSources(sources);
    job.SetChooseFirst(true);
    QObject::connect(&job, &TJob::hint, &job,
                     [&ctx](const QString& text) { ctx.Err << text << Qt::endl; });
    QObject::connect(&job, &TJob::message, &job,
                     [&ctx](TJobSeverity, const QString& text) { ctx.Err << text << Qt::endl; });
    QEventLoop loop;
    QObject::connect(&job, &TJob::finished, &loop, &QEventLoop::quit);
    job.Start();
    if (!job.IsFinished())
        loop.exec();

    if (job.Outcome() == TJobOutcome::Failed && job.Result() == TCddbMessageEvent::NoMatchFound) {
        ctx.Out << job.Detail() << Qt::endl;
        return ExitFailed;
    }
    if (job.FirstTrack() == 0)
        return ctx.failure(QStringLiteral("Error while reading TOC information!"));
    if (job.Result() == TCddbMessageEvent::QueryFailed)
        return ctx.failure(job.Detail());
    if (job.Releases().size() > 1 && job.ChosenRelease() == 0) {
        ctx.Err << "MusicBrainz has " << job.Releases().size()
                << " releases of this disc; taken: " << job.Releases()[0].Description()
                << "\nThe others:" << Qt::endl;
        for (size_t i = 1; i < job.Releases().size(); ++i)
            ctx.Err << "  " << job.Releases()[i].Description() << Qt::endl;
    }

    const TDiscFields& f = model.fields();
    ctx.Out << "Artist: " << f.Artist << '\n'
            << "Album: " << f.Album << '\n'
            << "Year: " << f.Year << '\n'
            << "Genre: " << GenreBoxText(f.Genre) << '\n'
            << "No.\tTitle\n";
    for (const TTrackRow& row : model.rows())
        ctx.Out << row.Number << '\t' << row.Title << '\n';
    ctx.Out.flush();

    // Only titles that arrived are worth keeping: a lookup without them saves nothing.
    if (save && job.Result() == TCddbMessageEvent::TitlesApplied) {
        try {
            SaveDiscTexts(session.Key, session.Texts());
            SaveDiscCover(session.Key, job.Cover());
        } catch (const TSettingsError& e) {
            return ctx.failure(e.Message());
        }
    }
    if (job.Result() != TCddbMessageEvent::TitlesApplied)
        return ctx.failure(job.Detail());
    return ExitOk;
}
