#include "NrgImage.h"

#include "audio/ArgvPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <map>

namespace {

constexpr int64_t kLeadIn = 150;
constexpr qint64 kMaxChunkBytes = 1 << 20; // 99 tracks take a few kilobytes

uint64_t bigEndian(const QByteArray& bytes, qsizetype at, int size) {
    uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | uchar(bytes[at + i]);
    return v;
}

// Bytes a sector of a Nero track mode takes in the file, and whether it is audio.
bool modeOf(int mode, int sectorSize, bool* audio) {
    *audio = mode == 0x07 || mode == 0x10;
    static const int sizes[] = {2048, 2324, 2332, 2336, 2352, 2448};
    if (std::find(std::begin(sizes), std::end(sizes), sectorSize) == std::end(sizes))
        return false;
    return !*audio || sectorSize == 2352 || sectorSize == 2448;
}

} // namespace

bool TNrgImage::HasNeroFooter(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 12 || !file.seek(file.size() - 12))
        return false;
    const QByteArray tail = file.read(12);
    return tail.startsWith("NER5") || tail.mid(4, 4) == "NERO";
}

bool TNrgImage::Open(const QString& path) {
    m_path = DisplayPath(path);
    m_folder = FolderOf(NativePath(path));
    if (const QString problem = RegularFileProblem(path); !problem.isEmpty())
        return Fail(problem);
    auto fail = [&](const QString& why) {
        return Fail(
            QCoreApplication::translate("TNrgImage", "%1 is not a Nero image that can be used: %2")
                .arg(m_path, why));
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(
            QCoreApplication::translate("TNrgImage", "The disc image %1 cannot be opened: %2")
                .arg(m_path, file.errorString()));
    const int64_t size = file.size();
    QByteArray tail;
    if (size >= 12 && file.seek(size - 12))
        tail = file.read(12);
    int64_t chunksAt = 0, footerAt = 0;
    if (tail.size() == 12 && tail.startsWith("NER5")) {
        chunksAt = int64_t(bigEndian(tail, 4, 8) & 0x7FFFFFFFFFFFFFFFull);
        footerAt = size - 12;
    } else if (tail.size() == 12 && tail.mid(4, 4) == "NERO") {
        chunksAt = int64_t(bigEndian(tail, 8, 4));
        footerAt = size - 8;
    } else {
        return Fail(QCoreApplication::translate(
                        "TNrgImage", "%1 is not a Nero image (it has no NER5 or NERO footer)")
                        .arg(m_path));
    }
    if (chunksAt >= footerAt || footerAt - chunksAt > kMaxChunkBytes)
        return fail(QCoreApplication::translate(
                        "TNrgImage",
                        "its footer places the chunks at byte %1, outside the %2 bytes "
                        "before it")
                        .arg(chunksAt)
                        .arg(footerAt));
    QByteArray chunks;
    if (file.seek(chunksAt))
        chunks = file.read(footerAt - chunksAt);
    if (chunks.size() != footerAt - chunksAt)
        return Fail(QCoreApplication::translate("TNrgImage", "The disc image %1 cannot be read: %2")
                        .arg(m_path, file.errorString()));

    // Every chunk lies wholly before the footer; the list ends with END!.
    std::map<QByteArray, QByteArray> found; // the first chunk of each kind
    bool ended = false;
    for (qsizetype at = 0; at < chunks.size() && !ended;) {
        if (chunks.size() - at < 8)
            return fail(QCoreApplication::translate("TNrgImage", "a chunk at byte %1 is cut short")
                            .arg(chunksAt + at));
        const QByteArray id = chunks.mid(at, 4);
        const uint64_t length = bigEndian(chunks, at + 4, 4);
        if (length > uint64_t(chunks.size() - at - 8))
            return fail(QCoreApplication::translate(
                            "TNrgImage", "its chunk \"%1\" at byte %2 claims %3 bytes, more than "
                                         "the file holds")
                            .arg(QString::fromLatin1(id).toHtmlEscaped())
                            .arg(chunksAt + at)
                            .arg(length));
        ended = id == "END!";
        found.emplace(id, chunks.mid(at + 8, qsizetype(length)));
        at += 8 + qsizetype(length);
    }
    if (!ended)
        return fail(QCoreApplication::translate("TNrgImage", "its chunks do not end with END!"));

    // Control bits of each track's index 1 from the cue chunk: 8-byte entries of control and
    // address form, track (BCD), index (BCD), a zero, and the sector.
    std::map<int, uint8_t> control;
    for (const char* id : {"CUEX", "CUES"}) {
        const auto it = found.find(id);
        if (it == found.end())
            continue;
        const QByteArray& cue = it->second;
        if (cue.size() % 8 != 0)
            return fail(QCoreApplication::translate(
                            "TNrgImage", "its %1 chunk is %2 bytes long, not a number of 8-byte "
                                         "entries")
                            .arg(QLatin1String(id))
                            .arg(cue.size()));
        for (qsizetype e = 0; e < cue.size(); e += 8) {
            const int track = (uchar(cue[e + 1]) >> 4) * 10 + (uchar(cue[e + 1]) & 0x0F);
            if (uchar(cue[e + 2]) == 1)
                control[track] = uint8_t(uchar(cue[e]) >> 4) & 0x0F;
        }
        break;
    }

    const int file0 = OpenDataFile(NativePath(path), {}, TFileKind::Raw);
    if (file0 < 0)
        return false;
    auto controlOf = [&](int track, bool audio) {
        const auto it = control.find(track);
        return uint8_t((it == control.end() ? 0 : it->second & 0x0B) | (audio ? 0 : 0x04));
    };

    const auto daox = found.find("DAOX");
    const auto daoi = found.find("DAOI");
    if (daox != found.end() || daoi != found.end()) {
        const bool wide = daox != found.end();
        const QByteArray& dao = wide ? daox->second : daoi->second;
        const int entry = wide ? 42 : 30;
        const int first = dao.size() >= 22 ? uchar(dao[20]) : 0;
        const int last = dao.size() >= 22 ? uchar(dao[21]) : 0;
        if (first < 1 || last < first || last > 99)
            return fail(QCoreApplication::translate("TNrgImage",
                                                    "its %1 chunk gives no tracks from 1 to 99")
                            .arg(QLatin1String(wide ? "DAOX" : "DAOI")));
        if (dao.size() < 22 + (last - first + 1) * entry)
            return fail(QCoreApplication::translate(
                            "TNrgImage", "its %1 chunk is %2 bytes long, too short for %3 tracks")
                            .arg(QLatin1String(wide ? "DAOX" : "DAOI"))
                            .arg(dao.size())
                            .arg(last - first + 1));
        int64_t previousEnd = -1;
        for (int t = first; t <= last; ++t) {
            const qsizetype e = 22 + qsizetype(t - first) * entry;
            const int sectorSize = int(bigEndian(dao, e + 12, 2));
            const int mode = uchar(dao[e + 14]);
            const int width = wide ? 8 : 4;
            const int64_t index0 = int64_t(bigEndian(dao, e + 18, width) & 0x7FFFFFFFFFFFFFFFull);
            const int64_t index1 =
                int64_t(bigEndian(dao, e + 18 + width, width) & 0x7FFFFFFFFFFFFFFFull);
            const int64_t end =
                int64_t(bigEndian(dao, e + 18 + 2 * width, width) & 0x7FFFFFFFFFFFFFFFull);
            bool audio = true;
            if (!modeOf(mode, sectorSize, &audio))
                return fail(QCoreApplication::translate(
                                "TNrgImage", "track %1 has mode %2 with %3-byte sectors, which "
                                             "no CD has")
                                .arg(t)
                                .arg(mode)
                                .arg(sectorSize));
            if (!(index0 <= index1 && index1 < end && end <= chunksAt) ||
                (index1 - index0) % sectorSize != 0 || (end - index1) % sectorSize != 0 ||
                (previousEnd >= 0 && index0 != previousEnd))
                return fail(QCoreApplication::translate(
                                "TNrgImage", "track %1 lies at bytes %2, %3 and %4, which do not "
                                             "fit the file's %5 bytes of sectors")
                                .arg(t)
                                .arg(index0)
                                .arg(index1)
                                .arg(end)
                                .arg(chunksAt));
            int64_t from = index0;
            if (t == first) // the lead-in's 2 seconds are no part of the disc's sectors
                from += std::min(kLeadIn, (index1 - index0) / sectorSize) * sectorSize;
            const int64_t gapStart = Position();
            AppendFile(file0, from, (index1 - from) / sectorSize, sectorSize, audio);
            m_tracks.push_back({t, Position(), controlOf(t, audio), Position() - gapStart, 1});
            AppendFile(file0, index1, (end - index1) / sectorSize, sectorSize, audio);
            previousEnd = end;
        }
        return CheckLength();
    }

    const auto etn2 = found.find("ETN2");
    const auto etnf = found.find("ETNF");
    if (etn2 != found.end() || etnf != found.end()) {
        // Track at once: each track's place in the file, its mode, and its sector on the disc.
        const bool wide = etn2 != found.end();
        const QByteArray& etn = wide ? etn2->second : etnf->second;
        const int entry = wide ? 32 : 20;
        const int count = int(etn.size() / entry);
        if (count < 1 || count > 99 || etn.size() % entry != 0)
            return fail(QCoreApplication::translate(
                            "TNrgImage", "its %1 chunk is %2 bytes long, not 1 to 99 entries of %3")
                            .arg(QLatin1String(wide ? "ETN2" : "ETNF"))
                            .arg(etn.size())
                            .arg(entry));
        for (int t = 0; t < count; ++t) {
            const qsizetype e = qsizetype(t) * entry;
            const int width = wide ? 8 : 4;
            const int64_t offset = int64_t(bigEndian(etn, e, width) & 0x7FFFFFFFFFFFFFFFull);
            const int64_t length =
                int64_t(bigEndian(etn, e + width, width) & 0x7FFFFFFFFFFFFFFFull);
            const int mode = int(bigEndian(etn, e + 2 * width, 4));
            // The sector leaves out the 2-second pregap written before every track.
            const int64_t start = int64_t(bigEndian(etn, e + 2 * width + 4, 4)) + t * kLeadIn;
            const int sectorSize = mode == 7 ? 2352 : mode == 0 || mode == 2 ? 2048 : 2336;
            const bool audio = mode == 7;
            if (length <= 0 || length % sectorSize != 0 || offset + length > chunksAt ||
                start < Position() || start > MaxLeadOut)
                return fail(QCoreApplication::translate(
                                "TNrgImage",
                                "track %1 lies at byte %2 for %3 bytes and at sector "
                                "%4, which do not fit the file or the tracks before it")
                                .arg(t + 1)
                                .arg(offset)
                                .arg(length)
                                .arg(start));
            const int64_t gapStart = Position();
            AppendSilence(start - Position());
            m_tracks.push_back(
                {t + 1, Position(), controlOf(t + 1, audio), Position() - gapStart, 1});
            AppendFile(file0, offset, length / sectorSize, sectorSize, audio);
        }
        return CheckLength();
    }
    return fail(QCoreApplication::translate(
        "TNrgImage", "it has neither a disc-at-once nor a track-at-once chunk"));
}
