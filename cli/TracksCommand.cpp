#include "Commands.h"
#include "DiscOpener.h"
#include "audio/Helpers.h"

int RunTracksCommand(TCliContext& ctx, const QStringList& args) {
    int drive = 0;
    for (int i = 0; i < args.size(); ++i) {
        QString value;
        bool missing = false;
        if (TakeOption(args, i, QStringLiteral("--drive"), value, missing)) {
            drive = ParseDriveNumber(value, missing);
            if (drive < 0)
                return ctx.usageError(DriveNumberUsage());
        } else {
            return ctx.usageError(QStringLiteral("tracks: unknown argument '%1'").arg(args[i]));
        }
    }
    TDiscSession session;
    if (const int rc = OpenDiscForCommand(ctx, drive, session); rc != ExitOk)
        return rc;
    ctx.Out << "No.\tTitle\tStart Time\tLength(min)\n";
    for (const TTrackRow& row : session.Rows)
        ctx.Out << row.Number << '\t' << row.Title << '\t' << row.StartTime << '\t' << row.Length
                << (row.IsAudio ? "" : "\tdata") << '\n';
    if (session.HiddenSectors > 0)
        ctx.Out << "Hidden track before track " << session.Rows.front().Number << ": "
                << TwoDigit(session.HiddenSectors / 4500) << ':'
                << TwoDigit(session.HiddenSectors / 75 % 60) << '.'
                << TwoDigit(session.HiddenSectors % 75 * 100 / 75) << " (not ripped)\n";
    ctx.Out.flush();
    return ExitOk;
}
