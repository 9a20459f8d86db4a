// Small helpers shared by the disc, rip, conversion and lookup code: number and path formatting
// and the file-in-use test. Callable from any thread.
#pragma once

#include <QString>

// n in decimal with a leading "0" when n is 9 or less ("07", "12", "100", "0-3").
QString TwoDigit(int n);

// The folder with "/" added unless it is empty or already ends in one.
QString WithTrailingBackslash(const QString& folder);

// True when the file exists and cannot be opened for reading and writing, or another process
// holds a lock on it.
bool IsFileInUse(const QString& path);
