#include "VersionNotice.h"

QString VersionNotice(const QString& program) {
    return QStringLiteral("%1 %2\n"
                          "%3\n"
                          "License %4: GNU GPL version 3 or later <%5>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(program, QStringLiteral(SONDREL_VERSION), QLatin1String(SondrelCopyright),
             QLatin1String(SondrelLicenceId), QLatin1String(SondrelLicenceUrl));
}
