#include "ReplayGain.h"

#include <algorithm>
#include <cmath>

bool TReplayGain::ParseMode(const QString& text, TMode* mode) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("off"))
        *mode = TMode::Off;
    else if (t == QLatin1String("track"))
        *mode = TMode::Track;
    else if (t == QLatin1String("album"))
        *mode = TMode::Album;
    else
        return false;
    return true;
}

QString TReplayGain::ModeName(TMode mode) {
    switch (mode) {
    case TMode::Track:
        return QStringLiteral("track");
    case TMode::Album:
        return QStringLiteral("album");
    case TMode::Off:
        break;
    }
    return QStringLiteral("off");
}

bool TReplayGain::GainOf(double lufs, double* gain) {
    if (!std::isfinite(lufs))
        return false;
    *gain = ReferenceLufs - lufs;
    return true;
}

QString TReplayGain::GainText(double gain) {
    return QString::asprintf("%.2f dB", gain);
}

QString TReplayGain::PeakText(double peak) {
    return QString::asprintf("%.6f", peak);
}

int TReplayGain::R128Of(double gain) {
    // -23 - L = (-18 - L) - 5.
    const double q78 = std::round((gain - 5.0) * 256.0);
    return int(std::clamp(q78, -32768.0, 32767.0));
}
