#include "Id3v1Block.h"

#include "FdIo.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QByteArray PackId3v1Block(const QByteArray& title, const QByteArray& artist,
                          const QByteArray& album, const QByteArray& year,
                          const QByteArray& comment, quint8 track, quint8 genre) {
    QByteArray block(Id3v1BlockSize, '\0');
    auto put = [&block](int offset, const QByteArray& bytes, int width) {
        std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), width),
                    block.data() + offset);
    };
    put(0, "TAG", 3);
    put(3, title, 30);
    put(33, artist, 30);
    put(63, album, 30);
    put(93, year, 4);
    if (track != 0) {
        put(97, comment, 28);
        block[125] = 0;
        block[126] = char(track);
    } else {
        put(97, comment, 30);
    }
    block[127] = char(genre);
    return block;
}

TId3v1WriteResult WriteId3v1Block(int fd, const QByteArray& block) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return TId3v1WriteResult::SizeUnknown;
    const qint64 size = st.st_size;
    qint64 at = size;
    char old[Id3v1BlockSize];
    bool replacing = false;
    if (size >= Id3v1BlockSize) {
        if (!ReadAt(fd, old, Id3v1BlockSize, size - Id3v1BlockSize))
            return TId3v1WriteResult::ReadFailed;
        if (old[0] == 'T' && old[1] == 'A' && old[2] == 'G') {
            // Replace the tag already at the end rather than stacking a second one after it.
            at = size - Id3v1BlockSize;
            replacing = true;
        }
    }
    if (WriteAt(fd, block.constData(), Id3v1BlockSize, at))
        return TId3v1WriteResult::Written;
    // Put back what was there: the old tag, or the old length.
    if (replacing) {
        WriteAt(fd, old, Id3v1BlockSize, at);
    } else {
        while (::ftruncate(fd, off_t(size)) != 0 && errno == EINTR) {
        }
    }
    return TId3v1WriteResult::WriteFailed;
}
