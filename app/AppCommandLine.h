// The command line of the desktop program: the global options it shares with sondrel-cli.
// Parsed once on the GUI (main) thread before the window exists.
#pragma once

#include <QString>
#include <QStringList>

struct TAppCommandLine {
    QString ConfigDir;      // --config-dir DIR; empty for the per-user folder
    QStringList DiscImages; // --disc-image FILE, in the order given
    bool Help = false;
    bool Version = false;
    QString Error; // what was wrong with the arguments; empty when they parsed

    // `args` without the program name.
    static TAppCommandLine Parse(const QStringList& args);
    static QString HelpText();
};
