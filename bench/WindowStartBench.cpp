// sondrel-window-bench: starts the main window as the program does, on the disc image given,
// and prints the time from the process's start (and from main) to the window showing the
// disc's tracks, and the resident memory then. Run it several times through window-start.sh.
// Usage: sondrel-window-bench DISC.cue   (on any Qt platform: xcb under Xvfb, or offscreen)
#include "app/TrackListModel.h"
#include "app/frmMain.h"
#include "codecs/CodecLibraries.h"
#include "disc/CdAccess.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since the process started, from its start time in /proc (clock ticks).
double msSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    // Field 22 counts from after the command name in parentheses (field 2).
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return (up - startTicks / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sondrel-window-bench DISC.cue\n");
        return 2;
    }
    QTemporaryDir config;
    SetConfigDir(config.path());
    LoadCodecLibraries();
    SetDiscImages({QString::fromLocal8Bit(argv[1])});
    LoadOptions();
    TfrmMain window;
    window.show();
    QTimer::singleShot(0, &window, &TfrmMain::StartUp);
    int code = 1;
    QObject::connect(&window, &TfrmMain::discRead, &window, [&] {
        // Measure once the list has been laid out and painted.
        QTimer::singleShot(0, &window, [&] {
            window.repaint();
            const double fromStart = msSinceProcessStart();
            std::printf("tracks listed: %d\n", window.Model()->rowCount());
            std::printf("from process start: %.0f ms (10 ms resolution)\n", fromStart);
            std::printf("from main: %lld ms\n", static_cast<long long>(sinceMain.elapsed()));
            std::printf("resident memory: %ld KiB\n", residentKiB());
            code = window.Model()->rowCount() > 0 ? 0 : 1;
            app.quit();
        });
    });
    app.exec();
    ReleaseCodecLibraries();
    return code;
}
