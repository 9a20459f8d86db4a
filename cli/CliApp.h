// sondrel-cli's entry: parses the global options, picks the command and runs it on the main
// thread (with the Qt application object already created by main).
#pragma once

#include <QStringList>

class TCliApp {
public:
    // `args` are the words after the program name. Returns the process exit code.
    static int run(const QStringList& args);
    static QString helpText();
};
