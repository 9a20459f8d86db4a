#include "Commands.h"
#include "codecs/ACS_MAC.h"
#include "settings/SettingsError.h"
#include "settings/SettingsStore.h"

namespace {

const TSettingDef* findSetting(const QString& name) {
    for (const TSettingDef& def : SettingDefs()) {
        const QString full = QLatin1String(def.Section) + QLatin1Char('.') + QLatin1String(def.Key);
        if (full.compare(name, Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

} // namespace

int RunSettingsCommand(TCliContext& ctx, const QStringList& args) {
    QStringList assignments;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--set")) {
            if (i + 1 >= args.size())
                return ctx.usageError(QStringLiteral("--set needs Section.Key=Value"));
            assignments << args[++i];
        } else if (a.startsWith(QLatin1String("--set="))) {
            assignments << a.mid(6);
        } else {
            return ctx.usageError(QStringLiteral("settings: unknown argument '%1'").arg(a));
        }
    }

    LoadOptions();
    for (const QString& as : assignments) {
        const int eq = as.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return ctx.usageError(
                QStringLiteral("--set needs Section.Key=Value, got '%1'").arg(as));
        const QString name = as.left(eq).trimmed();
        const TSettingDef* def = findSetting(name);
        if (!def)
            return ctx.usageError(QStringLiteral("unknown setting '%1'").arg(name));
        if (!def->set(AppOptions, as.mid(eq + 1)))
            return ctx.usageError(QStringLiteral("setting '%1' takes a whole number, got '%2'")
                                      .arg(name, as.mid(eq + 1)));
        // Stored as given (the settings allow 1000..10000), but the encoder has five levels.
        if (def->IntField == &TAppOptions::ApeCompression &&
            !TMACOut::IsCompressionLevel(AppOptions.ApeCompression))
            ctx.Err << "sondrel-cli: APEOptions.Compression=" << AppOptions.ApeCompression
                    << " is no level of the APE encoder, so APE files are written at 2000 "
                       "(levels: 1000 fast, 2000 normal, 3000 high, 4000 extra high, 5000 "
                       "insane)."
                    << Qt::endl;
    }
    if (!assignments.isEmpty()) {
        try {
            SaveOptions();
        } catch (const TSettingsError& e) {
            return ctx.failure(e.Message());
        }
    }
    for (const TSettingDef& def : SettingDefs())
        ctx.Out << def.Section << '.' << def.Key << '=' << def.get(AppOptions) << '\n';
    ctx.Out.flush();
    return ExitOk;
}
