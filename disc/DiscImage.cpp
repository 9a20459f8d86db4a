#include "DiscImage.h"

#include "DecodedFileSource.h"
#include "RawFileSource.h"
#include "audio/ArgvPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int64_t kSectorBytes = 2352;
const QString kFdPrefix = QStringLiteral("/proc/self/fd/");

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// What a file that is not a regular one is, for messages.
QString notAFile(mode_t mode) {
    if (S_ISDIR(mode))
        return QCoreApplication::translate("TDiscImage", "it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("TDiscImage", "it is a FIFO, not a file");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("TDiscImage", "it is a socket, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QCoreApplication::translate("TDiscImage", "it is a device, not a file");
    return QCoreApplication::translate("TDiscImage", "it is not a regular file");
}

// A PCM WAV file of CD audio: the offset and size of its samples. False for any other file,
// which is then decoded.
bool isCdPcmWav(const QString& path, int64_t& dataOffset, int64_t& dataSize) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return false;
    bool cdPcm = false;
    for (int chunks = 0; chunks < 1000; ++chunks) {
        const QByteArray chunk = f.read(8);
        if (chunk.size() < 8)
            return false;
        quint32 size = 0;
        std::memcpy(&size, chunk.constData() + 4, 4);
        size = qFromLittleEndian(size);
        const qint64 body = f.pos();
        if (chunk.startsWith("fmt ")) {
            const QByteArray fmt = f.read(qMin<quint32>(size, 40));
            if (fmt.size() < 16)
                return false;
            auto u16 = [&](int at) { return int(uchar(fmt[at])) | int(uchar(fmt[at + 1])) << 8; };
            int tag = u16(0);
            if (tag == 0xFFFE && fmt.size() >= 26)
                tag = u16(24); // the sub-format of an extensible header
            cdPcm = tag == 1 && u16(2) == 2 && (u16(4) | u16(6) << 16) == 44100 && u16(14) == 16;
        } else if (chunk.startsWith("data")) {
            if (!cdPcm)
                return false;
            dataOffset = body;
            // A header written before the length was known says 0 or 0xFFFFFFFF.
            const int64_t rest = f.size() - body;
            dataSize = size == 0 || size == 0xFFFFFFFFu ? rest : std::min<int64_t>(size, rest);
            return true;
        }
        if (!f.seek(body + size + (size & 1)))
            return false;
    }
    return false;
}

} // namespace

TDiscImage::TDiscImage() = default;

TDiscImage::~TDiscImage() {
    for (TDataFile& f : m_files) {
        f.Source.reset(); // closes what it opened through the descriptor first
        if (f.Fd >= 0)
            ::close(f.Fd);
    }
}

bool TDiscImage::Fail(const QString& text) {
    m_error = WithDisplayPaths(text);
    return false;
}

QString TDiscImage::Msf(int64_t sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / 4500, 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

bool TDiscImage::IsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    (void)decoded;
    return !decoder.hasError();
}

QString TDiscImage::Text(const QByteArray& bytes) const {
    return m_latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

QByteArray TDiscImage::NativePath(const QString& path) {
    if (path.startsWith(kFdPrefix)) {
        // A name that is not UTF-8, handed over as the descriptor it was opened with.
        char target[PATH_MAX];
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
        if (n > 0)
            return QByteArray(target, n);
    }
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

QByteArray TDiscImage::FolderOf(const QByteArray& nativePath) {
    const qsizetype slash = nativePath.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : nativePath.left(slash);
}

QString TDiscImage::RegularFileProblem(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QCoreApplication::translate("TDiscImage", "The disc image %1 cannot be opened: %2")
            .arg(DisplayPath(path), systemError(errno));
    if (!S_ISREG(st.st_mode))
        return QCoreApplication::translate("TDiscImage", "The disc image %1 cannot be used: %2")
            .arg(DisplayPath(path), notAFile(st.st_mode));
    return QString();
}

bool TDiscImage::ReadImageFile(const QString& path, qint64 maxBytes, QByteArray* text) {
    m_path = DisplayPath(path);
    m_folder = FolderOf(NativePath(path));
    if (const QString problem = RegularFileProblem(path); !problem.isEmpty())
        return Fail(problem);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(
            QCoreApplication::translate("TDiscImage", "The disc image %1 cannot be opened: %2")
                .arg(m_path, file.errorString()));
    if (file.size() > maxBytes)
        return Fail(
            QCoreApplication::translate(
                "TDiscImage", "%1 is not a disc image that can be used (it is %2 bytes long)")
                .arg(m_path)
                .arg(file.size()));
    *text = file.read(maxBytes);
    return true;
}

int TDiscImage::OpenDataFile(const QByteArray& name, const std::vector<QByteArray>& alternatives,
                             TFileKind kind, int64_t byteOffset) {
    auto inFolder = [&](const QByteArray& n) { return n.startsWith('/') ? n : m_folder + '/' + n; };
    std::vector<QByteArray> tries;
    tries.push_back(inFolder(name));
    for (const QByteArray& a : alternatives)
        tries.push_back(inFolder(a));
    // An image written on another system may name its file with a folder there
    // ("C:\Music\x.wav"); the file is looked for beside the image then.
    const size_t spellings = tries.size();
    for (size_t i = 0; i < spellings; ++i) {
        QByteArray bare = i == 0 ? name : alternatives[i - 1];
        bare.replace('\\', '/');
        bare = bare.mid(bare.lastIndexOf('/') + 1);
        if (!bare.isEmpty())
            tries.push_back(m_folder + '/' + bare);
    }
    const QString shown = QString::fromUtf8(tries.front());
    QByteArray found;
    struct stat st {};
    for (const QByteArray& t : tries)
        if (::stat(t.constData(), &st) == 0) {
            found = t;
            break;
        }
    if (found.isEmpty()) {
        Fail(QCoreApplication::translate("TDiscImage",
                                         "The file %1 that %2 names cannot be opened: %3")
                 .arg(shown, m_path, systemError(ENOENT)));
        return -1;
    }
    // O_PATH opens without reading: a FIFO or a device is never waited on.
    const int fd = ::open(found.constData(), O_PATH | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const QString why = fd < 0 ? systemError(errno) : notAFile(st.st_mode);
        if (fd >= 0)
            ::close(fd);
        Fail(QCoreApplication::translate("TDiscImage",
                                         "The file %1 that %2 names cannot be opened: %3")
                 .arg(QString::fromUtf8(found), m_path, why));
        return -1;
    }
    TDataFile data;
    data.Fd = fd;
    data.Name = QString::fromUtf8(found);
    const QString proc = kFdPrefix + QString::number(fd);
    int64_t wavOffset = 0, wavSize = 0;
    if (kind == TFileKind::Audio && !isCdPcmWav(proc, wavOffset, wavSize)) {
        auto decoded = std::make_unique<TDecodedFileSource>();
        if (!decoded->Open(proc)) {
            Fail(decoded->ErrorText()); // names the file while the descriptor still leads to it
            decoded.reset();
            ::close(fd);
            return -1;
        }
        data.Source = std::move(decoded);
    } else {
        auto raw = std::make_unique<TRawFileSource>();
        const bool ok = kind == TFileKind::Audio
                            ? raw->Open(proc, wavOffset + byteOffset,
                                        std::max<int64_t>(0, wavSize - byteOffset))
                            : raw->Open(proc, byteOffset, -1, kind == TFileKind::RawBigEndian);
        if (!ok) {
            Fail(QCoreApplication::translate("TDiscImage",
                                             "The file that %1 names cannot be opened: %2")
                     .arg(m_path, raw->ErrorText()));
            raw.reset();
            ::close(fd);
            return -1;
        }
        data.Source = std::move(raw);
    }
    m_files.push_back(std::move(data));
    return int(m_files.size()) - 1;
}

void TDiscImage::AppendFile(int file, int64_t fileByte, int64_t sectors, int stride, bool audio,
                            int64_t fileEnd) {
    if (sectors <= 0)
        return;
    m_segments.push_back({m_leadOut, sectors, file, fileByte, stride, audio, fileEnd});
    m_leadOut += sectors;
}

void TDiscImage::AppendSilence(int64_t sectors) {
    if (sectors <= 0)
        return;
    m_segments.push_back({m_leadOut, sectors, -1, 0, int(kSectorBytes), true});
    m_leadOut += sectors;
    m_silence += sectors;
}

bool TDiscImage::CheckLength() {
    if (TooLong())
        return Fail(QCoreApplication::translate(
                        "TDiscImage", "%1 describes gaps that put the disc's lead-out at %2, past "
                                      "the 99:59:74 a CD can reach")
                        .arg(m_path, Msf(m_leadOut + 150)));
    return true;
}

bool TDiscImage::ReadSectors(int64_t sector, int64_t count, uint8_t* out) {
    if (sector < 0 || count < 0 || sector + count > m_leadOut)
        return Fail(
            QCoreApplication::translate("TDiscImage", "Sectors %1 to %2 lie outside the disc image")
                .arg(sector)
                .arg(sector + count - 1));
    const auto after =
        std::upper_bound(m_segments.begin(), m_segments.end(), sector,
                         [](int64_t s, const TSegment& g) { return s < g.DiscStart; });
    for (size_t i = size_t(after - m_segments.begin()) - 1; count > 0; ++i) {
        const TSegment& seg = m_segments[i];
        const int64_t inSeg = sector - seg.DiscStart;
        const int64_t n = std::min(count, seg.Sectors - inSeg);
        if (seg.File < 0) {
            std::memset(out, 0, size_t(n * kSectorBytes));
        } else {
            if (!seg.Audio)
                return Fail(
                    QCoreApplication::translate("TDiscImage", "Sector %1 belongs to a data track")
                        .arg(sector));
            TImageSource& src = *m_files[size_t(seg.File)].Source;
            // A sector with subchannel data after its audio is read on its own; plain audio
            // sectors lie back to back.
            const int64_t run = seg.Stride == kSectorBytes ? n : 1;
            for (int64_t k = 0; k < n; k += run) {
                const int64_t from = seg.FileByte + (inSeg + k) * seg.Stride;
                uint8_t* to = out + k * kSectorBytes;
                // The file's last sector may be partial; its missing samples are silence.
                const int64_t end = std::min(src.Size(), seg.FileEnd);
                const int64_t have = std::clamp<int64_t>(end - from, 0, run * kSectorBytes);
                if (have > 0 && !src.Read(from, have, to))
                    return Fail(src.ErrorText());
                std::memset(to + have, 0, size_t(run * kSectorBytes - have));
            }
        }
        out += n * kSectorBytes;
        sector += n;
        count -= n;
    }
    return true;
}

int64_t TDiscImage::ParseMsf(const QByteArray& text) {
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 3)
        return -1;
    int64_t v[3];
    for (int i = 0; i < 3; ++i) {
        if (parts[i].isEmpty() || parts[i].size() > 6 ||
            !std::all_of(parts[i].begin(), parts[i].end(),
                         [](char c) { return std::isdigit(uchar(c)); }))
            return -1;
        v[i] = parts[i].toLongLong();
    }
    if (v[1] >= 60 || v[2] >= 75)
        return -1;
    return (v[0] * 60 + v[1]) * 75 + v[2];
}
