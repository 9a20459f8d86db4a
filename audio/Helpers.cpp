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

bool WriteFully(QIODevice& device, const char* data, qint64 size) {
    auto* file = qobject_cast<QFileDevice*>(&device);
    while (size > 0) {
        const qint64 n = device.write(data, size);
        if (n > 0) {
            data += n;
            size -= n;
            continue;
        }
        // A buffered file refuses the write when it could flush only part of its buffer; the
        // bytes given here were not taken, so they go again once the buffer is out.
        if (n < 0 && file && FlushFully(*file))
            continue;
        return false;
    }
    return true;
}

bool FlushFully(QFileDevice& file) {
    qint64 left = file.bytesToWrite();
    while (!file.flush()) {
        // Without progress the failure is real, and the flush that wrote nothing has left the
        // system's reason.
        const qint64 now = file.bytesToWrite();
        if (now == 0 || now >= left)
            return false;
        left = now;
    }
    return true;
}
