// sondrel-cli settings [--set Section.Key=Value]...: prints the settings, and sets those given
// after checking each value against what the outputs can use.
#include "Commands.h"
#include "codecs/ACS_MAC.h"
#include "codecs/WmaFormats.h"
#include "lookup/LookupSources.h"
#include "settings/ReadMode.h"
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

// The WMA indexes must name a codec and one of the formats the WMA output lists for it (with
// VBR when that is on); anything else makes every WMA encoding fail. Empty when they do.
QString wmaChoiceError(const TAppOptions& o) {
    const int codecs = TWmaFormats::CodecCount();
    if (o.CodecIndex < 0 || o.CodecIndex >= codecs)
        return QStringLiteral("setting 'WMAOptions.CodecIndex' takes 0..%1 (the WMA codecs), "
                              "got '%2'")
            .arg(codecs - 1)
            .arg(o.CodecIndex);
    std::vector<TWmaFormat> formats;
    TWmaFormats::Enumerate(o.CodecIndex, o.WmaVBR, formats);
    if (formats.empty())
        return QStringLiteral("setting 'WMAOptions.VBR' takes 0: WMA codec %1 has no VBR formats")
            .arg(o.CodecIndex);
    if (o.FormatIndex < 0 || o.FormatIndex >= int(formats.size()))
        return QStringLiteral("setting 'WMAOptions.FormatIndex' takes 0..%1 (the formats of WMA "
                              "codec %2, see wma-formats), got '%3'")
            .arg(formats.size() - 1)
            .arg(o.CodecIndex)
            .arg(o.FormatIndex);
    return QString();
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
    bool wmaAssigned = false;
    for (const QString& as : assignments) {
        const int eq = as.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return ctx.usageError(
                QStringLiteral("--set needs Section.Key=Value, got '%1'").arg(as));
        const QString name = as.left(eq).trimmed();
        const TSettingDef* def = findSetting(name);
        if (!def)
            return ctx.usageError(QStringLiteral("unknown setting '%1'").arg(name));
        const QString value = as.mid(eq + 1);
        if (!def->set(AppOptions, value))
            return ctx.usageError(
                QStringLiteral("setting '%1' takes a whole number, got '%2'").arg(name, value));
        if (def->Type == TSettingDef::Integer && !def->allows(AppOptions.*def->IntField))
            return ctx.usageError(QStringLiteral("setting '%1' takes %2, got '%3'")
                                      .arg(name, def->allowedText(), value));
        TLookupSources::Order order;
        if (def->TextField == &TAppOptions::LookupSource &&
            !TLookupSources::ParseOrder(value, &order))
            return ctx.usageError(QStringLiteral("setting '%1' takes cddb, musicbrainz or "
                                                 "musicbrainz,cddb, got '%2'")
                                      .arg(name, value));
        if (def->TextField == &TAppOptions::ReadMode) {
            const auto mode = ParseReadMode(value);
            if (!mode)
                return ctx.usageError(
                    QStringLiteral("setting '%1' takes plain, secure or verify-first, got '%2'")
                        .arg(name, value));
            AppOptions.ReadMode = ReadModeName(*mode);
        }
        if (QLatin1String(def->Section) == QLatin1String("WMAOptions"))
            wmaAssigned = true;
        // Stored as given (the settings allow 1000..10000), but the encoder has five levels.
        if (def->IntField == &TAppOptions::ApeCompression &&
            !TMACOut::IsCompressionLevel(AppOptions.ApeCompression))
            ctx.Err << "sondrel-cli: APEOptions.Compression=" << AppOptions.ApeCompression
                    << " is no level of the APE encoder, so APE files are written at 2000 "
                       "(levels: 1000 fast, 2000 normal, 3000 high, 4000 extra high, 5000 "
                       "insane)."
                    << Qt::endl;
    }
    if (wmaAssigned)
        if (const QString error = wmaChoiceError(AppOptions); !error.isEmpty())
            return ctx.usageError(error);
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
