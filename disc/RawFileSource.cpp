#include "RawFileSource.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TRawFileSource::~TRawFileSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TRawFileSource::Open(const QString& path, int64_t offset, int64_t size, bool bigEndian) {
    m_path = path;
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        m_error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        m_error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(EISDIR)));
        return false;
    }
    m_offset = offset;
    const int64_t rest = std::max<int64_t>(0, int64_t(st.st_size) - offset);
    m_size = size < 0 ? rest : std::min(size, rest);
    m_bigEndian = bigEndian;
    return true;
}

bool TRawFileSource::Read(int64_t offset, int64_t count, uint8_t* out) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(m_fd, out + done, size_t(count - done), off_t(m_offset + offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? QStringLiteral("%1: %2").arg(
                                  m_path, QString::fromLocal8Bit(std::strerror(errno)))
                            : QCoreApplication::translate("TRawFileSource",
                                                          "%1 ends before the disc image does")
                                  .arg(m_path);
            return false;
        }
        done += n;
    }
    if (m_bigEndian)
        for (int64_t i = 0; i + 1 < count; i += 2)
            std::swap(out[i], out[i + 1]);
    return true;
}
