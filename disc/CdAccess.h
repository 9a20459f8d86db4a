// The CD access layer: a thin C-style interface over libcdio with byte-packed, little-endian
// records (drive list, handle request, table of contents, read buffer). Drives are the disc
// images registered with SetDiscImages, in that order, followed by the real drives.
//
// Threads: every operation may be called from any thread. The drive table and the open handles
// are guarded by one mutex; each handle has its own lock held for the length of an operation,
// so a worker reading sectors and the GUI thread reading the table of contents on the same
// handle take turns. GetAspiLibError is per thread.
#pragma once

#include "CdText.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <vector>

struct TTableOfContents;

#pragma pack(push, 1)

// One drive of the drive list.
struct TCDRec {
    uint8_t Ha;  // host adapter: 0 for a disc image, 1 for a real drive
    uint8_t Tgt; // target: position among the images or among the real drives
    uint8_t Lun; // always 0
    uint8_t Pad;
    char Id[65];             // NUL-terminated; the device path, cut to 64 bytes
    char Vendor[9];          // 8 characters, space-padded as drives report it, NUL
    char ProductId[17];      // 16 characters at most, NUL
    char Revision[5];        // NUL-terminated
    char VendorSpecific[21]; // NUL-terminated
};

// Drive list: the caller sets MaxCd (at most 8), GetCDList fills NumCd and the entries.
struct TCDList {
    uint8_t MaxCd;
    uint8_t NumCd;
    TCDRec Cd[8];
};

// Request for GetCDHandle: Size 12, Ver 1, the drive's address, then zeros.
struct TGetCDHand {
    uint8_t Size;
    uint8_t Ver;
    uint8_t Ha;
    uint8_t Tgt;
    uint8_t Lun;
    uint8_t ReadType;
    uint8_t JitterCorr;
    uint8_t NumJitter;
    uint8_t NumOverlap;
    uint8_t Reserved[3];
};

// One entry of the table of contents. Addr holds minutes, seconds, frames in bytes 1-3 when
// the handle is set to minute/second/frame addresses (ModifyCDParms 36, 1), otherwise the
// logical block address (with the 150-sector lead-in) as a little-endian uint32.
struct TTOCTrack {
    uint8_t Rsvd;
    uint8_t Adr;         // ADR in the high nibble, control bits in the low (0x04 = data track)
    uint8_t TrackNumber; // 0xAA for the lead-out
    uint8_t Rsvd2;
    uint8_t Addr[4];
};

// Table of contents: the tracks from FirstTrack to LastTrack in entries 0.., then the lead-out.
struct TTOC {
    uint16_t TocLen; // bytes after this field: 2 + 8 per entry
    uint8_t FirstTrack;
    uint8_t LastTrack;
    TTOCTrack Tracks[100];
};

// Header of a read buffer; NumFrames × 2352 bytes of audio follow it in the same allocation.
struct TTrackBuf {
    uint32_t StartFrame; // first sector; sector 0 is the first sector of the first track
    uint32_t NumFrames;  // sectors to read
    uint32_t MaxLen;     // bytes of room after the header
    uint32_t Len;        // out: bytes of audio returned
    uint32_t Status;     // out: 0 on success, else the error code
    int32_t StartOffset; // out: the audio starts at byte 24 + StartOffset

    uint8_t* data() { return reinterpret_cast<uint8_t*>(this) + sizeof(TTrackBuf); }
};

#pragma pack(pop)

static_assert(sizeof(TCDRec) == 121);
static_assert(sizeof(TCDList) == 970);
static_assert(offsetof(TCDRec, Vendor) == 69 && offsetof(TCDRec, ProductId) == 78);
static_assert(sizeof(TGetCDHand) == 12);
static_assert(sizeof(TTOCTrack) == 8);
static_assert(sizeof(TTOC) == 804);
static_assert(sizeof(TTrackBuf) == 24);

// An open drive; 0 is no handle.
using HCDROM = int;

constexpr int CdSectorBytes = 2352;      // one sector of 16-bit stereo 44100 Hz PCM
constexpr int CdBytesPerSecond = 176400; // audio at 1x: 75 sectors a second
constexpr int CdFramesPerSecond = 75;
constexpr int CdLeadInSectors = 150; // the 2-second lead-in before sector 0
constexpr uint8_t CdLeadOutTrack = 0xAA;
constexpr int CdParmTocMsf = 36; // ModifyCDParms selector: TOC addresses as m:s:f (1) or LBA (0)

// Error codes of GetAspiLibError.
enum TCdError {
    CdErrNone = 0,
    CdErrNoDrive = 1,     // no drive at that address
    CdErrOpenFailed = 2,  // the drive or image cannot be opened
    CdErrBadHandle = 3,   // not an open handle
    CdErrBadArgument = 4, // a record with wrong sizes or counts
    CdErrNoDisc = 5,      // no disc, or no table of contents
    CdErrReadFailed = 6,  // a sector read failed
    CdErrOutOfRange = 7,  // sectors outside the tracks
    CdErrUnknownParm = 8, // ModifyCDParms selector not known
};

// The disc images that come first in the drive list (`--disc-image`), in order: CUE sheets,
// cdrdao TOC files (.toc) and Nero images (.nrg), all read by our own readers. Each is checked
// now; one that cannot serve as a drive (missing, not a disc image, a file it names missing or
// cut short, ...) is left out of the list, and the text saying why comes back (for the first
// such image; empty when all are usable). Call before GetCDList; handles already open stay
// valid.
QString SetDiscImages(const QStringList& paths);
// The disc images SetDiscImages kept, in order.
QStringList DiscImages();

// Fills NumCd and up to MaxCd (at most 8) entries: the images, then the real drives.
void GetCDList(TCDList* list);
// Opens the drive at the request's address (as the last GetCDList reported it). 0 on failure.
HCDROM GetCDHandle(TGetCDHand* request);
// Nonzero when the handle was open and is now closed.
int CloseCDHandle(HCDROM handle);
// Selector 36 chooses the table's address form (1 minute/second/frame, 0 LBA). Nonzero when
// accepted.
int ModifyCDParms(HCDROM handle, int selector, int value);
// 1 when the table is filled.
int ReadTOC(HCDROM handle, TTOC* toc);
// The table as a value, with the data tracks and, for a drive, where its last session starts
// (libcdio's multisession call; a drive that cannot tell and ends in data tracks is taken to
// hold them in a second session, as an enhanced CD does). Images give no session yet. 1 when
// the table is filled.
int ReadTableOfContents(HCDROM handle, TTableOfContents* toc);
// Reads NumFrames sectors from StartFrame (counted from the first track's first sector) into
// the bytes after the header; 1 on success with Len and StartOffset set.
int ReadCDAudioLBA(HCDROM handle, TTrackBuf* buffer);
// Fills `text` with the disc's CD-Text (a drive's, or a CUE sheet's TITLE, PERFORMER and
// SONGWRITER lines). 1 when the disc has any; 0 otherwise (CdErrNoDisc).
int ReadCDText(HCDROM handle, TCdText* text);
// Asks for reading at `speed` times 176,400 bytes a second, 0 for the fastest: a drive through
// libcdio (many drives ignore it; 1 means only that the request was taken), a disc image by
// reading no faster than that, waiting on the reading thread after each read. 1 when taken.
int SetReadSpeed(HCDROM handle, int speed);
// The gap before each track's INDEX 01 in sectors (PREGAP silence and INDEX 00 audio), track 1
// first, for a source that knows them: a disc image. 1 with `gaps` filled; 0 for drives, whose
// gaps are not detected.
int ReadTrackGaps(HCDROM handle, std::vector<int>* gaps);
// The error code of the last failed operation on this thread.
int GetAspiLibError();

// "Vendor" followed directly by "Product", at most 26 characters, trimmed.
QString CdDriveDescription(const TCDRec& drive);
// Minutes × 4500 + seconds × 75 + frames of a table entry in minute/second/frame form.
int TocEntryFrames(const TTOCTrack& entry);

// Opens (`open` nonzero) or closes the tray of the drive behind the handle and returns once it
// has moved: 1 when it moved, -1 for a disc image (it has no tray; nothing happens), 0 when it
// failed (GetAspiLibError CdErrBadHandle or CdErrOpenFailed; `reason`, when given, gets the
// system's words). The handle stays open. Blocks for as long as the tray takes.
int MoveCDTray(HCDROM handle, int open, QString* reason = nullptr);
