// Conversion of texts to the single-byte ISO-8859-1 fields of ID3 tags, which is what tag
// readers assume those fields hold. Pure functions; callable from any thread.
#pragma once

#include <QByteArray>
#include <QString>

// `text` as ISO-8859-1: composed (NFC) first so that "e" plus a combining accent becomes one
// character, then one byte per character, "?" for a character ISO-8859-1 cannot hold (a
// character outside the Basic Multilingual Plane gives a single "?"). With `maxBytes` >= 0 the
// result is cut to that many bytes.
QByteArray ToLatin1Lossy(const QString& text, int maxBytes = -1);

// Whether ToLatin1Lossy keeps every character of `text` (nothing becomes "?").
bool FitsLatin1(const QString& text);
