#include "FileIo.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int CreateReplacing(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(native.constData(), flags, 0666);
    if (fd < 0 && errno == ELOOP) {
        // A symbolic link: replace the link itself.
        if (::unlink(native.constData()) != 0)
            return -1;
        fd = ::open(native.constData(), flags | O_EXCL, 0666);
    }
    return fd;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

long ReadFull(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return long(done);
}

QString WriteErrorText(const QString& path, int err) {
    return QStringLiteral("Cannot write %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(err)));
}
