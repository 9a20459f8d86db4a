// The ways a rip reads a track, as the Ripping.ReadMode setting names them: plain (once, at
// full speed), secure (every chunk until two reads agree) and verify-first (once, then again in
// secure mode only when the AccurateRip database does not confirm the first read). Plain
// values and functions, any thread.
#pragma once

#include <QString>
#include <optional>

enum class TReadMode { Plain, Secure, VerifyFirst };

// "plain", "secure", "verify-first": the setting's values.
inline QString ReadModeName(TReadMode mode) {
    switch (mode) {
    case TReadMode::Secure:
        return QStringLiteral("secure");
    case TReadMode::VerifyFirst:
        return QStringLiteral("verify-first");
    case TReadMode::Plain:
        break;
    }
    return QStringLiteral("plain");
}

// The mode a setting's text names (case and surrounding blanks aside); none for other text.
inline std::optional<TReadMode> ParseReadMode(const QString& text) {
    for (const TReadMode mode : {TReadMode::Plain, TReadMode::Secure, TReadMode::VerifyFirst})
        if (text.trimmed().compare(ReadModeName(mode), Qt::CaseInsensitive) == 0)
            return mode;
    return std::nullopt;
}

// The mode of a stored setting; text that names none reads as plain, the default.
inline TReadMode ReadModeOf(const QString& text) {
    return ParseReadMode(text).value_or(TReadMode::Plain);
}
