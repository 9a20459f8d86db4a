// The genre tables shared by the disc fields, the ID3v1 writers, the lookup and the converter:
// the 148 names of the genre box in alphabetical order, their ID3v1 genre numbers, and the
// ID3v1 list itself indexed by genre number. Constant data; callable from any thread.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

constexpr int GenreCount = 148;

// The genre box lists an empty entry followed by these names, so box position p (1..148) is
// GenreNames[p - 1].
extern const std::array<const char*, GenreCount> GenreNames;

// Index of the first entry of GenreNames equal to `name` (case-sensitive unless `cs` says
// otherwise), -1 when none is.
int GenreIndexOf(const QString& name, Qt::CaseSensitivity cs = Qt::CaseSensitive);

// The genre box's text at `position`: "" for the blank entry 0 or no selection (-1), else the
// genre name.
QString GenreBoxText(int position);

// The ID3v1 genre number to store for genre box position `position`: 255 ("no genre") for the
// empty entry 0, for -1 (nothing chosen) and for anything outside 1..148.
quint8 GenreByte(int position);

// The ID3v1 genre names indexed by genre number 0..147 ("Blues", "Classic Rock", ...).
extern const std::array<const char*, GenreCount> Id3v1GenreNames;

// Number of the first ID3v1 genre name equal to `name` ignoring case, -1 when none is.
int Id3v1GenreIndexOf(const QString& name);
