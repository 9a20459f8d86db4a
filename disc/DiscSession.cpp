#include "DiscSession.h"

#include "DiscKey.h"
#include "audio/Helpers.h"

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

void TDiscSession::ReadDisc(const TDiscTexts& texts) {
    if (Handle == 0)
        return;
    Rows.clear();
    Fields = TDiscFields();
    Key = GetDiscKey(Handle);
    ModifyCDParms(Handle, CdParmTocMsf, 1);
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
        const QString& stored =
            size_t(i + 1) < texts.Titles.size() ? texts.Titles[size_t(i + 1)] : QString();
        TTrackRow row;
        row.Number = toc.FirstTrack + i;
        row.Title = stored.isEmpty() ? QStringLiteral("Track") + TwoDigit(i + 1) : stored;
        row.StartTime = TwoDigit(e.Addr[1]) + QLatin1Char(':') + TwoDigit(e.Addr[2]);
        row.Length = TwoDigit(minutes) + QLatin1Char(':') + TwoDigit(seconds);
        // A data track is listed, but ripping it as audio would only make a file of noise.
        row.IsAudio = (e.Adr & 0x04) == 0;
        row.Checked = row.IsAudio;
        Rows.push_back(row);
    }
    Fields = texts.Fields;
    StatusText = DriveDescription;
}

TDiscTexts TDiscSession::Texts() const {
    TDiscTexts texts;
    texts.Fields = Fields;
    texts.TrackNumber = int(std::min<size_t>(Rows.size(), 100));
    for (size_t n = 0; n < Rows.size() && n < 100; ++n)
        texts.Titles[n + 1] = Rows[n].Title;
    return texts;
}

bool TDiscSession::CloseDrive() {
    if (Handle == 0)
        return true;
    const bool closed = CloseCDHandle(Handle) != 0;
    Handle = 0;
    return closed;
}
