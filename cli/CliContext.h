// What every command of sondrel-cli shares: the global options, the output streams and the
// exit codes. Used on the main thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

// Exit codes of sondrel-cli; scripts rely on them.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

struct TCliContext {
    QStringList DiscImages; // --disc-image FILE, in the order given
    QTextStream Out{stdout};
    QTextStream Err{stderr};

    // Prints "sondrel-cli: <text>" on stderr and returns ExitUsage.
    int usageError(const QString& text);
    // Prints "sondrel-cli: <text>" on stderr and returns ExitFailed.
    int failure(const QString& text);
    // The value of --replaygain (rip and convert) into `mode` as the setting's word; ExitOk, or
    // the usage error when the value is missing or unknown.
    int replayGainOption(bool missing, const QString& value, std::optional<QString>* mode);
};
