// sondrel: the desktop program. One window per user and settings folder.
#include "app/AppCommandLine.h"
#include "app/DialogLaunchers.h"
#include "app/SingleInstance.h"
#include "app/frmMain.h"
#include "audio/ArgvPaths.h"
#include "audio/VersionNotice.h"
#include "lookup/QueryCDDBThread.h"
#include "codecs/CodecLibraries.h"
#include "disc/CdAccess.h"
#include "player/AudioDeviceSink.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sondrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Free Sondrel"));
    QApplication::setApplicationVersion(QStringLiteral(SONDREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sondrel"));

    const TAppCommandLine args = TAppCommandLine::Parse(ArgumentsOf(argc, argv));
    if (!args.Error.isEmpty()) {
        std::fprintf(stderr, "sondrel: %s\n", qPrintable(args.Error));
        return 2;
    }
    if (args.Help) {
        std::fputs(qPrintable(TAppCommandLine::HelpText()), stdout);
        return 0;
    }
    if (args.Version) {
        std::fputs(qPrintable(VersionNotice(QStringLiteral("sondrel"))), stdout);
        return 0;
    }
    if (!args.ConfigDir.isEmpty())
        SetConfigDir(args.ConfigDir);

    // A disc image that cannot serve as a drive is refused before any window opens.
    if (const QString problem = SetDiscImages(args.DiscImages); !problem.isEmpty()) {
        std::fprintf(stderr, "sondrel: %s\n", qPrintable(problem));
        return 1;
    }

    TSingleInstance instance(ConfigDir());
    if (instance.RaiseRunning())
        return 0;
    instance.Listen();

    LoadCodecLibraries();
    LoadOptions();
    int code = 0;
    {
        TfrmMain window;
        InstallDialogLaunchers(window);
        QObject::connect(&instance, &TSingleInstance::raiseRequested, &window,
                         &TfrmMain::BringToFront);
        window.show();
        // The disc is read once the window is on the screen.
        QTimer::singleShot(0, &window, &TfrmMain::StartUp);
        code = app.exec();
    }
    TAudioDeviceSink::LetServerRepliesSettle(); // the window and its player are gone
    // A lookup given up at close may still be talking to its server; it no longer reaches
    // anything, but it must end before the drive layer goes.
    TQueryCDDBThread::WaitForAll(5000);
    ReleaseCodecLibraries();
    return code;
}
