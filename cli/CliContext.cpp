#include "CliContext.h"

#include "audio/ReplayGain.h"

int TCliContext::usageError(const QString& text) {
    Err << "sondrel-cli: " << text << Qt::endl;
    return ExitUsage;
}

int TCliContext::failure(const QString& text) {
    Err << "sondrel-cli: " << text << Qt::endl;
    return ExitFailed;
}

int TCliContext::replayGainOption(bool missing, const QString& value,
                                  std::optional<QString>* mode) {
    TReplayGain::TMode parsed;
    if (missing || !TReplayGain::ParseMode(value, &parsed))
        return usageError(
            QStringLiteral("--replaygain needs off, track or album, got '%1'").arg(value));
    *mode = TReplayGain::ModeName(parsed);
    return ExitOk;
}
