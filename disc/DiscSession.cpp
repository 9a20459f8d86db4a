#include "DiscSession.h"

#include "DiscKey.h"
#include "audio/Helpers.h"

#include <algorithm>
#include <cstring>

TDiscSession::~TDiscSession() {
    CloseDrive();
}

HCDROM TDiscSession::OpenDrive(int index) {
    CloseDrive();
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    if (list.NumCd == 0) {
        StatusText = StatusNoDevices;
        return 0;
    }
    if (index < 0 || index >= list.NumCd) {
        StatusText = StatusBadDriveIndex;
        return 0;
    }
    const TCDRec& drive = list.Cd[index];
    DriveDescription = CdDriveDescription(drive);
    StatusText = DriveDescription;
    TGetCDHand request{};
    request.Size = sizeof request;
    request.Ver = 1;
    request.Ha = drive.Ha;
    request.Tgt = drive.Tgt;
    request.Lun = drive.Lun;
    // No retry by closing other handles: one of them may belong to a running rip or player.
    const HCDROM handle = GetCDHandle(&request);
    if (handle == 0)
        StatusText = StatusNoDevices;
    Handle = handle;
    return handle;
}

bool TDiscSession::AudioCdPresent() {
    HCDROM h = Handle;
    TDiscSession first;
    if (h == 0)
        h = first.OpenDrive(0);
    if (h == 0 || ModifyCDParms(h, CdParmTocMsf, 1) == 0)
        return false;
    TTOC toc{};
    return ReadTOC(h, &toc) == 1 && TocHasAudio(toc);
}

QString TDiscSession::CurrentDiscKey() const {
    return Handle == 0 ? QString() : GetDiscKey(Handle);
}

namespace {

// "mm:ss" of a sector count.
QString minutesSeconds(int sectors) {
    return TwoDigit(sectors / 4500) + QLatin1Char(':') + TwoDigit(sectors / 75 % 60);
}

// True when `texts` hold nothing a user gave: empty disc fields, the default titles and no
// track artists.
bool nothingStored(const TDiscTexts& texts, int count) {
    const TDiscFields& f = texts.Fields;
    if (!f.Artist.isEmpty() || !f.Album.isEmpty() || !f.Year.isEmpty() || !f.Comment.isEmpty() ||
        f.Genre > 0 || !f.AlbumArtist.isEmpty() || f.DiscNumber > 0 || f.DiscTotal > 0)
        return false;
    for (int n = 1; n <= count && n <= 100; ++n) {
        const QString& title = texts.Titles[size_t(n)];
        if (!title.isEmpty() && title != QStringLiteral("Track") + TwoDigit(n))
            return false;
        if (!texts.Artists[size_t(n)].isEmpty())
            return false;
    }
    return true;
}

} // namespace

void TDiscSession::ReadDisc(const TDiscTexts& texts) {
    if (Handle == 0)
        return;
    Rows.clear();
    Fields = TDiscFields();
    HiddenSectors = 0;
    Key = GetDiscKey(Handle);
    // Block addresses: minutes in the minute/second/frame form stop at 255.
    ModifyCDParms(Handle, CdParmTocMsf, 0);
    TTOC toc{};
    const bool read = ReadTOC(Handle, &toc) == 1;
    ModifyCDParms(Handle, CdParmTocMsf, 1);
    if (!read) {
        StatusText = StatusNoToc;
        return;
    }
    const int count = toc.LastTrack - toc.FirstTrack + 1;
    auto lba = [&](int i) {
        uint32_t a = 0;
        std::memcpy(&a, toc.Tracks[i].Addr, 4);
        return int(std::min<uint32_t>(a, 0x7FFFFFFF));
    };
    TCdText cdText;
    const bool fromCdText = nothingStored(texts, count) && ReadCDText(Handle, &cdText) == 1;
    if ((toc.Tracks[0].Adr & 0x04) == 0)
        HiddenSectors = std::max(0, lba(0) - CdLeadInSectors);
    for (int i = 0; i < count; ++i) {
        const TTOCTrack& e = toc.Tracks[i];
        const int start = lba(i), next = lba(i + 1);
        // Whole seconds of each address, as the start times show them; a table whose next
        // address lies before this one (a damaged disc) gives no length rather than a negative.
        int minutes = next / 4500 - start / 4500;
        int seconds = next / 75 % 60 - start / 75 % 60;
        if (seconds < 0) {
            seconds += 60;
            minutes -= 1;
        }
        if (minutes < 0)
            minutes = seconds = 0;
        // Titles and artists belong to row positions, as they are saved back.
        const size_t position = size_t(i + 1);
        QString title = position < texts.Titles.size() ? texts.Titles[position] : QString();
        QString artist = position < texts.Artists.size() ? texts.Artists[position] : QString();
        if (fromCdText) {
            const TCdText::TEntry& t = cdText.Tracks[e.TrackNumber <= 99 ? e.TrackNumber : 0];
            title = t.Title;
            // A compilation names each track's performer; the disc's own performer is the
            // disc artist, not a track artist.
            artist = t.Performer != cdText.Disc.Performer ? t.Performer : QString();
        }
        TTrackRow row;
        row.Number = e.TrackNumber;
        row.Title = title.isEmpty() ? QStringLiteral("Track") + TwoDigit(i + 1) : title;
        row.Artist = artist;
        row.StartTime = minutesSeconds(start);
        row.Length = TwoDigit(minutes) + QLatin1Char(':') + TwoDigit(seconds);
        // A data track is listed, but ripping it as audio would only make a file of noise.
        row.IsAudio = (e.Adr & 0x04) == 0;
        row.Checked = row.IsAudio;
        Rows.push_back(row);
    }
    Fields = texts.Fields;
    if (fromCdText) {
        Fields.Artist = cdText.Disc.Performer;
        Fields.Album = cdText.Disc.Title;
    }
    StatusText = DriveDescription;
}

TDiscTexts TDiscSession::Texts() const {
    TDiscTexts texts;
    texts.Fields = Fields;
    texts.TrackNumber = int(std::min<size_t>(Rows.size(), 100));
    for (size_t n = 0; n < Rows.size() && n < 100; ++n) {
        texts.Titles[n + 1] = Rows[n].Title;
        texts.Artists[n + 1] = Rows[n].Artist;
    }
    return texts;
}

bool TDiscSession::CloseDrive() {
    if (Handle == 0)
        return true;
    const bool closed = CloseCDHandle(Handle) != 0;
    Handle = 0;
    return closed;
}
