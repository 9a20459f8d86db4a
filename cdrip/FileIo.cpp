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

QString WriteErrorText(const QString& path, int err) {
    return QStringLiteral("Cannot write %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(err)));
}
