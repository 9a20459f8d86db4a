#include "Tid3tag.h"

#include "audio/Genres.h"
#include "audio/Id3v1Block.h"
#include "audio/Latin1Text.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return PackId3v1Block(m_title, m_artist, m_album, m_year, m_comment,
                          m_hasTrack ? m_track : quint8(0), Genre);
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
    switch (WriteId3v1Block(fd, TagBlock())) {
    case TId3v1WriteResult::Written:
        break;
    case TId3v1WriteResult::SizeUnknown:
        status = TagOtherError;
        break;
    case TId3v1WriteResult::ReadFailed:
        status = TagReadError;
        break;
    case TId3v1WriteResult::WriteFailed:
        status = TagWriteError;
        break;
    }
    if (::close(fd) != 0 && status == TagWritten)
        status = TagOtherError;
    if (status == TagWritten)
        m_lastFileName = name;
    return status;
}
