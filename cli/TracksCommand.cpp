#include "Commands.h"
#include "DiscOpener.h"
#include "audio/Helpers.h"

#include <algorithm>

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
    // The Artist column comes last and only for a disc where some track has an artist of its
    // own, so the columns before it, and the whole list of any other disc, stay as scripts
    // know them.
    const bool artists = std::any_of(session.Rows.cbegin(), session.Rows.cend(),
                                     [](const TTrackRow& row) { return !row.Artist.isEmpty(); });
    ctx.Out << "No.\tTitle\tStart Time\tLength(min)" << (artists ? "\tArtist" : "") << '\n';
    for (const TTrackRow& row : session.Rows) {
        ctx.Out << row.Number << '\t' << row.Title << '\t' << row.StartTime << '\t' << row.Length;
        if (artists)
            ctx.Out << '\t' << row.Artist;
        ctx.Out << (row.IsAudio ? "" : "\tdata") << '\n';
    }
    if (session.HiddenSectors > 0)
        ctx.Out << "Hidden track before track " << session.Rows.front().Number << ": "
                << TwoDigit(session.HiddenSectors / 4500) << ':'
                << TwoDigit(session.HiddenSectors / 75 % 60) << '.'
                << TwoDigit(session.HiddenSectors % 75 * 100 / 75) << " (not ripped)\n";
    ctx.Out.flush();
    return ExitOk;
}
