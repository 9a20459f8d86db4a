#include "Commands.h"
#include "DiscOpener.h"
#include "disc/CdAccess.h"
#include "disc/DiscSession.h"

int RunDrivesCommand(TCliContext& ctx, const QStringList& args) {
    if (!args.isEmpty())
        return ctx.usageError(QStringLiteral("drives: unknown argument '%1'").arg(args.first()));
    if (const int rc = RegisterDiscImages(ctx); rc != ExitOk)
        return rc;
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    if (list.NumCd == 0)
        return ctx.failure(StatusNoDevices);
    for (int i = 0; i < list.NumCd; ++i)
        ctx.Out << i << '\t' << CdDriveDescription(list.Cd[i]) << '\n';
    ctx.Out.flush();
    return ExitOk;
}
