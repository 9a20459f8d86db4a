#include "CddbDisc.h"

#include <QStringList>

namespace {

int digitSum(int n) {
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

} // namespace

bool TCddbDisc::isValid() const {
    if (StartFrames.empty() || StartFrames.size() > 99 || StartFrames.front() < 0)
        return false;
    for (size_t i = 1; i < StartFrames.size(); ++i)
        if (StartFrames[i] <= StartFrames[i - 1])
            return false;
    return LeadOutFrame > StartFrames.back();
}

uint32_t TCddbDisc::discId() const {
    if (!isValid())
        return 0;
    uint32_t n = 0;
    for (int frame : StartFrames)
        n += digitSum(frame / 75);
    const uint32_t t = uint32_t(LeadOutFrame / 75 - StartFrames.front() / 75);
    return ((n % 0xff) << 24) | ((t & 0xffff) << 8) | uint32_t(StartFrames.size());
}

QString TCddbDisc::discIdText() const {
    return QStringLiteral("%1").arg(discId(), 8, 16, QLatin1Char('0'));
}

QString TCddbDisc::queryWords() const {
    QStringList words;
    words << discIdText() << QString::number(StartFrames.size());
    for (int frame : StartFrames)
        words << QString::number(frame);
    words << QString::number(lengthSeconds());
    return words.join(QLatin1Char('+'));
}
