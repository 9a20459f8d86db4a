#include "TArDiscIds.h"

#include <algorithm>

namespace {

constexpr int LeadInFrames = CdLeadInSectors;

QString hex8(uint32_t v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0'));
}

} // namespace

TArDiscIds TArDiscIds::FromDisc(const TTableOfContents& disc) {
    TArDiscIds ids;
    const int last = disc.lastAudio();
    if (!disc.isValid() || last < 0)
        return ids;
    for (int i = 0; i <= last; ++i) {
        if (disc.isData(i))
            continue;
        const uint32_t address = uint32_t(disc.StartFrames[size_t(i)] - LeadInFrames);
        ++ids.Tracks;
        ids.Id1 += address;
        ids.Id2 += std::max<uint32_t>(address, 1) * uint32_t(i + 1);
    }
    const uint32_t leadOut = uint32_t(disc.LeadOutFrame - LeadInFrames);
    ids.Id1 += leadOut;
    ids.Id2 += leadOut * uint32_t(last + 2);
    ids.CddbId = disc.cddbId();
    return ids;
}

QString TArDiscIds::FileName() const {
    return QStringLiteral("dBAR-%1-%2-%3-%4.bin")
        .arg(Tracks, 3, 10, QLatin1Char('0'))
        .arg(hex8(Id1), hex8(Id2), hex8(CddbId));
}

QString TArDiscIds::Path() const {
    const QString id = hex8(Id1);
    return QStringLiteral("/accuraterip/%1/%2/%3/%4")
        .arg(id.at(7))
        .arg(id.at(6))
        .arg(id.at(5))
        .arg(FileName());
}
