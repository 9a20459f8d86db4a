// Small helpers shared by the rip, conversion and lookup code: number and path formatting, the
// output format table, file-in-use test and a blocking pause. Callable from any thread.
#pragma once

#include <QString>

// n in decimal with a leading "0" when n is 9 or less ("07", "12", "100", "0-3").
QString TwoDigit(int n);

// The folder with "/" added unless it is empty or already ends in one.
QString WithTrailingBackslash(const QString& folder);

// True when the file exists and cannot be opened for reading and writing, or another process
// holds a lock on it.
bool IsFileInUse(const QString& path);

// Blocks the calling thread for `milliseconds` without handling events.
void Pause(int milliseconds);

// Output formats by index: 0 MP3, 1 WAV, 2 OGG, 3 WMA, 4 FLAC, 5 APE.
enum TOutputFormat { FormatMp3 = 0, FormatWav, FormatOgg, FormatWma, FormatFlac, FormatApe };
constexpr int OutputFormatCount = 6;
// "MP3", "WAV", ...; empty for an index outside 0..5.
QString FormatName(int index);
// ".mp3", ".wav", ...; empty for an index outside 0..5.
QString FormatExtension(int index);
// Index of a name such as "mp3" or "FLAC" (case-blind), -1 when unknown.
int FormatIndexOf(const QString& name);
