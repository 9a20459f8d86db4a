#include "CueImage.h"

#include "DecodedFileSource.h"
#include "RawFileSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <libcue.h>
#include <mutex>

namespace {

constexpr int64_t kSectorBytes = 2352;
constexpr int64_t kMaxSheetBytes = 1 << 20; // a sheet of 99 tracks with long texts is far less
constexpr int64_t kStandardPregap = 150;    // the 2 seconds before track 1 every disc has

// libcue's parser keeps its state in globals.
std::mutex g_libcueLock;

// Minutes:seconds:frames of a sector count.
QString msf(int64_t sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / 4500, 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

// "mm:ss:ff" in sectors; -1 when it is no such time.
int64_t parseMsf(const QByteArray& text) {
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 3)
        return -1;
    int64_t v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts[i].toLongLong(&ok);
        if (!ok || v[i] < 0 || parts[i].isEmpty() || !std::isdigit(uchar(parts[i][0])))
            return -1;
    }
    if (v[1] >= 60 || v[2] >= 75)
        return -1;
    return (v[0] * 60 + v[1]) * 75 + v[2];
}

// Sheets are mostly UTF-8; older ones are in Latin-1.
QString sheetText(const char* bytes) {
    if (!bytes)
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArray(bytes));
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// libcdio exports a cdtext_get of its own with other arguments, and a program linking both
// libraries reaches libcdio's under that name. libcue's is looked up in libcue itself.
using TCueTextGetter = const char* (*)(Pti, const Cdtext*);
TCueTextGetter libcueTextGetter() {
    static const TCueTextGetter getter = [] {
        Dl_info info{};
        void* lib = nullptr;
        if (dladdr(reinterpret_cast<void*>(&cd_get_cdtext), &info) && info.dli_fname)
            lib = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
        void* symbol = lib ? dlsym(lib, "cdtext_get") : nullptr;
        if (lib)
            dlclose(lib); // only drops the count taken here: libcue stays linked
        return reinterpret_cast<TCueTextGetter>(symbol);
    }();
    return getter;
}

int sectorBytesOf(TrackMode mode) {
    switch (mode) {
    case MODE_MODE1:
    case MODE_MODE2_FORM1:
        return 2048;
    case MODE_MODE2:
        return 2336;
    case MODE_MODE2_FORM2:
        return 2324;
    case MODE_MODE2_FORM_MIX:
        return 2332;
    default:
        return 2352;
    }
}

const char* const kKeywords[] = {
    "REM",        "CATALOG",   "CDTEXTFILE", "FILE",      "FLAGS",   "TRACK",
    "ISRC",       "PREGAP",    "INDEX",      "POSTGAP",   "TITLE",   "PERFORMER",
    "SONGWRITER", "COMPOSER",  "ARRANGER",   "MESSAGE",   "DISC_ID", "GENRE",
    "TOC_INFO1",  "TOC_INFO2", "UPC_EAN",    "SIZE_INFO",
};

bool isKeyword(const QByteArray& word) {
    return std::any_of(std::begin(kKeywords), std::end(kKeywords),
                       [&](const char* k) { return word == k; });
}

struct TDiscTrackLines {
    int Number = 0;
    int File = -1; // FILE lines before it, less one
    int64_t Pregap = 0;
    int64_t Postgap = 0;
};

// What the lines of a sheet say before libcue reads it: the types of its files, its track
// numbers and gaps, checked so that libcue only sees sheets it can take.
struct TSheetScan {
    QByteArray Text; // the sheet as libcue gets it: file types and flags it knows
    std::vector<QByteArray> FileTypes;
    std::vector<TDiscTrackLines> Tracks;
    QString Error;
};

TSheetScan scanSheet(const QByteArray& text, const QString& path) {
    TSheetScan scan;
    auto fail = [&](const QString& why) {
        scan.Error = QStringLiteral("%1 is not a CUE sheet that can be used: %2").arg(path, why);
        return scan;
    };
    const QList<QByteArray> lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QByteArray line = lines[n].trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> words = line.simplified().split(' ');
        const QByteArray key = words[0].toUpper();
        const int lineNo = n + 1;
        if (!isKeyword(key)) {
            if (scan.Tracks.empty() && scan.FileTypes.empty())
                scan.Error = QStringLiteral("%1 is not a CUE sheet (line %2 begins with \"%3\")")
                                 .arg(path)
                                 .arg(lineNo)
                                 .arg(QString::fromUtf8(words[0].left(40)));
            else
                scan.Error = QStringLiteral("%1, line %2: unknown command \"%3\"")
                                 .arg(path)
                                 .arg(lineNo)
                                 .arg(QString::fromUtf8(words[0].left(40)));
            return scan;
        }
        if (key == "FILE") {
            if (words.size() < 3)
                return fail(QStringLiteral("line %1 names no file and type").arg(lineNo));
            if (!scan.FileTypes.empty() &&
                (scan.Tracks.empty() || scan.Tracks.back().File != int(scan.FileTypes.size()) - 1))
                return fail(
                    QStringLiteral("the FILE line before line %1 has no TRACK lines").arg(lineNo));
            scan.FileTypes.push_back(words.last().toUpper());
            // Some programs write the file's format ("FLAC"); the reader looks at the file's
            // content anyway, and libcue takes only the standard types.
            static const QByteArrayList types = {"BINARY", "MOTOROLA", "AIFF", "WAVE", "MP3"};
            if (!types.contains(scan.FileTypes.back())) {
                scan.Text += line.left(line.size() - words.last().size()).trimmed() + " WAVE\n";
                continue;
            }
        } else if (key == "TRACK") {
            bool ok = false;
            const int number = words.size() >= 3 ? words[1].toInt(&ok) : 0;
            if (!ok)
                return fail(QStringLiteral("line %1 is no TRACK number and type").arg(lineNo));
            if (number < 1 || number > 99)
                return fail(QStringLiteral("track number %1 on line %2 is outside 1 to 99")
                                .arg(number)
                                .arg(lineNo));
            if (!scan.Tracks.empty() && number != scan.Tracks.back().Number + 1)
                return fail(QStringLiteral("track %1 on line %2 follows track %3 (tracks are "
                                           "numbered one after the other)")
                                .arg(number)
                                .arg(lineNo)
                                .arg(scan.Tracks.back().Number));
            if (scan.FileTypes.empty())
                return fail(QStringLiteral("track %1 on line %2 comes before any FILE line")
                                .arg(number)
                                .arg(lineNo));
            static const QByteArrayList modes = {
                "AUDIO",      "CDG",        "MODE1/2048", "MODE1/2352", "MODE2/2048",
                "MODE2/2324", "MODE2/2336", "MODE2/2352", "CDI/2336",   "CDI/2352"};
            if (!modes.contains(words[2].toUpper()))
                return fail(QStringLiteral("track %1 on line %2 has an unknown mode \"%3\"")
                                .arg(number)
                                .arg(lineNo)
                                .arg(QString::fromUtf8(words[2].left(40))));
            scan.Tracks.push_back({number, int(scan.FileTypes.size()) - 1, 0, 0});
        } else if (key == "FLAGS") {
            // Flags libcue does not know would only be noise on stderr.
            QByteArray known = "FLAGS";
            for (const QByteArray& flag : words.mid(1))
                if (QByteArrayList{"DCP", "4CH", "PRE", "SCMS"}.contains(flag.toUpper()))
                    known += ' ' + flag.toUpper();
            if (known.size() > 5)
                scan.Text += known + '\n';
            continue;
        } else if (key == "PREGAP" || key == "POSTGAP" || key == "INDEX") {
            const QByteArray time = words.size() >= 2 ? words.last() : QByteArray();
            const int64_t sectors = parseMsf(time);
            if (sectors < 0 || words.size() != (key == "INDEX" ? 3 : 2))
                return fail(QStringLiteral("line %1 is no %2 with a time mm:ss:ff")
                                .arg(lineNo)
                                .arg(QString::fromLatin1(key)));
            if (scan.Tracks.empty())
                return fail(QStringLiteral("line %1 comes before any TRACK line").arg(lineNo));
            if (key == "PREGAP")
                scan.Tracks.back().Pregap = sectors;
            else if (key == "POSTGAP")
                scan.Tracks.back().Postgap = sectors;
        }
        scan.Text += line + '\n';
    }
    if (scan.Tracks.empty())
        scan.Error = QStringLiteral("%1 is not a CUE sheet: it names no tracks").arg(path);
    return scan;
}

bool isPcmWav(const QString& path, int64_t& dataOffset, int64_t& dataSize, QString& format) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return false;
    bool pcm = false;
    int channels = 0, rate = 0, bits = 0;
    while (true) {
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
            channels = u16(2);
            rate = u16(4) | u16(6) << 16;
            bits = u16(14);
            pcm = tag == 1;
        } else if (chunk.startsWith("data")) {
            if (!pcm)
                return false;
            if (channels != 2 || rate != 44100 || bits != 16) {
                format =
                    QStringLiteral("%1-bit %2 Hz %3-channel PCM").arg(bits).arg(rate).arg(channels);
                return false;
            }
            dataOffset = body;
            // A header written before the length was known says 0 or 0xFFFFFFFF.
            const int64_t rest = f.size() - body;
            dataSize = size == 0 || size == 0xFFFFFFFFu ? rest : std::min<int64_t>(size, rest);
            return true;
        }
        if (!f.seek(body + size + (size & 1)))
            return false;
    }
}

} // namespace

struct TCueImage::TSheetTrack {
    int Number = 0;
    int File = 0;
    int64_t Index0 = -1; // sectors into the file; -1 without INDEX 00
    int64_t Index1 = -1;
    int64_t Pregap = 0; // silence before the track (PREGAP), sectors
    int64_t Postgap = 0;
    int SectorBytes = 2352;
    uint8_t Control = 0;
};

TCueImage::TCueImage() = default;
TCueImage::~TCueImage() = default;

bool TCueImage::Fail(const QString& text) {
    m_error = text;
    return false;
}

bool TCueImage::Open(const QString& path) {
    m_path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(
            QStringLiteral("The disc image %1 cannot be opened: %2").arg(path, file.errorString()));
    if (file.size() > kMaxSheetBytes)
        return Fail(QStringLiteral("%1 is not a CUE sheet (it is %2 bytes long)")
                        .arg(path)
                        .arg(file.size()));
    QByteArray text = file.readAll();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.contains('\0'))
        return Fail(QStringLiteral("%1 is not a CUE sheet (it holds binary data)").arg(path));
    text.replace("\r\n", "\n");
    text.replace('\r', '\n'); // old Mac line ends
    const TSheetScan scan = scanSheet(text, path);
    if (!scan.Error.isEmpty())
        return Fail(scan.Error);

    std::vector<TSheetTrack> tracks;
    std::vector<QString> names(scan.FileTypes.size());
    {
        std::lock_guard guard(g_libcueLock);
        Cd* cd = cue_parse_string(scan.Text.constData());
        if (!cd)
            return Fail(QStringLiteral("%1 cannot be read as a CUE sheet").arg(path));
        const int count = cd_get_ntrack(cd);
        if (count != int(scan.Tracks.size())) {
            cd_delete(cd);
            return Fail(QStringLiteral("%1 cannot be read as a CUE sheet").arg(path));
        }
        const TCueTextGetter get = libcueTextGetter();
        auto cdText = [get](Cdtext* from, TCdText::TEntry& to) {
            if (!from || !get)
                return;
            to.Title = sheetText(get(PTI_TITLE, from)).trimmed();
            to.Performer = sheetText(get(PTI_PERFORMER, from)).trimmed();
            to.Songwriter = sheetText(get(PTI_SONGWRITER, from)).trimmed();
        };
        cdText(cd_get_cdtext(cd), m_cdText.Disc);
        for (int i = 0; i < count; ++i) {
            const Track* t = cd_get_track(cd, i + 1);
            const TDiscTrackLines& lines = scan.Tracks[size_t(i)];
            TSheetTrack st;
            st.Number = lines.Number;
            st.File = lines.File;
            st.Index0 = track_get_index(t, 0);
            st.Index1 = track_get_index(t, 1);
            st.Pregap = lines.Pregap;
            st.Postgap = lines.Postgap;
            const TrackMode mode = track_get_mode(t);
            st.SectorBytes = sectorBytesOf(mode);
            st.Control = uint8_t((mode == MODE_AUDIO ? 0 : 0x04) |
                                 (track_is_set_flag(t, FLAG_COPY_PERMITTED) ? 0x02 : 0) |
                                 (track_is_set_flag(t, FLAG_PRE_EMPHASIS) ? 0x01 : 0));
            if (names[size_t(st.File)].isEmpty())
                names[size_t(st.File)] = sheetText(track_get_filename(t));
            cdText(track_get_cdtext(t), m_cdText.Tracks[size_t(st.Number)]);
            tracks.push_back(st);
        }
        cd_delete(cd);
    }
    for (const TSheetTrack& t : tracks)
        if (t.Index1 < 0)
            return Fail(QStringLiteral("%1: track %2 has no INDEX 01").arg(path).arg(t.Number));
    for (size_t f = 0; f < names.size(); ++f)
        if (names[f].isEmpty() ? !OpenFile(QString(), QString()) // a FILE line without tracks
                               : !OpenFile(names[f], QString::fromLatin1(scan.FileTypes[f])))
            return false;
    return Layout(tracks);
}

bool TCueImage::OpenFile(const QString& name, const QString& type) {
    if (name.isEmpty()) { // keeps the indexes of the FILE lines
        m_files.push_back(nullptr);
        m_fileNames.push_back(QString());
        return true;
    }
    const QDir folder(QFileInfo(m_path).absolutePath());
    QString full = folder.filePath(name);
    // A sheet written on another system may name its file with a folder there
    // ("C:\Music\x.wav"); the file is looked for beside the sheet then.
    QString bare = name;
    bare.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString beside = folder.filePath(QFileInfo(bare).fileName());
    if (!QFileInfo::exists(full) && QFileInfo::exists(beside))
        full = beside;
    m_fileNames.push_back(full);
    if (!QFileInfo(full).isFile()) {
        QFile probe(full);
        const QString reason =
            probe.open(QIODevice::ReadOnly) ? QStringLiteral("not a file") : probe.errorString();
        return Fail(QStringLiteral("The file %1 that %2 names cannot be opened: %3")
                        .arg(full, m_path, reason));
    }
    if (type == QLatin1String("BINARY") || type == QLatin1String("MOTOROLA")) {
        auto raw = std::make_unique<TRawFileSource>();
        if (!raw->Open(full, 0, -1, type == QLatin1String("MOTOROLA")))
            return Fail(QStringLiteral("The file that %1 names cannot be opened: %2")
                            .arg(m_path, raw->ErrorText()));
        m_files.push_back(std::move(raw));
        return true;
    }
    // WAVE, AIFF, MP3 or whatever the sheet says: a plain CD-quality WAV is read as it lies,
    // anything else is decoded.
    int64_t offset = 0, size = 0;
    QString wavFormat;
    if (isPcmWav(full, offset, size, wavFormat)) {
        auto raw = std::make_unique<TRawFileSource>();
        if (!raw->Open(full, offset, size))
            return Fail(QStringLiteral("The file that %1 names cannot be opened: %2")
                            .arg(m_path, raw->ErrorText()));
        m_files.push_back(std::move(raw));
        return true;
    }
    if (!wavFormat.isEmpty())
        return Fail(QStringLiteral("%1 holds %2 audio, not CD audio: a disc image needs 16-bit "
                                   "44100 Hz stereo; convert the file instead")
                        .arg(full, wavFormat));
    auto decoded = std::make_unique<TDecodedFileSource>();
    if (!decoded->Open(full))
        return Fail(decoded->ErrorText());
    m_files.push_back(std::move(decoded));
    return true;
}

void TCueImage::Append(int64_t sectors, int file, int64_t fileByte, int sectorBytes) {
    if (sectors <= 0)
        return;
    m_segments.push_back({m_leadOut, sectors, file, fileByte, sectorBytes});
    m_leadOut += sectors;
}

// Places the files and gaps one after the other. The audio of a file from one track's first
// index (00, else 01) to the next track's belongs to the first track; the file's rest to its
// last track. A track's INDEX 01 lies after its PREGAP silence and its INDEX 00 audio.
bool TCueImage::Layout(const std::vector<TSheetTrack>& tracks) {
    int file = -1;
    int64_t pos = 0;     // sectors of the current file placed so far
    int64_t byte = 0;    // the byte of the file where `pos` begins
    int sectorBytes = 0; // bytes per sector of the track that owns the file from `pos`
    int64_t prevIndex1 = -1;
    int64_t postgap = 0;
    auto fileSize = [&](int f) { return m_files[size_t(f)]->Size(); };
    auto sectorsLeft = [&]() { // the rest of the file, a last partial sector counted whole
        return (fileSize(file) - byte + sectorBytes - 1) / sectorBytes;
    };
    for (size_t k = 0; k < tracks.size(); ++k) {
        const TSheetTrack& t = tracks[k];
        const int64_t first = t.Index0 >= 0 ? t.Index0 : t.Index1;
        if (t.Index0 > t.Index1)
            return Fail(QStringLiteral("%1: track %2 has its INDEX 00 after its INDEX 01")
                            .arg(m_path)
                            .arg(t.Number));
        if (t.File != file) {
            if (file >= 0)
                Append(sectorsLeft(), file, byte, sectorBytes);
            file = t.File;
            pos = byte = 0;
            sectorBytes = t.SectorBytes;
        } else if (first <= prevIndex1) {
            return Fail(QStringLiteral("%1: track %2 starts at %3 in %4, not after track %5 "
                                       "(%6): track starts must increase")
                            .arg(m_path)
                            .arg(t.Number)
                            .arg(msf(first), m_fileNames[size_t(file)])
                            .arg(tracks[k - 1].Number)
                            .arg(msf(prevIndex1)));
        }
        const int64_t firstByte = byte + (first - pos) * sectorBytes;
        const int64_t index1Byte = firstByte + (t.Index1 - first) * t.SectorBytes;
        if (index1Byte >= fileSize(file)) {
            const int64_t cut = (fileSize(file) + sectorBytes - 1) / sectorBytes;
            return Fail(QStringLiteral("Track %1 is cut: %2 ends at %3, before the track starts "
                                       "at %4 as %5 says")
                            .arg(t.Number)
                            .arg(m_fileNames[size_t(file)], msf(cut), msf(t.Index1), m_path));
        }
        Append(first - pos, file, byte, sectorBytes);
        Append(postgap);
        postgap = 0;
        // Track 1's first two seconds of PREGAP are the lead-in every disc has.
        Append(k == 0 ? std::max<int64_t>(0, t.Pregap - kStandardPregap) : t.Pregap);
        const int64_t gap = (k == 0 ? std::max<int64_t>(0, t.Pregap - kStandardPregap) : t.Pregap) +
                            (t.Index1 - first);
        m_tracks.push_back({t.Number, m_leadOut + (t.Index1 - first), t.Control, gap});
        pos = first;
        byte = firstByte;
        sectorBytes = t.SectorBytes;
        prevIndex1 = t.Index1;
        postgap = t.Postgap;
    }
    Append(sectorsLeft(), file, byte, sectorBytes);
    Append(postgap);
    return true;
}

bool TCueImage::ReadSectors(int64_t sector, int64_t count, uint8_t* out) {
    if (sector < 0 || count < 0 || sector + count > m_leadOut)
        return Fail(QStringLiteral("Sectors %1 to %2 lie outside the disc image")
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
            if (seg.SectorBytes != kSectorBytes)
                return Fail(QStringLiteral("Sector %1 belongs to a data track").arg(sector));
            TImageSource& src = *m_files[size_t(seg.File)];
            const int64_t from = seg.FileByte + inSeg * kSectorBytes;
            // The file's last sector may be partial; its missing samples are silence.
            const int64_t have = std::clamp<int64_t>(src.Size() - from, 0, n * kSectorBytes);
            if (!src.Read(from, have, out))
                return Fail(src.ErrorText());
            std::memset(out + have, 0, size_t(n * kSectorBytes - have));
        }
        out += n * kSectorBytes;
        sector += n;
        count -= n;
    }
    return true;
}
