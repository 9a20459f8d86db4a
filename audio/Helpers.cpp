#include "Helpers.h"

#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

QString TwoDigit(int n) {
    return n <= 9 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

QString WithTrailingBackslash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

bool IsFileInUse(const QString& path) {
    if (!QFileInfo::exists(path))
        return false;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return true;
    // Linux has no share modes; a lock held by another process is the nearest sign of use.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}
