#include "TArResponse.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

const char* TArVerdict::source() const {
    switch (Result) {
    case Accurate:
        return QT_TRANSLATE_NOOP("TArVerdict", "accurate (confidence %1)");
    case NotAccurate:
        return QT_TRANSLATE_NOOP("TArVerdict", "not accurate");
    case NotInDatabase:
        return QT_TRANSLATE_NOOP("TArVerdict", "not in database");
    case Silent:
        return QT_TRANSLATE_NOOP("TArVerdict", "silent: cannot be verified");
    case NotChecked:
        break;
    }
    return QT_TRANSLATE_NOOP("TArVerdict", "not checked");
}

QString TArVerdict::Text() const {
    const QString text = QString::fromLatin1(source());
    return Result == Accurate ? text.arg(Confidence) : text;
}

QString TArVerdict::ShownText() const {
    const QString text = QCoreApplication::translate("TArVerdict", source());
    return Result == Accurate ? text.arg(Confidence) : text;
}

TArVerdict TArVerdict::Without(Kind without, uint32_t v1, uint32_t v2) {
    return TArVerdict{IsSilence(v1, v2) ? Silent : without, 0};
}

bool TArResponse::Parse(const QByteArray& bytes, int discTracks) {
    m_pressings.clear();
    m_discTracks = discTracks;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    std::vector<Pressing> pressings;
    size_t at = 0;
    while (at < size) {
        if (size - at < 13)
            return false;
        Pressing pressing;
        pressing.Tracks = p[at];
        pressing.Id1 = le32(p + at + 1);
        pressing.Id2 = le32(p + at + 5);
        pressing.CddbId = le32(p + at + 9);
        at += 13;
        if (pressing.Tracks == 0 || size - at < size_t(pressing.Tracks) * 9)
            return false;
        for (int t = 0; t < pressing.Tracks; ++t, at += 9)
            pressing.Entries.push_back({p[at], le32(p + at + 1), le32(p + at + 5)});
        pressings.push_back(std::move(pressing));
    }
    m_pressings = std::move(pressings);
    return true;
}

int TArResponse::FittingPressings() const {
    return int(std::count_if(m_pressings.begin(), m_pressings.end(),
                             [this](const Pressing& p) { return p.Tracks == m_discTracks; }));
}

TArVerdict TArResponse::Verdict(int index, uint32_t v1, uint32_t v2) const {
    // Silence matches the zero sums some answers hold, and a read that failed into zeros
    // would match them as well.
    if (TArVerdict::IsSilence(v1, v2))
        return TArVerdict{TArVerdict::Silent, 0};
    TArVerdict verdict{TArVerdict::NotInDatabase, 0};
    for (const Pressing& pressing : m_pressings) {
        // A pressing of another track count belongs to another disc whose ids collide.
        if (pressing.Tracks != m_discTracks || index < 0 || index >= int(pressing.Entries.size()))
            continue;
        const Entry& e = pressing.Entries[size_t(index)];
        if (e.Confidence == 0)
            continue; // no rip stands behind it
        if (verdict.Result == TArVerdict::NotInDatabase)
            verdict.Result = TArVerdict::NotAccurate;
        if (e.Crc == v1 || e.Crc == v2) {
            verdict.Result = TArVerdict::Accurate;
            verdict.Confidence += e.Confidence;
        }
    }
    return verdict;
}
