#include "TableOfContents.h"

#include <QStringList>

namespace {

int digitSum(int n) {
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

} // namespace

TTableOfContents TTableOfContents::FromToc(const TTOC& toc) {
    TTableOfContents t;
    const int count = int(toc.LastTrack) - int(toc.FirstTrack) + 1;
    if (count < 1 || count > 99)
        return t;
    t.FirstTrack = toc.FirstTrack;
    for (int i = 0; i < count; ++i) {
        t.StartFrames.push_back(TocEntryFrames(toc.Tracks[i]));
        t.DataTracks.push_back((toc.Tracks[i].Adr & 0x04) != 0);
    }
    t.LeadOutFrame = TocEntryFrames(toc.Tracks[count]);
    return t;
}

bool TTableOfContents::isValid() const {
    if (StartFrames.empty() || StartFrames.size() > 99 || StartFrames.front() < 0)
        return false;
    for (size_t i = 1; i < StartFrames.size(); ++i)
        if (StartFrames[i] <= StartFrames[i - 1])
            return false;
    return LeadOutFrame > StartFrames.back();
}

int TTableOfContents::firstAudio() const {
    for (int i = 0; i < trackCount(); ++i)
        if (!isData(i))
            return i;
    return -1;
}

int TTableOfContents::lastAudio() const {
    for (int i = trackCount() - 1; i >= 0; --i)
        if (!isData(i))
            return i;
    return -1;
}

bool TTableOfContents::inLaterSession(int index) const {
    return LastSessionFrame > 0 && StartFrames[size_t(index)] >= LastSessionFrame;
}

int TTableOfContents::endFrame(int index) const {
    const size_t next = size_t(index) + 1;
    if (next >= StartFrames.size())
        return LeadOutFrame;
    if (!inLaterSession(index) && inLaterSession(int(next)))
        return StartFrames[next] - SessionGapFrames;
    return StartFrames[next];
}

int TTableOfContents::sessionEndFrame(int index) const {
    return LastSessionFrame > 0 && !inLaterSession(index) ? LastSessionFrame - SessionGapFrames
                                                          : LeadOutFrame;
}

uint32_t TTableOfContents::cddbId() const {
    if (!isValid())
        return 0;
    uint32_t n = 0;
    for (int frame : StartFrames)
        n += digitSum(frame / CdFramesPerSecond);
    const uint32_t t =
        uint32_t(LeadOutFrame / CdFramesPerSecond - StartFrames.front() / CdFramesPerSecond);
    return ((n % 0xff) << 24) | ((t & 0xffff) << 8) | uint32_t(StartFrames.size());
}

QString TTableOfContents::cddbIdText() const {
    return QStringLiteral("%1").arg(cddbId(), 8, 16, QLatin1Char('0'));
}

QString TTableOfContents::cddbQueryWords() const {
    QStringList words;
    words << cddbIdText() << QString::number(StartFrames.size());
    for (int frame : StartFrames)
        words << QString::number(frame);
    words << QString::number(lengthSeconds());
    return words.join(QLatin1Char('+'));
}
