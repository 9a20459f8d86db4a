// sondrel: the desktop program. One window per user and settings folder.
#include "app/AppCommandLine.h"
#include "app/DialogLaunchers.h"
#include "app/MessageBoxes.h"
#include "app/QuitSignals.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "app/frmMain.h"
#include "audio/ArgvPaths.h"
#include "audio/VersionNotice.h"
#include "codecs/CodecLibraries.h"
#include "disc/CdAccess.h"
#include "lookup/QueryCDDBThread.h"
#include "player/AudioDeviceSink.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <cstdio>

namespace {

QStringList absolute(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths)
        out << QFileInfo(p).absoluteFilePath();
    return out;
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version are answered before the GUI starts: they need no display.
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sondrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Free Sondrel"));
    QApplication::setApplicationVersion(QStringLiteral(SONDREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sondrel"));
    // The window speaks the user's language (LANGUAGE, else LC_ALL, LC_MESSAGES or LANG) where
    // it has a translation; what it prints on the terminal before this point stays English.
    const TTranslations translations(QLocale::system().uiLanguages());
    if (!args.ConfigDir.isEmpty())
        SetConfigDir(args.ConfigDir);

    // A disc image that cannot serve as a drive is refused before any window opens.
    if (const QString problem = SetDiscImages(args.DiscImages); !problem.isEmpty()) {
        std::fprintf(stderr, "sondrel: %s\n", qPrintable(problem));
        return 1;
    }

    // A window already running takes the images this start was given.
    TSingleInstance instance(ConfigDir());
    if (instance.SendToRunning(absolute(args.DiscImages + args.OpenedImages)))
        return 0;
    instance.Listen();

    LoadCodecLibraries();
    LoadOptions();
    int code = 0;
    {
        TfrmMain window;
        InstallDialogLaunchers(window);
        QObject::connect(&instance, &TSingleInstance::imagesRequested, &window,
                         [&window](const QStringList& images) { window.OpenDiscImages(images); });
        QObject::connect(&instance, &TSingleInstance::raiseRequested, &window,
                         &TfrmMain::BringToFront);
        // Logout, shutdown and Ctrl+C keep the options and the disc's texts.
        auto saveForQuit = [&window] {
            for (const QString& problem : window.SaveAll())
                std::fprintf(stderr, "sondrel: %s\n", qPrintable(problem));
        };
        TQuitSignals quitSignals;
        QObject::connect(&quitSignals, &TQuitSignals::received, &app, [saveForQuit] {
            saveForQuit();
            QApplication::quit();
        });
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, saveForQuit);
        window.show();
        // The disc is read once the window is on the screen; what the desktop handed over
        // first.
        QTimer::singleShot(0, &window, [&window, &args] {
            if (!args.OpenedImages.isEmpty())
                window.OpenDiscImages(args.DiscImages + args.OpenedImages);
            else if (args.Drive.isEmpty() || !args.DiscImages.isEmpty() ||
                     !window.SelectDrive(args.Drive))
                window.StartUp();
            // Settings that options.ini held but could not be used, all in one box.
            if (!LoadWarnings().isEmpty())
                ShowMessage(
                    &window, QMessageBox::Warning,
                    QCoreApplication::translate("main", "Some settings were not used:\n\n%1")
                        .arg(LoadWarnings().join(QLatin1Char('\n'))));
            if (!args.Unknown.isEmpty())
                ShowMessage(&window, QMessageBox::Information,
                            QCoreApplication::translate(
                                "main", "Free Sondrel cannot open %1. It opens disc images "
                                        "(.cue, .toc, .nrg) and CD drives (/dev/sr0).")
                                .arg(args.Unknown.join(QStringLiteral(", "))));
        });
        code = app.exec();
    }
    TAudioDeviceSink::LetServerRepliesSettle(); // the window and its player are gone
    // A lookup given up at close may still be talking to its server; it no longer reaches
    // anything, but it must end before the drive layer goes.
    TQueryCDDBThread::WaitForAll(5000);
    ReleaseCodecLibraries();
    return code;
}
