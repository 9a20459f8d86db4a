#include "CliApp.h"

#include "CliContext.h"
#include "Commands.h"
#include "settings/SettingsStore.h"

#include <functional>
#include <map>

namespace {

struct Command {
    std::function<int(TCliContext&, const QStringList&)> Run;
};

const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table = {
        {QStringLiteral("info"), {RunInfoCommand}},
        {QStringLiteral("settings"), {RunSettingsCommand}},
        {QStringLiteral("wma-formats"), {RunWmaFormatsCommand}},
    };
    return table;
}

} // namespace

QString TCliApp::helpText() {
    return QStringLiteral(
        "Usage: sondrel-cli [GLOBAL OPTIONS] COMMAND [OPTIONS]\n"
        "\n"
        "Copies audio CDs to files and converts audio files between formats.\n"
        "\n"
        "Global options:\n"
        "  --config-dir DIR     keep options.ini and cd.dat in DIR instead of the\n"
        "                       per-user configuration folder\n"
        "  --disc-image FILE    use a CUE/BIN or TOC disc image as a drive (repeatable;\n"
        "                       images come first, in the order given, then real drives)\n"
        "  --help               show this text and exit\n"
        "  --version            show the version and exit\n"
        "\n"
        "Commands:\n"
        "  info FILE...\n"
        "      Shows what the WAV input sees in each file: whether it can be read, its\n"
        "      encoding (PCM, DVI/IMA ADPCM, Microsoft ADPCM, MPEG Layer-3), channels,\n"
        "      sample rate, bits per sample of the delivered PCM, sample count and\n"
        "      duration. Exit status 1 when any file cannot be read.\n"
        "  settings [--set Section.Key=Value]...\n"
        "      Loads the settings, applies each --set, saves them when anything was set\n"
        "      and prints every setting as Section.Key=Value.\n"
        "  wma-formats [--vbr] [CODEC]\n"
        "      Lists the WMA codecs and the formats of codec CODEC (default 0), each\n"
        "      with the index that WMAOptions.CodecIndex and WMAOptions.FormatIndex take;\n"
        "      --vbr lists the VBR formats (no codec here has any). Exit status 1 for a\n"
        "      codec that does not exist.\n"
        "\n"
        "Exit status: 0 success, 1 the job failed, 2 usage error.\n");
}

int TCliApp::run(const QStringList& args) {
    TCliContext ctx;
    int i = 0;
    for (; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--")))
            break;
        auto takeValue = [&](QString& into) {
            const int eq = a.indexOf(QLatin1Char('='));
            if (eq > 0) {
                into = a.mid(eq + 1);
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        const QString name = a.section(QLatin1Char('='), 0, 0);
        QString value;
        if (name == QLatin1String("--help")) {
            ctx.Out << helpText();
            return ExitOk;
        } else if (name == QLatin1String("--version")) {
            ctx.Out << "sondrel-cli " << SONDREL_VERSION << Qt::endl;
            return ExitOk;
        } else if (name == QLatin1String("--config-dir")) {
            if (!takeValue(value) || value.isEmpty())
                return ctx.usageError(QStringLiteral("--config-dir needs a folder"));
            SetConfigDir(value);
        } else if (name == QLatin1String("--disc-image")) {
            if (!takeValue(value) || value.isEmpty())
                return ctx.usageError(QStringLiteral("--disc-image needs a file"));
            ctx.DiscImages << value;
        } else {
            return ctx.usageError(
                QStringLiteral("unknown option '%1' (see sondrel-cli --help)").arg(a));
        }
    }
    if (i >= args.size())
        return ctx.usageError(QStringLiteral("no command given (see sondrel-cli --help)"));
    const auto it = commands().find(args[i]);
    if (it == commands().end())
        return ctx.usageError(
            QStringLiteral("unknown command '%1' (see sondrel-cli --help)").arg(args[i]));
    return it->second.Run(ctx, args.mid(i + 1));
}
