#include "DiscKey.h"

QString DiscKeyFromToc(const TTOC& toc) {
    const int count = toc.LastTrack - toc.FirstTrack + 1;
    if (count <= 0 || count > 99)
        return QString();
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i) {
        const TTOCTrack& e = toc.Tracks[i];
        sum += (uint32_t(e.Addr[1]) << 16) + (uint32_t(e.Addr[2]) << 8) + e.Addr[3];
    }
    if (count < 3)
        sum += uint32_t(TocEntryFrames(toc.Tracks[count]) - TocEntryFrames(toc.Tracks[0]));
    return QString::number(int32_t(sum));
}

bool TocHasAudio(const TTOC& toc) {
    const int count = toc.LastTrack - toc.FirstTrack + 1;
    for (int i = 0; i < count && i < 99; ++i)
        if ((toc.Tracks[i].Adr & 0x04) == 0)
            return true;
    return false;
}

QString GetDiscKey(HCDROM handle) {
    if (handle == 0 || ModifyCDParms(handle, CdParmTocMsf, 1) == 0)
        return QString();
    TTOC toc{};
    if (ReadTOC(handle, &toc) != 1 || !TocHasAudio(toc))
        return QString();
    return DiscKeyFromToc(toc);
}
