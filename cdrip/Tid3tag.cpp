#include "Tid3tag.h"

#include "audio/Genres.h"
#include "audio/Latin1Text.h"
#include "audio/FdIo.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int TagSize = 128;
} // namespace

void Tid3tag::SetTitle(const QString& text) {
    m_title = ToLatin1Lossy(text, 30);
}
void Tid3tag::SetArtist(const QString& text) {
    m_artist = ToLatin1Lossy(text, 30);
}
void Tid3tag::SetAlbum(const QString& text) {
    m_album = ToLatin1Lossy(text, 30);
}
void Tid3tag::SetYear(const QString& text) {
    m_year = ToLatin1Lossy(text, 4);
}
void Tid3tag::SetComment(const QString& text) {
    m_comment = ToLatin1Lossy(text, 30);
}

void Tid3tag::SetTrack(quint8 track) {
    m_track = track;
    m_hasTrack = track != 0;
}

quint8 Tid3tag::GenreByte(int position) {
    return ::GenreByte(position);
}

QByteArray Tid3tag::TagBlock() const {
    QByteArray block(TagSize, '\0');
    auto put = [&block](int offset, const QByteArray& bytes, int width) {
        std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), width),
                    block.data() + offset);
    };
    put(0, "TAG", 3);
    put(3, m_title, 30);
    put(33, m_artist, 30);
    put(63, m_album, 30);
    put(93, m_year, 4);
    if (m_hasTrack && m_track != 0) {
        put(97, m_comment, 28);
        block[125] = 0;
        block[126] = char(m_track);
    } else {
        put(97, m_comment, 30);
    }
    block[127] = char(Genre);
    return block;
}

quint16 Tid3tag::WriteTag(const QString& fileName) {
    const QString name = fileName == QLatin1String("=") ? m_lastFileName : fileName;
    const QByteArray encoded = QFile::encodeName(name);
    struct stat st {};
    if (name.isEmpty() || ::stat(encoded.constData(), &st) != 0)
        return TagNoFile;
    if (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR) ||
        QFileInfo(name).fileName().startsWith(QLatin1Char('.')))
        return TagNotAllowed;

    const int fd = ::open(encoded.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return TagNoFile;
    // Others may go on reading the file, but no cooperating writer gets in meanwhile.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return TagNoFile;
    }
    quint16 status = TagWritten;
    const qint64 size = ::fstat(fd, &st) == 0 ? qint64(st.st_size) : -1;
    qint64 at = size;
    char old[TagSize];
    bool replacing = false;
    if (size < 0) {
        status = TagOtherError;
    } else if (size >= TagSize) {
        if (!ReadAt(fd, old, TagSize, size - TagSize)) {
            status = TagReadError;
        } else if (old[0] == 'T' && old[1] == 'A' && old[2] == 'G') {
            at = size - TagSize;
            replacing = true;
        }
    }
    if (status == TagWritten) {
        const QByteArray block = TagBlock();
        if (!WriteAt(fd, block.constData(), TagSize, at)) {
            status = TagWriteError;
            // Put back what was there: the old tag, or the old length.
            if (replacing) {
                WriteAt(fd, old, TagSize, at);
            } else {
                while (::ftruncate(fd, off_t(size)) != 0 && errno == EINTR) {
                }
            }
        }
    }
    if (::close(fd) != 0 && status == TagWritten)
        status = TagOtherError;
    if (status == TagWritten)
        m_lastFileName = name;
    return status;
}
