#include "AtomicFile.h"

#include "FdIo.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TAtomicFile::TAtomicFile(const QString& path) : m_path(path) {}

TAtomicFile::~TAtomicFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

bool TAtomicFile::fail(int err) {
    m_error = QCoreApplication::translate("TAtomicFile", "Cannot write %1: %2")
                  .arg(m_path, QString::fromLocal8Bit(std::strerror(err)));
    return false;
}

bool TAtomicFile::open() {
    // A short name of its own in the target's folder: "<name>.XXXXXX" would not fit beside a
    // name that already takes most of the 255 bytes a name may have.
    const QByteArray target = QFile::encodeName(m_path);
    const qsizetype slash = target.lastIndexOf('/');
    m_tempName = target.left(slash + 1) + ".sondrel-XXXXXX";
    m_fd = ::mkstemp(m_tempName.data());
    if (m_fd < 0) {
        const int err = errno;
        m_tempName.clear();
        return fail(err);
    }
    return true;
}

bool TAtomicFile::write(const char* data, qint64 size) {
    if (m_fd < 0)
        return fail(EBADF);
    if (size < 0)
        return fail(EINVAL);
    return WriteAll(m_fd, data, size_t(size)) || fail(errno);
}

bool TAtomicFile::commit() {
    if (m_fd < 0)
        return fail(EBADF);
    const QByteArray target = QFile::encodeName(m_path);
    struct stat st {};
    // mkstemp makes the file 0600; a replaced file keeps its mode, a new one gets the usual one.
    mode_t mode = 0644;
    if (::stat(target.constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0 || ::fsync(m_fd) != 0)
        return fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(m_tempName.constData(), target.constData()) != 0)
        return fail(errno);
    m_committed = true;
    return true;
}

bool TAtomicFile::writeWhole(const QString& path, const QByteArray& bytes, QString* error) {
    TAtomicFile f(path);
    if (f.open() && f.write(bytes) && f.commit())
        return true;
    if (error)
        *error = f.FailureText();
    return false;
}
