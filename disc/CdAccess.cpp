#include "CdAccess.h"

#include "CueImage.h"
#include "NrgImage.h"
#include "TableOfContents.h"
#include "TocImage.h"
#include "audio/ArgvPaths.h"

#include <QFileInfo>
#include <algorithm>
#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

thread_local int t_lastError = CdErrNone;

int failWith(int code) {
    t_lastError = code;
    return 0;
}

// libcdio writes its warnings to stderr unless a handler is installed; the layer reports
// failures through its own error codes instead.
void quietLog(cdio_log_level_t, const char[]) {}

void installLogHandler() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(quietLog); });
}

struct TDriveSource {
    QString Source;     // device path or image file
    driver_id_t Driver; // DRIVER_UNKNOWN for an image, which our own readers serve
    bool IsImage;
    TCDRec Rec;
};

struct TOpenDrive {
    std::mutex Lock;                   // held for each operation on this handle
    CdIo_t* Cdio = nullptr;            // a drive's; null for an image
    std::unique_ptr<TDiscImage> Image; // only for an image
    TDriveSource Drive;
    bool Msf = false;
    // An image's reading rate, as a drive of that speed would give it (under Lock): bytes a
    // second (0 = as fast as the files give them), and the bytes read since `Since`.
    int64_t BytesPerSecond = 0;
    std::chrono::steady_clock::time_point Since;
    int64_t BytesSince = 0;

    ~TOpenDrive() {
        if (Cdio)
            cdio_destroy(Cdio);
    }
};

std::mutex g_mutex; // guards the three below
QStringList g_images;
std::vector<TDriveSource> g_drives; // as the last GetCDList reported them
std::map<HCDROM, std::shared_ptr<TOpenDrive>> g_handles;

// Copies `text` into a fixed NUL-terminated field, cutting at a character boundary.
void copyField(char* field, size_t size, const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > qsizetype(size - 1)) {
        qsizetype cut = qsizetype(size - 1);
        while (cut > 0 && (uchar(bytes[cut]) & 0xC0) == 0x80)
            --cut; // do not split a UTF-8 sequence
        bytes.truncate(cut);
    }
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), size_t(bytes.size()));
}

// Vendors are 8 characters padded with spaces, as a drive's inquiry data gives them, so that
// "vendor directly followed by product" reads as two words.
void setVendor(TCDRec& rec, const QString& vendor) {
    copyField(rec.Vendor, sizeof rec.Vendor, vendor.trimmed().leftJustified(8, QLatin1Char(' ')));
}

// Every image is read by our own readers (libcdio's crash on or mislay some). The name's
// suffix decides, else the content: a Nero image ends in its footer, a TOC file begins with one
// of its own words, anything else is taken for a CUE sheet.
std::unique_ptr<TDiscImage> newImageReader(const QString& path) {
    const QString suffix = QFileInfo(DisplayPath(path)).suffix().toLower();
    const bool regular = TDiscImage::RegularFileProblem(path).isEmpty();
    if (suffix == QLatin1String("nrg") ||
        (regular && suffix != QLatin1String("cue") && suffix != QLatin1String("toc") &&
         TNrgImage::HasNeroFooter(path)))
        return std::make_unique<TNrgImage>();
    bool toc = suffix == QLatin1String("toc");
    if (!toc && suffix != QLatin1String("cue") && regular) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.read(4096).split('\n')) {
                const QByteArray word = line.simplified().split(' ').value(0);
                if (word.isEmpty() || word.startsWith("//"))
                    continue;
                toc = QByteArrayList{"CD_DA", "CD_ROM", "CD_ROM_XA", "CD_I", "CD_TEXT", "TRACK"}
                          .contains(word);
                break;
            }
        }
    }
    if (toc)
        return std::make_unique<TTocImage>();
    return std::make_unique<TCueImage>();
}

// Why the image at `path` cannot serve as a drive; empty when it can.
QString imageProblem(const QString& path) {
    if (const QString problem = TDiscImage::RegularFileProblem(path); !problem.isEmpty())
        return problem;
    const std::unique_ptr<TDiscImage> image = newImageReader(path);
    return image->Open(path) ? QString() : image->ErrorText();
}

std::vector<TDriveSource> listDrives(const QStringList& images) {
    std::vector<TDriveSource> drives;
    for (int i = 0; i < images.size() && drives.size() < 8; ++i) {
        TDriveSource d{images[i], DRIVER_UNKNOWN, true, {}};
        d.Rec.Ha = 0;
        d.Rec.Tgt = uint8_t(i);
        copyField(d.Rec.Id, sizeof d.Rec.Id, images[i]);
        setVendor(d.Rec, QStringLiteral("Image"));
        copyField(d.Rec.ProductId, sizeof d.Rec.ProductId, QFileInfo(images[i]).fileName());
        drives.push_back(d);
    }
    char** devices = cdio_get_devices(DRIVER_DEVICE); // NULL when there is no drive
    if (devices) {
        int index = 0;
        for (char** dev = devices; *dev && drives.size() < 8; ++dev, ++index) {
            const QString path = QString::fromLocal8Bit(*dev);
            TDriveSource d{path, DRIVER_DEVICE, false, {}};
            d.Rec.Ha = 1;
            d.Rec.Tgt = uint8_t(index);
            copyField(d.Rec.Id, sizeof d.Rec.Id, path);
            cdio_hwinfo_t hw{};
            CdIo_t* p = cdio_open(*dev, DRIVER_DEVICE);
            if (p && cdio_get_hwinfo(p, &hw)) {
                setVendor(d.Rec, QString::fromLatin1(hw.psz_vendor));
                copyField(d.Rec.ProductId, sizeof d.Rec.ProductId,
                          QString::fromLatin1(hw.psz_model).trimmed());
                copyField(d.Rec.Revision, sizeof d.Rec.Revision,
                          QString::fromLatin1(hw.psz_revision).trimmed());
            } else {
                setVendor(d.Rec, QStringLiteral("Drive"));
                copyField(d.Rec.ProductId, sizeof d.Rec.ProductId, QFileInfo(path).fileName());
            }
            if (p)
                cdio_destroy(p);
            drives.push_back(d);
        }
        cdio_free_device_list(devices);
    }
    return drives;
}

std::shared_ptr<TOpenDrive> findHandle(HCDROM handle) {
    std::lock_guard guard(g_mutex);
    const auto it = g_handles.find(handle);
    return it == g_handles.end() ? nullptr : it->second;
}

// Minutes, seconds and frames of `lsn` (with the lead-in) or its LBA, as the handle is set.
void putAddress(TTOCTrack& e, lsn_t lsn, bool msf) {
    const uint32_t lba = uint32_t(lsn + CdLeadInSectors);
    if (msf) {
        e.Addr[0] = 0;
        e.Addr[1] = uint8_t(std::min<uint32_t>(lba / 4500, 255));
        e.Addr[2] = uint8_t(lba / 75 % 60);
        e.Addr[3] = uint8_t(lba % 75);
    } else {
        for (int i = 0; i < 4; ++i)
            e.Addr[i] = uint8_t(lba >> (8 * i));
    }
}

} // namespace

QString SetDiscImages(const QStringList& paths) {
    installLogHandler();
    QStringList usable;
    QString problem;
    for (const QString& path : paths) {
        const QString why = imageProblem(path);
        if (why.isEmpty())
            usable << path;
        else if (problem.isEmpty())
            problem = why;
    }
    std::lock_guard guard(g_mutex);
    g_images = usable;
    g_drives.clear();
    return problem;
}

QStringList DiscImages() {
    std::lock_guard guard(g_mutex);
    return g_images;
}

void GetCDList(TCDList* list) {
    installLogHandler();
    if (!list) {
        failWith(CdErrBadArgument);
        return;
    }
    QStringList images;
    {
        std::lock_guard guard(g_mutex);
        images = g_images;
    }
    std::vector<TDriveSource> drives = listDrives(images);
    const size_t room = std::min<size_t>(list->MaxCd, 8);
    list->NumCd = uint8_t(std::min(room, drives.size()));
    for (size_t i = 0; i < list->NumCd; ++i)
        list->Cd[i] = drives[i].Rec;
    std::lock_guard guard(g_mutex);
    g_drives = std::move(drives);
}

HCDROM GetCDHandle(TGetCDHand* request) {
    installLogHandler();
    if (!request || request->Size != sizeof(TGetCDHand) || request->Ver != 1)
        return failWith(CdErrBadArgument);
    TDriveSource drive;
    {
        std::unique_lock guard(g_mutex);
        if (g_drives.empty()) {
            const QStringList images = g_images;
            guard.unlock();
            std::vector<TDriveSource> drives = listDrives(images);
            guard.lock();
            g_drives = std::move(drives);
        }
        const auto it = std::find_if(g_drives.begin(), g_drives.end(), [&](const auto& d) {
            return d.Rec.Ha == request->Ha && d.Rec.Tgt == request->Tgt &&
                   d.Rec.Lun == request->Lun;
        });
        if (it == g_drives.end())
            return failWith(CdErrNoDrive);
        drive = *it;
    }
    auto open = std::make_shared<TOpenDrive>();
    open->Drive = drive;
    if (drive.IsImage) {
        // The image is read afresh: its files may have changed since it was registered.
        open->Image = newImageReader(drive.Source);
        if (!open->Image->Open(drive.Source))
            return failWith(CdErrOpenFailed);
    } else {
        open->Cdio = cdio_open(QFile::encodeName(drive.Source).constData(), drive.Driver);
        if (!open->Cdio)
            return failWith(CdErrOpenFailed);
    }
    std::lock_guard guard(g_mutex);
    HCDROM handle = 1;
    while (g_handles.count(handle)) // the lowest free number keeps handles small
        ++handle;
    g_handles[handle] = open;
    t_lastError = CdErrNone;
    return handle;
}

int CloseCDHandle(HCDROM handle) {
    std::shared_ptr<TOpenDrive> open;
    {
        std::lock_guard guard(g_mutex);
        const auto it = g_handles.find(handle);
        if (it == g_handles.end())
            return failWith(CdErrBadHandle);
        open = it->second;
        g_handles.erase(it);
    }
    // Wait for an operation in progress on another thread; the last owner frees the drive.
    std::lock_guard wait(open->Lock);
    return 1;
}

int ModifyCDParms(HCDROM handle, int selector, int value) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (selector != CdParmTocMsf || (value != 0 && value != 1))
        return failWith(CdErrUnknownParm);
    std::lock_guard lock(open->Lock);
    open->Msf = value == 1;
    return 1;
}

namespace {

// Fills `toc` from the drive, addresses in minute/second/frame form with `msf`, else as block
// addresses. The caller holds the drive's lock.
int fillToc(TOpenDrive* open, TTOC* toc, bool msf) {
    if (open->Image) {
        const auto& tracks = open->Image->Tracks();
        std::memset(toc, 0, sizeof *toc);
        toc->FirstTrack = uint8_t(tracks.front().Number);
        toc->LastTrack = uint8_t(tracks.back().Number);
        for (size_t i = 0; i <= tracks.size(); ++i) {
            const bool leadOut = i == tracks.size();
            TTOCTrack& e = toc->Tracks[i];
            e.TrackNumber = leadOut ? CdLeadOutTrack : uint8_t(tracks[i].Number);
            e.Adr = uint8_t(0x10 | (leadOut ? 0 : tracks[i].Control));
            putAddress(e, lsn_t(leadOut ? open->Image->LeadOut() : tracks[i].Start), msf);
        }
        toc->TocLen = uint16_t(2 + 8 * (tracks.size() + 1));
        t_lastError = CdErrNone;
        return 1;
    }
    CdIo_t* p = open->Cdio;
    if (cdio_get_media_changed(p) == 1) {
        // A new disc: the device driver keeps the old table until it is opened again.
        CdIo_t* fresh =
            cdio_open(QFile::encodeName(open->Drive.Source).constData(), open->Drive.Driver);
        if (!fresh)
            return failWith(CdErrOpenFailed);
        cdio_destroy(p);
        p = open->Cdio = fresh;
    }
    const track_t first = cdio_get_first_track_num(p);
    const track_t count = cdio_get_num_tracks(p);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || count > 99 ||
        first + count - 1 > 99)
        return failWith(CdErrNoDisc);
    std::memset(toc, 0, sizeof *toc);
    toc->FirstTrack = uint8_t(first);
    toc->LastTrack = uint8_t(first + count - 1);
    for (int i = 0; i <= count; ++i) {
        const bool leadOut = i == count;
        const track_t t = leadOut ? track_t(CDIO_CDROM_LEADOUT_TRACK) : track_t(first + i);
        const lsn_t lsn = cdio_get_track_lsn(p, t);
        if (lsn == CDIO_INVALID_LSN)
            return failWith(CdErrNoDisc);
        TTOCTrack& e = toc->Tracks[i];
        e.TrackNumber = leadOut ? CdLeadOutTrack : uint8_t(t);
        uint8_t control = 0;
        if (!leadOut) {
            if (cdio_get_track_format(p, t) != TRACK_FORMAT_AUDIO)
                control |= 0x04;
            if (cdio_get_track_copy_permit(p, t) == CDIO_TRACK_FLAG_TRUE)
                control |= 0x02;
            if (cdio_get_track_preemphasis(p, t) == CDIO_TRACK_FLAG_TRUE)
                control |= 0x01;
        }
        e.Adr = uint8_t(0x10 | control);
        putAddress(e, lsn, msf);
    }
    toc->TocLen = uint16_t(2 + 8 * (count + 1));
    t_lastError = CdErrNone;
    return 1;
}

} // namespace

int ReadTOC(HCDROM handle, TTOC* toc) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (!toc)
        return failWith(CdErrBadArgument);
    std::lock_guard lock(open->Lock);
    return fillToc(open.get(), toc, open->Msf);
}

int ReadTableOfContents(HCDROM handle, TTableOfContents* toc) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (!toc)
        return failWith(CdErrBadArgument);
    std::lock_guard lock(open->Lock);
    TTOC raw{};
    if (fillToc(open.get(), &raw, true) != 1)
        return 0;
    *toc = TTableOfContents::FromToc(raw);
    if (open->Image) {
        // A sheet's REM SESSION lines: the first track of a later session starts it.
        const auto& tracks = open->Image->Tracks();
        for (size_t i = 1; i < tracks.size() && i < toc->StartFrames.size(); ++i)
            if (tracks[i].Session > tracks[0].Session) {
                toc->LastSessionFrame = toc->StartFrames[i];
                break;
            }
        return 1;
    }
    const int last = toc->lastAudio();
    if (last < 0 || last + 1 == toc->trackCount())
        return 1; // no data track after the audio: one session as far as the rip is concerned
    lsn_t session = 0;
    if (cdio_get_last_session(open->Cdio, &session) == DRIVER_OP_SUCCESS) {
        // The drive reads the session table: 0 (or the first track) for a disc of one session.
        if (session + CdLeadInSectors > toc->StartFrames.front())
            toc->LastSessionFrame = int(session) + CdLeadInSectors;
    } else {
        // Audio followed by data: the enhanced CD layout puts the data in a second session.
        toc->LastSessionFrame = toc->StartFrames[size_t(last) + 1];
    }
    return 1;
}

namespace {

int readAudio(HCDROM handle, TTrackBuf* buffer);

// How long the reader must wait after reading `bytes` from an image with a speed set, so the
// rate is the drive's; 0 without one. A reader that paused (a rip waiting for its encoder)
// starts a new measure, so it gets no burst to make up for the pause. Under the drive's lock.
std::chrono::steady_clock::duration throttle(TOpenDrive& open, int64_t bytes) {
    using namespace std::chrono;
    if (open.BytesPerSecond <= 0)
        return {};
    const auto now = steady_clock::now();
    auto due = [&] {
        return open.Since + duration_cast<steady_clock::duration>(
                                duration<double>(double(open.BytesSince) / open.BytesPerSecond));
    };
    if (open.BytesSince == 0 || now - due() > milliseconds(250)) {
        open.Since = now;
        open.BytesSince = 0;
    }
    open.BytesSince += bytes;
    const auto wait = due() - now;
    return wait > steady_clock::duration::zero() ? wait : steady_clock::duration::zero();
}

} // namespace

int SetReadSpeed(HCDROM handle, int speed) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (speed < 0)
        return failWith(CdErrBadArgument);
    std::lock_guard lock(open->Lock);
    t_lastError = CdErrNone;
    if (open->Drive.IsImage) {
        open->BytesPerSecond = int64_t(speed) * CdBytesPerSecond;
        open->BytesSince = 0;
        return 1;
    }
    // Many drives take a value above their fastest as their fastest.
    return cdio_set_speed(open->Cdio, speed == 0 ? 0xFFFF : speed) == DRIVER_OP_SUCCESS
               ? 1
               : failWith(CdErrReadFailed);
}

int ReadCDAudioLBA(HCDROM handle, TTrackBuf* buffer) {
    const int read = readAudio(handle, buffer);
    if (read == 1) {
        // The wait happens outside the lock: the drive's other users are not held up by it.
        std::chrono::steady_clock::duration wait{};
        if (const auto open = findHandle(handle)) {
            std::lock_guard lock(open->Lock);
            wait = throttle(*open, int64_t(buffer->Len));
        }
        if (wait > std::chrono::steady_clock::duration::zero())
            std::this_thread::sleep_for(wait);
    }
    return read;
}

namespace {

int readAudio(HCDROM handle, TTrackBuf* buffer) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (!buffer)
        return failWith(CdErrBadArgument);
    buffer->Len = 0;
    buffer->StartOffset = 0;
    auto fail = [&](int code) {
        buffer->Status = uint32_t(code);
        return failWith(code);
    };
    const uint32_t n = buffer->NumFrames;
    if (n == 0 || n > buffer->MaxLen / CdSectorBytes)
        return fail(CdErrBadArgument);
    std::lock_guard lock(open->Lock);
    uint8_t* out = buffer->data();
    if (open->Image) {
        // Sector 0 is the first track's first sector: audio before it is not offered.
        const int64_t start = open->Image->Tracks().front().Start + buffer->StartFrame;
        if (start + n > open->Image->LeadOut())
            return fail(CdErrOutOfRange);
        if (!open->Image->ReadSectors(start, n, out))
            return fail(CdErrReadFailed);
        buffer->Len = n * CdSectorBytes;
        buffer->Status = 0;
        t_lastError = CdErrNone;
        return 1;
    }
    CdIo_t* p = open->Cdio;
    const track_t first = cdio_get_first_track_num(p);
    if (first == CDIO_INVALID_TRACK)
        return fail(CdErrNoDisc);
    const lsn_t base = cdio_get_track_lsn(p, first);
    const lsn_t leadOut = cdio_get_track_lsn(p, CDIO_CDROM_LEADOUT_TRACK);
    if (base == CDIO_INVALID_LSN || leadOut == CDIO_INVALID_LSN)
        return fail(CdErrNoDisc);
    // Sector 0 is the first track's first sector, so a disc whose first track starts later
    // than 00:02:00 still reads each track's own audio.
    const int64_t start = int64_t(base) + buffer->StartFrame;
    if (start + n > leadOut)
        return fail(CdErrOutOfRange); // a drive cannot read past the lead-out either
    if (cdio_read_audio_sectors(p, out, lsn_t(start), n) != DRIVER_OP_SUCCESS)
        return fail(CdErrReadFailed);
    buffer->Len = n * CdSectorBytes;
    buffer->Status = 0;
    t_lastError = CdErrNone;
    return 1;
}

} // namespace

int ReadTrackGaps(HCDROM handle, std::vector<int>* gaps) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (!gaps)
        return failWith(CdErrBadArgument);
    std::lock_guard lock(open->Lock);
    gaps->clear();
    if (!open->Image)
        return failWith(CdErrNoDisc);
    for (const TDiscImage::TTrack& t : open->Image->Tracks())
        gaps->push_back(int(std::min<int64_t>(t.Gap, INT32_MAX)));
    t_lastError = CdErrNone;
    return 1;
}

int ReadCDText(HCDROM handle, TCdText* text) {
    const auto open = findHandle(handle);
    if (!open)
        return failWith(CdErrBadHandle);
    if (!text)
        return failWith(CdErrBadArgument);
    std::lock_guard lock(open->Lock);
    *text = TCdText();
    if (open->Image) {
        *text = open->Image->CdText();
    } else if (const cdtext_t* cdtext = cdio_get_cdtext(open->Cdio)) {
        // libcdio gives the texts of the disc's first language block, converted to UTF-8.
        auto entry = [&](track_t track, TCdText::TEntry& to) {
            auto field = [&](cdtext_field_t f) {
                return QString::fromUtf8(cdtext_get_const(cdtext, f, track)).trimmed();
            };
            to.Title = field(CDTEXT_FIELD_TITLE);
            to.Performer = field(CDTEXT_FIELD_PERFORMER);
            to.Songwriter = field(CDTEXT_FIELD_SONGWRITER);
        };
        entry(0, text->Disc);
        const track_t first = cdio_get_first_track_num(open->Cdio);
        const track_t count = cdio_get_num_tracks(open->Cdio);
        if (first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK)
            for (int t = first; t < first + count && t <= 99; ++t)
                entry(track_t(t), text->Tracks[size_t(t)]);
    }
    if (text->IsEmpty())
        return failWith(CdErrNoDisc);
    t_lastError = CdErrNone;
    return 1;
}

int GetAspiLibError() {
    return t_lastError;
}

QString CdDriveDescription(const TCDRec& drive) {
    const QByteArray vendor(drive.Vendor, qsizetype(strnlen(drive.Vendor, sizeof drive.Vendor)));
    const QByteArray product(drive.ProductId,
                             qsizetype(strnlen(drive.ProductId, sizeof drive.ProductId)));
    return QString::fromUtf8(vendor + product).left(26).trimmed();
}

int TocEntryFrames(const TTOCTrack& entry) {
    return entry.Addr[1] * 4500 + entry.Addr[2] * 75 + entry.Addr[3];
}

int MoveCDTray(HCDROM handle, int open, QString* reason) {
    const auto drive = findHandle(handle);
    if (!drive)
        return failWith(CdErrBadHandle);
    std::lock_guard lock(drive->Lock); // no read of the handle runs while the tray moves
    if (drive->Drive.IsImage)
        return -1;
    const QByteArray path = QFile::encodeName(drive->Drive.Source);
    driver_id_t driver = drive->Drive.Driver;
    // Both calls open the device themselves; the handle's own CdIo_t stays as it is and
    // notices the new disc (or none) at its next table of contents.
    const driver_return_code_t rc = open ? cdio_eject_media_drive(path.constData())
                                         : cdio_close_tray(path.constData(), &driver);
    if (rc != DRIVER_OP_SUCCESS) {
        if (reason)
            *reason = QString::fromLocal8Bit(cdio_driver_errmsg(rc));
        return failWith(CdErrOpenFailed);
    }
    t_lastError = CdErrNone;
    return 1;
}
