#include "DiscOpener.h"

#include "disc/CdAccess.h"
#include "settings/SettingsStore.h"

bool TakeOption(const QStringList& args, int& i, const QString& name, QString& value,
                bool& missing) {
    const QString& a = args[i];
    missing = false;
    if (a == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (a.startsWith(name + QLatin1Char('='))) {
        value = a.mid(name.size() + 1);
        return true;
    }
    return false;
}

int ParseDriveNumber(const QString& value, bool missing) {
    bool ok = false;
    const int drive = value.toInt(&ok);
    return missing || !ok || drive < 0 ? -1 : drive;
}

QString DriveNumberUsage() {
    return QStringLiteral("--drive needs a drive number (see drives)");
}

std::optional<int> ParseReadOffset(const QString& value, bool missing) {
    bool ok = false;
    const int samples = value.toInt(&ok);
    if (missing || !ok || samples < -100000 || samples > 100000)
        return std::nullopt;
    return samples;
}

QString ReadOffsetUsage(const QString& value) {
    return QStringLiteral("--offset needs a number of samples such as 6 or -30, got '%1'")
        .arg(value);
}

int RegisterDiscImages(TCliContext& ctx) {
    const QString problem = SetDiscImages(ctx.DiscImages);
    return problem.isEmpty() ? ExitOk : ctx.failure(problem);
}

int OpenDiscForCommand(TCliContext& ctx, int drive, TDiscSession& session) {
    if (const int rc = RegisterDiscImages(ctx); rc != ExitOk)
        return rc;
    LoadOptions();
    if (session.OpenDrive(drive) == 0)
        return ctx.failure(session.StatusText);
    if (!session.AudioCdPresent())
        return ctx.failure(StatusNoAudioCd);
    session.ReadDisc(LoadDiscTexts(session.CurrentDiscKey()));
    if (session.Rows.empty())
        return ctx.failure(session.StatusText);
    return ExitOk;
}
