// The command line of the desktop program: the global options it shares with sondrel-cli, and
// what a desktop entry hands it (%U): disc images as paths or file:// addresses, a drive as
// /dev/sr0 or cdda://sr0. Parsed once on the main thread before the application object exists
// (--help and --version need no display).
#pragma once

#include <QString>
#include <QStringList>

struct TAppCommandLine {
    QString ConfigDir;        // --config-dir DIR; empty for the per-user folder
    QStringList DiscImages;   // --disc-image FILE, in the order given
    QStringList OpenedImages; // words naming a .cue, .toc or .nrg file (paths, not addresses)
    QString Drive;            // the device a word named (/dev/sr0); empty when none did
    QStringList Unknown;      // words that name neither: shown to the user, not an error
    bool Help = false;
    bool Version = false;
    QString Error; // what was wrong with the arguments; empty when they parsed

    // `args` without the program name.
    static TAppCommandLine Parse(const QStringList& args);
    static QString HelpText();
};
