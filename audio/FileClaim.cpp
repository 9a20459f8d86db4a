#include "FileClaim.h"
#include "Helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int RealRenameat2(int olddirfd, const char* from, int newdirfd, const char* to, unsigned flags) {
    return ::renameat2(olddirfd, from, newdirfd, to, flags);
}

const TFileClaim::TSyscalls RealSyscalls{RealRenameat2, ::link};
std::atomic<const TFileClaim::TSyscalls*> Calls{&RealSyscalls};

// `path` for n == 1, else "<base> (n)<ext>".
QString Numbered(const QString& path, int n) {
    if (n == 1)
        return path;
    const auto [base, ext] = SplitExtension(path);
    return QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext);
}

QString PartialOf(const QString& finalPath) {
    const auto [base, ext] = SplitExtension(finalPath);
    return base + QStringLiteral(".partial") + ext;
}

constexpr int MaxNumber = 10000; // names tried before giving up

} // namespace

void TFileClaim::SetSyscalls(const TSyscalls* calls) {
    Calls.store(calls ? calls : &RealSyscalls);
}

int TFileClaim::CreateLocked(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    for (;;) {
        const int fd =
            ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return -1;
        // Between the create and the lock, a job clearing stale partials may have taken the
        // lock and removed the name; a file with no name left is made anew.
        struct stat st {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        const int err = errno;
        ::close(fd);
        if (st.st_nlink > 0) {
            ::unlink(native.constData());
            errno = err;
            return -1;
        }
    }
}

int TFileClaim::CreatePartial(const QString& finalPath, QString* partial) {
    const QString first = PartialOf(finalPath);
    for (int n = 1; n <= MaxNumber; ++n) {
        const QString name = Numbered(first, n);
        const int fd = CreateLocked(name);
        if (fd >= 0) {
            *partial = name;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

int TFileClaim::Claim(const QString& from, const QString& to) {
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    const TSyscalls* calls = Calls.load();
    if (calls->Renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        return errno;
    if (calls->Link(src.constData(), dst.constData()) == 0) {
        ::unlink(src.constData());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS)
        return errno;
    // No links here: the name is reserved by an empty file only this call can have made, and
    // the finished file renamed over it.
    const int fd =
        ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (std::rename(src.constData(), dst.constData()) != 0) {
        const int err = errno;
        ::unlink(dst.constData());
        return err;
    }
    return 0;
}

QString TFileClaim::ClaimFree(const QString& from, const QString& to, QString* error) {
    int err = EEXIST;
    for (int n = 1; n <= MaxNumber && err == EEXIST; ++n) {
        const QString name = Numbered(to, n);
        err = Claim(from, name);
        if (err == 0)
            return name;
    }
    *error = QCoreApplication::translate("TFileClaim", "Cannot rename %1 to %2: %3")
                 .arg(from, to, QString::fromLocal8Bit(std::strerror(err)));
    return QString();
}

int TFileClaim::RemoveStalePartials(const QString& finalPath) {
    const auto [base, ext] = SplitExtension(PartialOf(finalPath));
    const qsizetype slash = base.lastIndexOf(QLatin1Char('/'));
    const QDir dir(slash < 0 ? QStringLiteral(".") : base.left(slash + 1));
    const QString stem = base.mid(slash + 1);
    int removed = 0;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(stem) || !name.endsWith(ext))
            continue;
        const QString middle = name.mid(stem.size(), name.size() - stem.size() - ext.size());
        // "" or " (N)" between the partial stem and the extension.
        bool numbered = false;
        if (middle.startsWith(QLatin1String(" (")) && middle.endsWith(QLatin1Char(')')))
            middle.mid(2, middle.size() - 3).toInt(&numbered);
        if (!middle.isEmpty() && !numbered)
            continue;
        const QByteArray native = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A partial being written is locked by its writer; only an unlocked one is left over.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(native.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}
