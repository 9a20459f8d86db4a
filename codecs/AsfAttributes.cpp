#include "AsfAttributes.h"

#include "audio/FdIo.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Object GUIDs as they are stored (the first three fields little-endian).
const char HeaderGuid[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
const char ExtendedContentGuid[] =
    "\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50";
const char PaddingGuid[] = "\x74\xD4\x06\x18\xDF\xCA\x09\x45\xA4\xBA\x9A\xAB\xCB\x96\xAA\xE8";
constexpr int GuidSize = 16;
constexpr int ObjectHeaderSize = 24;  // GUID and 64-bit size
constexpr int HeaderObjectFixed = 30; // plus the object count and two reserved bytes
constexpr qint64 MaxHeaderSize = 16 << 20;

quint64 Le(const QByteArray& b, qsizetype at, int bytes) {
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | uchar(b[at + i]);
    return v;
}

void PutLe(QByteArray& b, qsizetype at, quint64 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

QByteArray Le(quint64 v, int bytes) {
    QByteArray b(bytes, '\0');
    PutLe(b, 0, v, bytes);
    return b;
}

// Whether the content description already holds the attribute `name`, or it only made room.
bool IsDropped(const QString& name) {
    static const QStringList dropped = {"Title", "Author", "Copyright", "Description", "Rating"};
    return dropped.contains(name, Qt::CaseInsensitive) || name == AsfRoomAttribute;
}

} // namespace

bool DropDuplicateAsfAttributes(const QString& fileName, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, reason);
        return false;
    };
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct TClose {
        int fd;
        ~TClose() { ::close(fd); }
    } closer{fd};

    QByteArray h(HeaderObjectFixed, '\0');
    if (!ReadAt(fd, h.data(), h.size(), 0) || !h.startsWith(QByteArray(HeaderGuid, GuidSize)))
        return fail(QCoreApplication::translate("TAsfAttributes", "not an ASF file"));
    const qint64 headerSize = qint64(Le(h, 16, 8));
    if (headerSize < HeaderObjectFixed || headerSize > MaxHeaderSize)
        return fail(
            QCoreApplication::translate("TAsfAttributes", "the ASF header has an impossible size"));
    h.resize(headerSize);
    if (!ReadAt(fd, h.data(), headerSize, 0))
        return fail(QCoreApplication::translate("TAsfAttributes", "the ASF header is cut short"));

    // The extended content description among the header's objects.
    qsizetype at = HeaderObjectFixed;
    qsizetype ecd = -1, ecdSize = 0;
    while (at + ObjectHeaderSize <= h.size()) {
        const quint64 size = Le(h, at + GuidSize, 8);
        if (size < quint64(ObjectHeaderSize) || size > quint64(h.size() - at))
            return fail(QCoreApplication::translate("TAsfAttributes", "the ASF header is damaged"));
        if (std::memcmp(h.constData() + at, ExtendedContentGuid, GuidSize) == 0) {
            ecd = at;
            ecdSize = qsizetype(size);
            break;
        }
        at += qsizetype(size);
    }
    if (ecd < 0 || ecdSize < ObjectHeaderSize + 2)
        return true; // no attributes beyond the content description

    // Keep the descriptors that are not dropped, as they are.
    const qsizetype end = ecd + ecdSize;
    const int count = int(Le(h, ecd + ObjectHeaderSize, 2));
    qsizetype pos = ecd + ObjectHeaderSize + 2;
    QByteArray kept;
    int keptCount = 0;
    for (int i = 0; i < count; ++i) {
        if (pos + 2 > end)
            return fail(
                QCoreApplication::translate("TAsfAttributes", "the ASF attributes are damaged"));
        const qsizetype nameLength = qsizetype(Le(h, pos, 2));
        const qsizetype valueAt = pos + 2 + nameLength + 4;
        if (valueAt > end)
            return fail(
                QCoreApplication::translate("TAsfAttributes", "the ASF attributes are damaged"));
        const qsizetype valueLength = qsizetype(Le(h, valueAt - 2, 2));
        const qsizetype next = valueAt + valueLength;
        if (next > end)
            return fail(
                QCoreApplication::translate("TAsfAttributes", "the ASF attributes are damaged"));
        QString name = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(h.constData() + pos + 2), nameLength / 2);
        while (name.endsWith(QChar(0)))
            name.chop(1);
        if (!IsDropped(name)) {
            kept.append(h.mid(pos, next - pos));
            ++keptCount;
        }
        pos = next;
    }
    const qsizetype freed = ecdSize - (ObjectHeaderSize + 2 + kept.size());
    if (freed == 0)
        return true;
    if (freed < ObjectHeaderSize)
        return true; // too little room for a padding object: left as it is

    QByteArray object(ExtendedContentGuid, GuidSize);
    object += Le(quint64(ObjectHeaderSize + 2 + kept.size()), 8) + Le(quint64(keptCount), 2) + kept;
    QByteArray padding(PaddingGuid, GuidSize);
    padding += Le(quint64(freed), 8) + QByteArray(freed - ObjectHeaderSize, '\0');
    h.replace(ecd, ecdSize, object + padding);
    PutLe(h, GuidSize + 8, Le(h, GuidSize + 8, 4) + 1, 4); // one object more
    if (!WriteAt(fd, h.constData(), h.size(), 0))
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}
