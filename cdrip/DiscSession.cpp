#include "DiscSession.h"

#include "DiscKey.h"
#include "settings/Helpers.h"

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
    HCDROM handle = GetCDHandle(&request);
    if (handle == 0) {
        // A handle left open elsewhere may hold the drive: free the first one that closes.
        for (HCDROM h = 1; h <= 10; ++h) {
            if (CloseCDHandle(h) != 0) {
                handle = GetCDHandle(&request);
                break;
            }
        }
    }
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

void TDiscSession::ReadDisc() {
    if (Handle == 0)
        return;
    LoadDiscInfo(GetDiscKey(Handle));
    ModifyCDParms(Handle, CdParmTocMsf, 1);
    Rows.clear();
    TTOC toc{};
    if (ReadTOC(Handle, &toc) != 1) {
        StatusText = StatusNoToc;
        return;
    }
    const int count = toc.LastTrack - toc.FirstTrack + 1;
    for (int i = 0; i < count; ++i) {
        const TTOCTrack& e = toc.Tracks[i];
        const TTOCTrack& next = toc.Tracks[i + 1];
        int minutes = next.Addr[1] - e.Addr[1];
        int seconds = next.Addr[2] - e.Addr[2];
        if (seconds < 0) {
            seconds += 60;
            minutes -= 1;
        }
        // Titles belong to row positions, as they are saved back.
        QString& title = AppOptions.Titles[size_t(i + 1)];
        if (title.isEmpty())
            title = QStringLiteral("Track") + TwoDigit(i + 1);
        TTrackRow row;
        row.Number = toc.FirstTrack + i;
        row.Title = title;
        row.StartTime = TwoDigit(e.Addr[1]) + QLatin1Char(':') + TwoDigit(e.Addr[2]);
        row.Length = TwoDigit(minutes) + QLatin1Char(':') + TwoDigit(seconds);
        Rows.push_back(row);
    }
    Fields.Artist = AppOptions.CDArtist;
    Fields.Album = AppOptions.CDAlbum;
    Fields.Year = AppOptions.CDYear;
    Fields.Genre = AppOptions.CDGenre;
    Fields.Comment = AppOptions.CDComment;
    StatusText = DriveDescription;
}

void TDiscSession::SaveDiscTexts() {
    AppOptions.CDTrackNumber = int(Rows.size());
    for (size_t n = 0; n < Rows.size() && n < 100; ++n)
        AppOptions.Titles[n + 1] = Rows[n].Title;
    SaveDiscInfo(GetDiscKey(Handle), Fields);
}

bool TDiscSession::CloseDrive() {
    if (Handle == 0)
        return true;
    const bool closed = CloseCDHandle(Handle) != 0;
    Handle = 0;
    return closed;
}

QStringList TDiscSession::CheckedEntries() const {
    QStringList entries;
    for (size_t i = 0; i < Rows.size(); ++i)
        if (Rows[i].Checked)
            entries << TwoDigit(int(i + 1)) + Rows[i].Title;
    return entries;
}
