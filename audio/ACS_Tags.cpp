#include "ACS_Tags.h"

#include "Id3v1Block.h"

#include "audio/AtomicFile.h"
#include "audio/FdIo.h"
#include "audio/Genres.h"
#include "audio/Latin1Text.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

qint64 FileSize(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    return qint64(st.st_size);
}

class TFd {
public:
    explicit TFd(int fd) : m_fd(fd) {}
    ~TFd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports whether the close succeeded (a late write error shows here).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

int OpenFile(const QString& fileName, int flags) {
    return ::open(QFile::encodeName(fileName).constData(), flags | O_CLOEXEC);
}

// A new content of a file, made of its old bytes: `Head`, then the old bytes [From, To), then
// `Tail`.
struct TRewrite {
    QByteArray Head;
    qint64 From = 0;
    qint64 To = 0;
    QByteArray Tail;
};
// Plans the new content from the open old file of `size` bytes; nothing for a failure.
using TRewritePlan = std::function<std::optional<TRewrite>(int fd, qint64 size)>;

// Writes the planned new content beside `fileName` and renames it over the file, so a failure
// at any point leaves the old file untouched. A symbolic link stays a link: the file it points
// to is rewritten. Only a regular file we may write is rewritten.
bool RewriteFile(const QString& fileName, const TRewritePlan& plan) {
    QFileInfo info(fileName);
    const QString path = info.isSymLink() ? info.canonicalFilePath() : fileName;
    if (path.isEmpty())
        return false;
    // The file must be one we may write, as it would be if we changed it in place.
    TFd source(OpenFile(path, O_RDWR));
    if (source.get() < 0)
        return false;
    struct stat st {};
    if (::fstat(source.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const std::optional<TRewrite> rewrite = plan(source.get(), qint64(st.st_size));
    if (!rewrite)
        return false;

    TAtomicFile out(path);
    if (!out.open() || !out.write(rewrite->Head))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 offset = rewrite->From; offset < rewrite->To;) {
        const qint64 n = std::min<qint64>(chunk.size(), rewrite->To - offset);
        // Fails on an error, or when the file shrank under us.
        if (!ReadAt(source.get(), chunk.data(), n, offset) || !out.write(chunk.constData(), n))
            return false;
        offset += n;
    }
    return out.write(rewrite->Tail) && out.commit();
}

// Runs `rewrite` on the file that `fd` (open for writing) refers to, found by its name, then
// points `fd` at the new file, at its old position moved by `shift` bytes.
bool RewriteThroughDescriptor(int fd, qint64 shift,
                              const std::function<bool(const QString& path)>& rewrite) {
    if (fd == -1)
        return false;
    const int accessFlags = ::fcntl(fd, F_GETFL);
    if (accessFlags < 0 || (accessFlags & O_ACCMODE) == O_RDONLY)
        return false;
    // The descriptor's own name, to write the new file beside it.
    char link[PATH_MAX + 1];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t len = ::readlink(proc.constData(), link, PATH_MAX);
    if (len <= 0 || link[0] != '/')
        return false;
    const QString path = QFile::decodeName(QByteArray(link, len));
    struct stat byFd {
    }, byName{};
    if (::fstat(fd, &byFd) != 0 || ::stat(QFile::encodeName(path).constData(), &byName) != 0 ||
        byFd.st_dev != byName.st_dev || byFd.st_ino != byName.st_ino)
        return false; // the descriptor's file is no longer reachable under that name
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    if (!rewrite(path))
        return false;
    // Point the caller's descriptor at the new file, at the same byte as before.
    const int fresh = OpenFile(path, accessFlags & (O_ACCMODE | O_APPEND));
    if (fresh < 0)
        return false;
    const int descriptorFlags = ::fcntl(fd, F_GETFD);
    const bool ok = ::dup3(fresh, fd, (descriptorFlags & FD_CLOEXEC) ? O_CLOEXEC : 0) == fd;
    ::close(fresh);
    if (ok && position >= 0)
        ::lseek(fd, position + off_t(shift), SEEK_SET);
    return ok;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TTagValue

TTagValue TTagValue::Integer(qint64 value) {
    TTagValue v;
    v.m_kind = Kind::Integer;
    v.m_integer = value;
    return v;
}

TTagValue TTagValue::String(const QString& text) {
    TTagValue v;
    v.m_kind = Kind::String;
    v.m_text = text;
    return v;
}

TTagValue TTagValue::WideString(const QString& text) {
    TTagValue v;
    v.m_kind = Kind::WideString;
    v.m_text = text;
    return v;
}

bool TTagValue::operator==(const TTagValue& other) const {
    if (isText() && other.isText())
        return m_text == other.m_text;
    if (m_kind != other.m_kind)
        return false;
    return m_kind != Kind::Integer || m_integer == other.m_integer;
}

// ---------------------------------------------------------------------------------------------
// TAuTags

int TAuTags::indexOf(const QString& name) const {
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), name,
                                     [](const Entry& e, const QString& n) {
                                         return e.name.compare(n, Qt::CaseInsensitive) < 0;
                                     });
    if (it == m_entries.end() || it->name.compare(name, Qt::CaseInsensitive) != 0)
        return -1;
    return int(it - m_entries.begin());
}

QString TAuTags::NameAt(int index) const {
    if (index < 0 || index >= Count())
        return QString();
    return m_entries[size_t(index)].name;
}

TTagValue TAuTags::GetValue(const QString& name) const {
    const int i = indexOf(name);
    return i < 0 ? TTagValue() : m_entries[size_t(i)].value;
}

void TAuTags::SetValue(const QString& name, const TTagValue& value) {
    const int i = indexOf(name);
    if (i < 0 || m_entries[size_t(i)].value == value)
        return;
    m_entries[size_t(i)].value = value;
    m_cleared = false;
    m_modified = true;
}

qint64 TAuTags::AsInteger(const QString& name) const {
    const TTagValue v = GetValue(name);
    if (v.isInteger())
        return v.integer();
    if (v.isText()) {
        bool ok = false;
        const qint64 n = v.text().trimmed().toLongLong(&ok);
        return ok ? n : 0;
    }
    return 0;
}

QString TAuTags::AsString(const QString& name) const {
    const TTagValue v = GetValue(name);
    if (v.isInteger())
        return QString::number(v.integer());
    return v.text();
}

void TAuTags::AddName(const QString& name) {
    if (name.isEmpty() || indexOf(name) >= 0)
        return;
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), name,
                                     [](const Entry& e, const QString& n) {
                                         return e.name.compare(n, Qt::CaseInsensitive) < 0;
                                     });
    m_entries.insert(it, Entry{name, TTagValue()});
}

void TAuTags::Clear() {
    for (Entry& e : m_entries)
        e.value = TTagValue();
    m_cleared = true;
    m_modified = true;
}

void TAuTags::Assign(const TAuTags& source) {
    if (&source == this)
        return;
    Clear();
    for (const Entry& e : source.m_entries)
        SetValue(e.name, e.value);
}

bool TAuTags::TagExists(int fd) const {
    return fd != -1;
}

bool TAuTags::ReadFromFile(int fd) {
    if (fd == -1)
        return false;
    Clear();
    return true;
}

bool TAuTags::WriteToFile(int fd, bool) const {
    return fd != -1;
}

bool TAuTags::TagExists(const QString& fileName) const {
    TFd fd(OpenFile(fileName, O_RDONLY));
    return fd.get() >= 0 && TagExists(fd.get());
}

bool TAuTags::ReadFromFile(const QString& fileName) {
    TFd fd(OpenFile(fileName, O_RDONLY));
    return fd.get() >= 0 && ReadFromFile(fd.get());
}

bool TAuTags::WriteToFile(const QString& fileName, bool unicode) const {
    TFd fd(OpenFile(fileName, O_RDWR));
    if (fd.get() < 0)
        return false;
    const bool ok = WriteToFile(fd.get(), unicode);
    return fd.close() && ok;
}

// ---------------------------------------------------------------------------------------------
// TId3v1Tags

namespace {
constexpr int Id3v1Size = 128;

// An ID3v1 text field: up to the first NUL, ISO-8859-1, without surrounding blanks.
QString Id3v1Text(const char* field, int width) {
    const int len = int(std::find(field, field + width, '\0') - field);
    return QString::fromLatin1(field, len).trimmed();
}
} // namespace

TId3v1Tags::TId3v1Tags() {
    for (const char* name : {"artist", "album", "genre", "year", "track", "title", "comment"})
        AddName(QLatin1String(name));
}

QString TId3v1Tags::Artist() const {
    const TTagValue v = GetValue(QStringLiteral("artist"));
    return v.isText() ? v.text() : QString();
}

quint8 TId3v1Tags::GenreId() const {
    const qint64 id = AsInteger(QStringLiteral("genre"));
    return (id >= 0 && id < GenreCount) ? quint8(id) : quint8(12);
}

QString TId3v1Tags::Genre() const {
    return QLatin1String(Id3v1GenreNames[GenreId()]);
}

void TId3v1Tags::SetGenre(const QString& name) {
    const int id = Id3v1GenreIndexOf(name.trimmed());
    if (id >= 0)
        SetGenreId(quint8(id));
}

bool TId3v1Tags::TagExists(int fd) const {
    if (fd == -1)
        return false;
    const qint64 size = FileSize(fd);
    char head[3];
    return size >= Id3v1Size && ReadAt(fd, head, 3, size - Id3v1Size) && head[0] == 'T' &&
           head[1] == 'A' && head[2] == 'G';
}

bool TId3v1Tags::ReadFromFile(int fd) {
    if (!TAuTags::ReadFromFile(fd))
        return false;
    const qint64 size = FileSize(fd);
    char b[Id3v1Size];
    if (size < Id3v1Size || !ReadAt(fd, b, Id3v1Size, size - Id3v1Size) ||
        !(b[0] == 'T' && b[1] == 'A' && b[2] == 'G'))
        return false;
    SetString(QStringLiteral("title"), Id3v1Text(b + 3, 30));
    SetString(QStringLiteral("artist"), Id3v1Text(b + 33, 30));
    SetString(QStringLiteral("album"), Id3v1Text(b + 63, 30));
    bool ok = false;
    const int year = Id3v1Text(b + 93, 4).toInt(&ok);
    SetInteger(QStringLiteral("year"), ok ? year : 0);
    const bool withTrack = (b[125] == 0 && b[126] != 0) || (b[125] == ' ' && b[126] != ' ');
    if (withTrack) {
        SetString(QStringLiteral("comment"), Id3v1Text(b + 97, 28));
        SetInteger(QStringLiteral("track"), quint8(b[126]));
    } else {
        SetString(QStringLiteral("comment"), Id3v1Text(b + 97, 30));
        SetInteger(QStringLiteral("track"), 0);
    }
    SetInteger(QStringLiteral("genre"), quint8(b[127]));
    return true;
}

bool TId3v1Tags::WriteToFile(int fd, bool) const {
    // A year of 0 is no year: the field stays empty rather than reading "0".
    const QByteArray year = Year() != 0 ? QByteArray::number(Year()).left(4) : QByteArray();
    // 255 is ID3v1's "no genre": a tag without a known genre number must not claim one.
    const qint64 genre = AsInteger(QStringLiteral("genre"));
    const bool known =
        !GetValue(QStringLiteral("genre")).isEmpty() && genre >= 0 && genre < GenreCount;
    const QByteArray block = PackId3v1Block(ToLatin1Lossy(Title(), 30), ToLatin1Lossy(Artist(), 30),
                                            ToLatin1Lossy(Album(), 30), year,
                                            ToLatin1Lossy(Comment(), Track() != 0 ? 28 : 30),
                                            Track(), known ? quint8(genre) : quint8(255));
    return WriteId3v1Block(fd, block) == TId3v1WriteResult::Written;
}

// ---------------------------------------------------------------------------------------------
// TId3v2Tags

namespace {
constexpr int PropertyCount = 15;
const char* const Id3v22Ids[PropertyCount] = {"TT2", "TP1", "TAL", "TRK", "TYE",
                                              "TCO", "COM", "TCM", "TEN", "TCR",
                                              "TLA", "WXX", "TP2", "TPA", "TCP"};
const char* const Id3v23Ids[PropertyCount] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER",
                                              "TCON", "COMM", "TCOM", "TENC", "TCOP",
                                              "TLAN", "WXXX", "TPE2", "TPOS", "TCMP"};
constexpr int YearPosition = 5;
constexpr int CommentPosition = 7;
constexpr int LinkPosition = 12;
// Properties after the Link (album artist, disc, compilation) are neither read from a file nor
// part of the ten-frame tag.
constexpr int FilePropertyCount = LinkPosition;
constexpr int HeaderSize = 10;

quint32 BigEndian(const uchar* p, int bytes) {
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

quint32 Synchsafe(const uchar* p) {
    return (quint32(p[0]) << 21) | (quint32(p[1]) << 14) | (quint32(p[2]) << 7) | p[3];
}

// Checks a 10-byte header; gives the version and the whole tag length (header, frames and
// any footer) when it is valid.
bool CheckHeader(const uchar* h, int* version, qint64* tagLength) {
    if (h[0] != 'I' || h[1] != 'D' || h[2] != '3' || h[4] == 0xFF)
        return false;
    uchar allowed = 0;
    switch (h[3]) {
    case 2:
        allowed = 0xC0;
        break;
    case 3:
        allowed = 0xE0;
        break;
    case 4:
        allowed = 0xF0;
        break;
    default:
        return false;
    }
    if ((h[5] & ~allowed) != 0)
        return false;
    for (int i = 6; i < 10; ++i) {
        if (h[i] >= 0x80)
            return false;
    }
    *version = h[3];
    *tagLength = qint64(Synchsafe(h + 6)) + HeaderSize + ((h[5] & 0x10) ? HeaderSize : 0);
    return true;
}

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
QByteArray Resynchronise(const QByteArray& data) {
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        out.append(data[i]);
        if (uchar(data[i]) == 0xFF && i + 1 < data.size() && data[i + 1] == 0)
            ++i;
    }
    return out;
}

// Decodes one string of `encoding` from `data` starting at `*pos`, up to its terminator
// (or the end of the data); *pos moves past the terminator. Null when the encoding is unknown.
std::optional<QString> DecodeText(const QByteArray& data, qsizetype* pos, int encoding) {
    const qsizetype start = *pos;
    if (encoding == 0 || encoding == 3) {
        qsizetype end = data.indexOf('\0', start);
        if (end < 0)
            end = data.size();
        *pos = std::min(end + 1, data.size());
        const QByteArray bytes = data.mid(start, end - start);
        return encoding == 0 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    }
    if (encoding == 1 || encoding == 2) {
        // The text ends at a 16-bit zero or at the end of the data.
        qsizetype end = start;
        while (end + 1 < data.size() && !(data[end] == 0 && data[end + 1] == 0))
            end += 2;
        *pos = end + 1 < data.size() ? end + 2 : data.size();
        qsizetype i = start;
        // Encoding 1 starts with a byte-order mark; without one, little-endian is assumed.
        bool bigEndian = encoding == 2;
        if (encoding == 1 && i + 1 < end) {
            const uchar b0 = uchar(data[i]), b1 = uchar(data[i + 1]);
            if (b0 == 0xFF && b1 == 0xFE) {
                i += 2;
            } else if (b0 == 0xFE && b1 == 0xFF) {
                bigEndian = true;
                i += 2;
            }
        }
        QString text;
        for (; i < end && i + 1 < data.size(); i += 2) {
            const uchar a = uchar(data[i]), b = uchar(data[i + 1]);
            text.append(QChar(bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a)));
        }
        return text;
    }
    return std::nullopt;
}

void PutBigEndian32(QByteArray& out, quint32 v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

} // namespace

TId3v2Tags::TId3v2Tags() {
    for (const char* id : Id3v22Ids)
        AddName(QLatin1String(id));
    for (const char* id : Id3v23Ids)
        AddName(QLatin1String(id));
}

QString TId3v2Tags::IdOf(int position) const {
    if (position < 1 || position > PropertyCount)
        return QString();
    return QLatin1String(m_newIds ? Id3v23Ids[position - 1] : Id3v22Ids[position - 1]);
}

void TId3v2Tags::Assign(const TAuTags& source) {
    TAuTags::Assign(source);
    if (const auto* id3v2 = dynamic_cast<const TId3v2Tags*>(&source))
        m_newIds = id3v2->m_newIds;
}

bool TId3v2Tags::TagExists(int fd) const {
    if (fd == -1)
        return false;
    const off_t pos = ::lseek(fd, 0, SEEK_CUR);
    uchar h[HeaderSize];
    int version = 0;
    qint64 length = 0;
    return pos >= 0 && ReadAt(fd, reinterpret_cast<char*>(h), HeaderSize, pos) &&
           CheckHeader(h, &version, &length);
}

bool TId3v2Tags::ReadFromFile(int fd) {
    if (!TAuTags::ReadFromFile(fd))
        return false;
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    if (start < 0)
        return false;
    uchar h[HeaderSize];
    int version = 0;
    qint64 length = 0;
    if (!ReadAt(fd, reinterpret_cast<char*>(h), HeaderSize, start) ||
        !CheckHeader(h, &version, &length))
        return false;
    m_newIds = version != 2;
    const qint64 frameBytes = qint64(Synchsafe(h + 6));
    if (FileSize(fd) < start + length)
        return false; // the tag claims more than the file holds
    QByteArray body(frameBytes, Qt::Uninitialized);
    if (!ReadAt(fd, body.data(), frameBytes, start + HeaderSize))
        return false;
    const uchar flags = h[5];
    // Versions 2.2 and 2.3 unsynchronise the whole tag; 2.4 marks it per frame.
    if (version < 4 && (flags & 0x80))
        body = Resynchronise(body);
    qsizetype pos = 0;
    if (version == 2 && (flags & 0x40))
        pos = body.size(); // a compressed 2.2 tag: no scheme was ever defined, nothing to read
    if (version == 3 && (flags & 0x40) && body.size() >= 4)
        pos = 4 + qsizetype(BigEndian(reinterpret_cast<const uchar*>(body.constData()), 4));
    if (version == 4 && (flags & 0x40) && body.size() >= 4)
        pos = qsizetype(Synchsafe(reinterpret_cast<const uchar*>(body.constData())));

    const int idLen = version == 2 ? 3 : 4;
    const int frameHeader = version == 2 ? 6 : 10;
    const char* const* ids = version == 2 ? Id3v22Ids : Id3v23Ids;
    while (pos + frameHeader <= body.size()) {
        const uchar* f = reinterpret_cast<const uchar*>(body.constData()) + pos;
        if (f[0] < 'A' || f[0] > 'Z')
            break; // padding
        const QString id = QString::fromLatin1(reinterpret_cast<const char*>(f), idLen);
        quint32 size = 0;
        quint16 frameFlags = 0;
        if (version == 2) {
            size = BigEndian(f + 3, 3);
        } else {
            size = version == 4 ? Synchsafe(f + 4) : BigEndian(f + 4, 4);
            if (version == 3 && (size & 0x80000000u))
                break; // a size nothing could follow
            frameFlags = quint16(BigEndian(f + 8, 2));
        }
        pos += frameHeader;
        if (qint64(size) > body.size() - pos)
            break;
        QByteArray data = body.mid(pos, size);
        pos += size;
        if (size == 0)
            continue;
        int position = 0;
        for (int i = 0; i < FilePropertyCount; ++i) {
            if (id == QLatin1String(ids[i]))
                position = i + 1;
        }
        if (position == 0 || position == YearPosition || position == CommentPosition)
            continue;
        if (version == 3) {
            if (frameFlags & 0x00C0)
                continue; // compressed or encrypted
            if (frameFlags & 0x0020)
                data.remove(0, 1); // group id
        } else if (version == 4) {
            if (frameFlags & 0x000C)
                continue; // compressed or encrypted
            if (frameFlags & 0x0040)
                data.remove(0, 1); // group id
            if (frameFlags & 0x0002)
                data = Resynchronise(data.mid(frameFlags & 0x0001 ? 4 : 0));
            else if (frameFlags & 0x0001)
                data.remove(0, 4); // data length indicator
        }
        if (data.isEmpty())
            continue;
        const int encoding = uchar(data[0]);
        qsizetype textPos = 1;
        if (position == LinkPosition) {
            // User link: a description in the frame's encoding, then the URL in ISO-8859-1.
            if (!DecodeText(data, &textPos, encoding))
                continue;
            SetString(id, *DecodeText(data, &textPos, 0));
            continue;
        }
        const std::optional<QString> text = DecodeText(data, &textPos, encoding);
        if (!text)
            continue;
        if (encoding == 0)
            SetString(id, *text);
        else
            SetWideString(id, *text);
    }
    ::lseek(fd, off_t(start + length), SEEK_SET);
    return true;
}

namespace {

// An ID3v2 text in `encoding` 0 (ISO-8859-1) or 1 (UTF-16 with byte-order mark), with its
// terminator.
QByteArray Id3v2Text(const QString& text, bool wide) {
    QByteArray out;
    if (!wide)
        return ToLatin1Lossy(text).append('\0');
    out.append(char(0xFF)).append(char(0xFE));
    for (const QChar c : text)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out.append('\0').append('\0');
}

} // namespace

QByteArray TId3v2Tags::BuildTag(bool unicode) const {
    const bool nonEmpty = m_writtenFrames == TId3v2Frames::NonEmpty;
    QByteArray frames;
    for (int position = 1; position <= PropertyCount; ++position) {
        const QString text = AsWideString(IdOf(position));
        if (nonEmpty ? text.isEmpty()
                     : (position == YearPosition || position == CommentPosition ||
                        position > FilePropertyCount))
            continue;
        QByteArray body;
        if (position == LinkPosition) {
            // Encoding 0, an empty description, then the URL (ISO-8859-1 by definition).
            body.append('\0').append('\0').append(ToLatin1Lossy(text));
        } else {
            const bool wide = unicode || (nonEmpty && !FitsLatin1(text));
            body.append(wide ? '\1' : '\0');
            // A comment: language, an empty description, then the text.
            if (position == CommentPosition)
                body.append("eng", 3).append(Id3v2Text(QString(), wide));
            body.append(Id3v2Text(text, wide));
        }
        frames.append(Id3v23Ids[position - 1], 4);
        PutBigEndian32(frames, quint32(body.size()));
        frames.append('\0').append('\0');
        frames.append(body);
    }
    if (!m_picture.isEmpty()) {
        // Encoding 0, the MIME type, picture type 3 (front cover), an empty description.
        QByteArray body;
        body.append('\0').append(m_picture.mimeType().toLatin1()).append('\0');
        body.append('\3').append('\0').append(m_picture.data());
        frames.append("APIC", 4);
        PutBigEndian32(frames, quint32(body.size()));
        frames.append('\0').append('\0');
        frames.append(body);
    }
    const quint32 size = quint32(frames.size());
    QByteArray tag("ID3\x03\x00\x00", 6);
    tag.append(char((size >> 21) & 0x7F))
        .append(char((size >> 14) & 0x7F))
        .append(char((size >> 7) & 0x7F))
        .append(char(size & 0x7F));
    return tag + frames;
}

qint64 TId3v2Tags::ReplacedLength(int fd, qint64 size) const {
    if (m_writtenFrames != TId3v2Frames::NonEmpty)
        return 0;
    uchar h[HeaderSize];
    int version = 0;
    qint64 length = 0;
    if (!ReadAt(fd, reinterpret_cast<char*>(h), HeaderSize, 0) ||
        !CheckHeader(h, &version, &length) || length > size)
        return 0;
    return length;
}

bool TId3v2Tags::WriteToFile(const QString& fileName, bool unicode) const {
    const QByteArray tag = BuildTag(unicode);
    if (tag.size() - HeaderSize >= (1 << 28))
        return false;
    return RewriteFile(fileName, [&](int fd, qint64 size) {
        return std::optional<TRewrite>(TRewrite{tag, ReplacedLength(fd, size), size, QByteArray()});
    });
}

bool TId3v2Tags::WriteToFile(int fd, bool unicode) const {
    const qint64 shift = BuildTag(unicode).size() - ReplacedLength(fd, FileSize(fd));
    return RewriteThroughDescriptor(
        fd, shift, [&](const QString& path) { return WriteToFile(path, unicode); });
}

// ---------------------------------------------------------------------------------------------
// TAPEv2Tags

namespace {
constexpr int ApeTagBlockSize = 32; // the header and the footer
constexpr quint32 ApeTagHasHeader = 0x80000000u;
constexpr quint32 ApeTagIsHeader = 0x20000000u;

quint32 LittleEndian32(const uchar* p) {
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

void PutLittleEndian32(QByteArray& out, quint32 v) {
    out.append(char(v)).append(char(v >> 8)).append(char(v >> 16)).append(char(v >> 24));
}

// Where an APEv2 tag stands in a file of `size` bytes: [Start, End), End being the end of the
// file or the start of an ID3v1 tag that ends it. Start == End when there is no APEv2 tag.
struct TApeTagPlace {
    qint64 Start = 0;
    qint64 End = 0;
};

std::optional<TApeTagPlace> FindApeTag(int fd, qint64 size) {
    TApeTagPlace place;
    place.End = size;
    char id3v1[3];
    if (size >= Id3v1Size && ReadAt(fd, id3v1, 3, size - Id3v1Size) && id3v1[0] == 'T' &&
        id3v1[1] == 'A' && id3v1[2] == 'G')
        place.End = size - Id3v1Size;
    place.Start = place.End;
    uchar footer[ApeTagBlockSize];
    if (place.End < ApeTagBlockSize)
        return place;
    if (!ReadAt(fd, reinterpret_cast<char*>(footer), ApeTagBlockSize, place.End - ApeTagBlockSize))
        return std::nullopt;
    if (std::memcmp(footer, "APETAGEX", 8) != 0)
        return place;
    const qint64 tagSize = LittleEndian32(footer + 12); // items and footer
    const quint32 flags = LittleEndian32(footer + 20);
    const qint64 start = place.End - tagSize - ((flags & ApeTagHasHeader) ? ApeTagBlockSize : 0);
    // A footer whose size points outside the file is not trusted: the tag goes after it.
    if (tagSize >= ApeTagBlockSize && start >= 0)
        place.Start = start;
    return place;
}

QByteArray ApeTagBlock(quint32 tagSize, quint32 count, quint32 flags) {
    QByteArray block("APETAGEX");
    PutLittleEndian32(block, 2000);
    PutLittleEndian32(block, tagSize);
    PutLittleEndian32(block, count);
    PutLittleEndian32(block, flags);
    return block.append(8, '\0');
}

} // namespace

TAPEv2Tags::TAPEv2Tags() {
    for (const char* name :
         {"Artist",       "Composer",        "Album",    "Debut album", "Publisher",
          "Conductor",    "Copyright",       "ISBN",     "ISRC",        "EAN/UPC",
          "LC",           "Catalog",         "Language", "Genre",       "Year",
          "Record Date",  "Record Location", "File",     "Related",     "Abstract",
          "Bibliography", "Track",           "Title",    "Subtitle",    "Comment"})
        AddName(QLatin1String(name));
    for (const char* name : {"Album Artist", "Disc", "Compilation"})
        AddName(QLatin1String(name));
}

bool TAPEv2Tags::TagExists(int fd) const {
    if (fd == -1)
        return false;
    const std::optional<TApeTagPlace> place = FindApeTag(fd, FileSize(fd));
    return place && place->Start < place->End;
}

QByteArray TAPEv2Tags::BuildTag() const {
    QByteArray items;
    quint32 count = 0;
    for (int i = 0; i < Count(); ++i) {
        const QString name = NameAt(i);
        const QByteArray value = AsString(name).toUtf8();
        if (value.isEmpty())
            continue;
        PutLittleEndian32(items, quint32(value.size()));
        PutLittleEndian32(items, 0); // UTF-8 text
        items.append(name.toLatin1()).append('\0').append(value);
        ++count;
    }
    if (!m_picture.isEmpty()) {
        // A binary item (flags 2): a file name as its description, NUL, then the picture.
        const QByteArray value =
            "cover." + m_picture.extension().toLatin1() + '\0' + m_picture.data();
        PutLittleEndian32(items, quint32(value.size()));
        PutLittleEndian32(items, 2);
        items.append("Cover Art (Front)").append('\0').append(value);
        ++count;
    }
    const quint32 size = quint32(items.size() + ApeTagBlockSize);
    return ApeTagBlock(size, count, ApeTagHasHeader | ApeTagIsHeader) + items +
           ApeTagBlock(size, count, ApeTagHasHeader);
}

bool TAPEv2Tags::WriteToFile(const QString& fileName, bool) const {
    const QByteArray tag = BuildTag();
    return RewriteFile(fileName, [&tag](int fd, qint64 size) -> std::optional<TRewrite> {
        const std::optional<TApeTagPlace> place = FindApeTag(fd, size);
        if (!place)
            return std::nullopt;
        QByteArray id3v1(size - place->End, Qt::Uninitialized);
        if (!id3v1.isEmpty() && !ReadAt(fd, id3v1.data(), id3v1.size(), place->End))
            return std::nullopt;
        return TRewrite{QByteArray(), 0, place->Start, tag + id3v1};
    });
}

bool TAPEv2Tags::WriteToFile(int fd, bool unicode) const {
    return RewriteThroughDescriptor(
        fd, 0, [&](const QString& path) { return WriteToFile(path, unicode); });
}

// ---------------------------------------------------------------------------------------------
// TVorbisTags

TVorbisTags::TVorbisTags() {
    for (const char* name :
         {"album", "albumartist", "artist", "comment", "compilation", "date", "discnumber",
          "disctotal", "genre", "title", "tracknumber", "tracktotal"})
        AddName(QLatin1String(name));
}
