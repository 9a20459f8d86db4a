// sondrel-cli: the rip, conversion and lookup jobs from a terminal.
#include "CliApp.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sondrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SONDREL_VERSION));
    return TCliApp::run(QCoreApplication::arguments().mid(1));
}
