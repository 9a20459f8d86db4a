#include "RequestPacer.h"

#include <QDateTime>
#include <QDir>
#include <QMap>
#include <QMutex>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The times this process took, by name, in ms since the epoch: the fallback and a guard
// against a file another user's program might reset.
QMutex g_lock;
QMap<QString, qint64> g_taken; // guarded by g_lock

// A time further ahead than this is no queue of real requests but a clock set back or a
// damaged file, and is not waited for.
constexpr qint64 MaxAheadMs = 60 * 1000;

qint64 readTime(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return 0;
    return QByteArray(text, int(n)).trimmed().toLongLong();
}

void writeTime(int fd, qint64 time) {
    const QByteArray text = QByteArray::number(time) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, text.constData(), size_t(text.size()), 0);
}

} // namespace

QString TRequestPacer::FilePath(const QString& name) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString dir =
        !runtime.isEmpty()
            ? QString::fromLocal8Bit(runtime)
            : QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                  QStringLiteral("/sondrel");
    return dir + QStringLiteral("/sondrel-") + name + QStringLiteral(".lock");
}

int TRequestPacer::Reserve(const QString& name, int intervalMs) {
    QMutexLocker l(&g_lock);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 last = g_taken.value(name, 0);

    const QString path = FilePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
    if (locked)
        last = qMax(last, readTime(fd));
    if (last - now > MaxAheadMs)
        last = 0;
    const qint64 slot = qMax(now, last + intervalMs);
    if (locked) {
        writeTime(fd, slot);
        ::flock(fd, LOCK_UN);
    }
    if (fd >= 0)
        ::close(fd);
    g_taken[name] = slot;
    return int(slot - now);
}
