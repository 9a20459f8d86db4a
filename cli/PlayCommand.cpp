#include "Commands.h"
#include "DiscOpener.h"
#include "StopOnSignal.h"
#include "audio/Helpers.h"
#include "player/AudioDeviceSink.h"
#include "player/CdPlayer.h"

#include <QEventLoop>
#include <QTimer>
#include <unistd.h>

int RunPlayCommand(TCliContext& ctx, const QStringList& args) {
    int drive = 0;
    int track = -1;
    for (int i = 0; i < args.size(); ++i) {
        QString value;
        bool missing = false;
        if (TakeOption(args, i, QStringLiteral("--drive"), value, missing)) {
            drive = ParseDriveNumber(value, missing);
            if (drive < 0)
                return ctx.usageError(DriveNumberUsage());
        } else if (TakeOption(args, i, QStringLiteral("--track"), value, missing)) {
            bool ok = false;
            track = value.toInt(&ok);
            if (missing || !ok || track < 1 || track > 99)
                return ctx.usageError(QStringLiteral("--track needs a track number (1 to 99)"));
        } else {
            return ctx.usageError(QStringLiteral("play: unknown argument '%1'").arg(args[i]));
        }
    }
    if (track < 0)
        return ctx.usageError(QStringLiteral("play needs --track N (see tracks)"));

    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;
    QString title;
    for (const TTrackRow& row : session.Rows)
        if (row.Number == track)
            title = row.Title;

    TCdPlayer player(std::make_unique<TAudioDeviceSink>());
    player.Open(session.Handle);
    QString length;
    // On a terminal the elapsed time counts on one line; otherwise the end line says it all.
    const bool tty = ::isatty(STDERR_FILENO) == 1;
    QString shown;
    auto showElapsed = [&] {
        const QString now = TCdPlayer::TimeText(player.Position() - player.StartSector());
        if (tty && now != shown) {
            shown = now;
            ctx.Err << '\r' << now << " / " << length << Qt::flush;
        }
    };
    auto endLine = [&] {
        if (tty && !shown.isEmpty())
            ctx.Err << Qt::endl;
    };

    QEventLoop loop;
    int code = ExitFailed;
    QObject::connect(&player, &TCdPlayer::finished, [&] {
        showElapsed();
        endLine();
        ctx.Err << "Played to the end." << Qt::endl;
        code = ExitOk;
        loop.quit();
    });
    QObject::connect(&player, &TCdPlayer::failed, [&](const QString& reason) {
        endLine();
        ctx.failure(reason);
        loop.quit();
    });
    // Installed before the play is announced, so a Ctrl+C after the announcement stops it.
    TStopOnSignal stop([&] {
        const QString at = TCdPlayer::TimeText(player.Position() - player.StartSector());
        player.Stop();
        endLine();
        ctx.Err << "Stopped at " << at << "." << Qt::endl;
        loop.quit();
    });
    if (!player.PlayTrack(track))
        return ctx.failure(player.ErrorText());
    length = TCdPlayer::TimeText(player.EndSector() - player.StartSector());
    ctx.Err << "Playing track " << TwoDigit(track) << ": " << title << " (" << length << ")"
            << Qt::endl;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, showElapsed);
    ticker.start(250);
    loop.exec();
    player.Close();
    TAudioDeviceSink::LetServerRepliesSettle();
    return code;
}
