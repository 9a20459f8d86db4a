#include "Latin1Text.h"

#include <algorithm>

QByteArray ToLatin1Lossy(const QString& text, int maxBytes) {
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QByteArray out;
    out.reserve(composed.size());
    for (qsizetype i = 0; i < composed.size(); ++i) {
        if (maxBytes >= 0 && out.size() >= maxBytes)
            break;
        const QChar c = composed.at(i);
        if (c.isHighSurrogate() && i + 1 < composed.size() && composed.at(i + 1).isLowSurrogate())
            ++i; // one "?" for the whole pair
        out.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');
    }
    return out;
}

bool FitsLatin1(const QString& text) {
    const QString composed = text.normalized(QString::NormalizationForm_C);
    return std::all_of(composed.begin(), composed.end(),
                       [](QChar c) { return c.unicode() <= 0xFF; });
}
