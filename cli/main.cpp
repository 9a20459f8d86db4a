// sondrel-cli: the rip, conversion and lookup jobs from a terminal.
#include "CliApp.h"
#include "audio/ArgvPaths.h"
#include "codecs/CodecLibraries.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sondrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SONDREL_VERSION));
    // No translation is loaded: the command line's texts, the jobs' messages among them, stay
    // English whatever the locale, because scripts read them.
    // The Vorbis and FLAC libraries stay loaded for the whole run; a missing one only makes
    // its format refuse to work.
    LoadCodecLibraries();
    const int code = TCliApp::run(ArgumentsOf(argc, argv));
    ReleaseCodecLibraries();
    return code;
}
