// File names that are not valid UTF-8 on the command line. Qt turns such bytes into U+FFFD and
// cannot give them back, so the file or folder a word names is opened from its bytes and the
// word is replaced by /proc/self/fd/<n>, a path that leads to it for as long as the process
// runs; DisplayPath turns such a path back into a readable name. Callable from any thread.
#pragma once

#include <QString>
#include <QStringList>

// The words after the program's name. A word that is valid UTF-8 is decoded; one that is not
// and names an existing file or folder becomes "/proc/self/fd/<n>" (the descriptor stays open
// until the process ends); any other word is decoded with U+FFFD for the bytes it cannot show.
// Such a word after "--out" that names nothing is made as a folder (with any missing folders
// above it) first, so the output folder has the bytes given, not a look-alike.
QStringList ArgumentsOf(int argc, char** argv);

// `path` for showing: a "/proc/self/fd/<n>" prefix made by ArgumentsOf becomes the name it was
// given as (U+FFFD for the bytes that are not UTF-8); any other path is returned as it is.
QString DisplayPath(const QString& path);

// Every "/proc/self/fd/<n>" path inside `text` (a message naming files) as DisplayPath shows it.
QString WithDisplayPaths(const QString& text);
