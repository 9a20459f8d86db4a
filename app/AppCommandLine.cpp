#include "AppCommandLine.h"

#include <QUrl>

namespace {

// A word that is no option: what the desktop (or the user) asks the program to open.
void classify(const QString& word, TAppCommandLine& c) {
    QString path = word;
    if (word.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        path = QUrl(word).toLocalFile();
    if (word.startsWith(QLatin1String("cdda://"), Qt::CaseInsensitive)) {
        const QString name = word.mid(7).section(QLatin1Char('/'), 0, 0);
        if (!name.isEmpty()) {
            c.Drive = name.startsWith(QLatin1String("dev")) ? QLatin1Char('/') + name
                                                            : QLatin1String("/dev/") + name;
            return;
        }
    } else if (path.startsWith(QLatin1String("/dev/"))) {
        c.Drive = path;
        return;
    }
    const QString suffix = path.section(QLatin1Char('.'), -1).toLower();
    if (!path.isEmpty() && path.contains(QLatin1Char('.')) &&
        (suffix == QLatin1String("cue") || suffix == QLatin1String("toc") ||
         suffix == QLatin1String("nrg")))
        c.OpenedImages << path;
    else
        c.Unknown << word;
}

} // namespace

TAppCommandLine TAppCommandLine::Parse(const QStringList& args) {
    TAppCommandLine c;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString name = a.section(QLatin1Char('='), 0, 0);
        auto value = [&](QString& into) {
            if (a.contains(QLatin1Char('=')))
                into = a.section(QLatin1Char('='), 1);
            else if (i + 1 < args.size())
                into = args[++i];
            return !into.isEmpty();
        };
        QString v;
        if (name == QLatin1String("--help")) {
            c.Help = true;
        } else if (name == QLatin1String("--version")) {
            c.Version = true;
        } else if (name == QLatin1String("--config-dir")) {
            if (!value(v))
                c.Error = QStringLiteral("--config-dir needs a folder");
            c.ConfigDir = v;
        } else if (name == QLatin1String("--disc-image")) {
            if (!value(v))
                c.Error = QStringLiteral("--disc-image needs a file");
            else
                c.DiscImages << v;
        } else if (!a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            classify(a, c);
        } else {
            c.Error = QStringLiteral("unknown option '%1' (see sondrel --help)").arg(a);
        }
        if (!c.Error.isEmpty())
            break;
    }
    return c;
}

// The terminal's texts (this help, the option errors) are printed before the window loads its
// translation and stay English, as the command line program's do.
QString TAppCommandLine::HelpText() {
    return QStringLiteral(
        "Usage: sondrel [OPTIONS] [FILE-OR-DRIVE...]\n"
        "\n"
        "Copies audio CDs to files (MP3, WAV, OGG, WMA, FLAC, APE): the desktop program.\n"
        "A second start with the same settings folder brings the running window to the\n"
        "front and exits.\n"
        "\n"
        "Options:\n"
        "  --config-dir DIR     keep options.ini and cd.dat in DIR instead of the\n"
        "                       per-user configuration folder\n"
        "  --disc-image FILE    use a disc image as a drive (repeatable; images come\n"
        "                       first, in the order given, then real drives): a CUE\n"
        "                       sheet with its files, a cdrdao TOC file or a Nero NRG\n"
        "                       image. One that cannot serve stops the program with\n"
        "                       exit status 1 and the reason.\n"
        "  --help               show this text and exit\n"
        "  --version            show the version and exit\n"
        "\n"
        "FILE-OR-DRIVE opens a disc image (a .cue, .toc or .nrg path or file:// address)\n"
        "or selects a drive (/dev/sr0 or cdda://sr0). Anything else is named in a box and\n"
        "the program starts all the same. With a window already running, the images go\n"
        "to that window.\n"
        "\n"
        "Exit status: 0 success, 1 a --disc-image that cannot serve, 2 usage error.\n");
}
