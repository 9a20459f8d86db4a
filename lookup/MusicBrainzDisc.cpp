#include "MusicBrainzDisc.h"

#include <discid/discid.h>

namespace {

// The frames between the end of an enhanced CD's audio session and the start of its data
// session (lead-out, lead-in and pre-gap of the second session).
constexpr int SessionGapFrames = 11400;

} // namespace

TMusicBrainzDisc TMusicBrainzDisc::FromToc(const TTOC& toc) {
    const int count = int(toc.LastTrack) - int(toc.FirstTrack) + 1;
    if (toc.FirstTrack < 1 || count < 1 || count > 99)
        return TMusicBrainzDisc();
    int audio = count;
    while (audio > 0 && (toc.Tracks[audio - 1].Adr & 0x04) != 0)
        --audio;
    if (audio == 0)
        return TMusicBrainzDisc();
    std::vector<int> starts;
    for (int i = 0; i < audio; ++i)
        starts.push_back(TocEntryFrames(toc.Tracks[i]));
    const int leadOut = audio < count ? TocEntryFrames(toc.Tracks[audio]) - SessionGapFrames
                                      : TocEntryFrames(toc.Tracks[count]);
    return FromFrames(toc.FirstTrack, starts, leadOut);
}

TMusicBrainzDisc TMusicBrainzDisc::FromFrames(int firstTrack, const std::vector<int>& startFrames,
                                              int leadOutFrame) {
    TMusicBrainzDisc disc;
    const int last = firstTrack + int(startFrames.size()) - 1;
    if (startFrames.empty() || firstTrack < 1 || last > 99)
        return disc;
    int offsets[100] = {};
    offsets[0] = leadOutFrame;
    for (size_t i = 0; i < startFrames.size(); ++i)
        offsets[firstTrack + int(i)] = startFrames[i];
    DiscId* handle = discid_new();
    if (!handle)
        return disc;
    if (discid_put(handle, firstTrack, last, offsets)) {
        disc.FirstTrack = firstTrack;
        disc.LastTrack = last;
        disc.LeadOutFrame = leadOutFrame;
        disc.StartFrames = startFrames;
        disc.Id = QString::fromLatin1(discid_get_id(handle));
        disc.TocText = QString::fromLatin1(discid_get_toc_string(handle)).replace(u' ', u'+');
    }
    discid_free(handle);
    return disc;
}

QUrl TMusicBrainzDisc::SubmitUrl(const QString& server) const {
    QUrl url(server);
    QString base = url.path();
    while (base.endsWith(u'/'))
        base.chop(1);
    url.setPath(base + QStringLiteral("/cdtoc/attach"));
    url.setQuery(QStringLiteral("id=%1&tracks=%2&toc=%3")
                     .arg(Id)
                     .arg(LastTrack - FirstTrack + 1)
                     .arg(TocText));
    return url;
}
