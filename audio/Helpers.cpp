#include "Helpers.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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

std::pair<QString, QString> SplitExtension(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        return {path, QString()};
    return {path.left(dot), path.mid(dot)};
}

bool NameTaken(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString FreeName(const QString& path) {
    if (!NameTaken(path))
        return path;
    const auto [base, ext] = SplitExtension(path);
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext);
        if (!NameTaken(candidate))
            return candidate;
    }
}

QString PartialName(const QString& path) {
    const auto [base, ext] = SplitExtension(path);
    return FreeName(base + QStringLiteral(".partial") + ext);
}

bool SameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int FolderWriteFailure(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    struct statvfs fs {};
    if (::statvfs(native.constData(), &fs) != 0)
        return 0; // the folder's own failure is reported where it is made
    if (fs.f_flag & ST_RDONLY)
        return EROFS;
    if (::access(native.constData(), W_OK | X_OK) != 0)
        return errno;
    // The superuser may use the blocks and entries kept back from everyone else. File systems
    // that count no blocks or entries (some network and virtual ones) say nothing here.
    const bool super = ::geteuid() == 0;
    const double freeBytes = double(super ? fs.f_bfree : fs.f_bavail) * double(fs.f_frsize);
    if (fs.f_blocks > 0 && freeBytes < 1024.0 * 1024.0)
        return ENOSPC;
    if (fs.f_files > 0 && (super ? fs.f_ffree : fs.f_favail) == 0)
        return ENOSPC;
    return 0;
}

QString RenameOver(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return QString();
    return QCoreApplication::translate("Helpers", "Cannot rename %1 to %2: %3")
        .arg(from, to, QString::fromLocal8Bit(std::strerror(errno)));
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
