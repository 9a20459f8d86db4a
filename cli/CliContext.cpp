#include "CliContext.h"

int TCliContext::usageError(const QString& text) {
    Err << "sondrel-cli: " << text << Qt::endl;
    return ExitUsage;
}

int TCliContext::failure(const QString& text) {
    Err << "sondrel-cli: " << text << Qt::endl;
    return ExitFailed;
}
