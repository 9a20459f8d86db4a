#include "FileIo.h"

#include "audio/FileClaim.h"
#include "audio/Helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
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
    return QCoreApplication::translate("TFileIo", "Cannot write %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(err)));
}

QString WriteNewFile(const QString& folder, const QString& name, const QByteArray& bytes,
                     bool replace, QString* error) {
    QTemporaryFile temp(QDir(folder).filePath(QStringLiteral(".rip-file-XXXXXX")));
    // Readable as the ripped files are (a temporary file starts readable by its owner only).
    if (!temp.open() ||
        !temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther) ||
        !WriteFully(temp, bytes.constData(), bytes.size()) || !FlushFully(temp) ||
        ::fsync(temp.handle()) != 0) {
        *error = QCoreApplication::translate("TFileIo", "Cannot write %1 in %2: %3")
                     .arg(name, folder, temp.errorString());
        return QString();
    }
    const QString wanted = QDir(folder).filePath(name);
    QString path;
    if (!replace)
        path = TFileClaim::ClaimFree(temp.fileName(), wanted, error);
    else if (*error = RenameOver(temp.fileName(), wanted); error->isEmpty())
        path = wanted;
    if (!path.isEmpty())
        temp.setAutoRemove(false); // the file has its new name; the temporary one is gone
    return path;
}
