// Whole-block reads and writes at a file offset that leave the file position alone, retrying
// interrupted and partial transfers. Callable from any thread.
#pragma once

#include <QtGlobal>

// Reads exactly `size` bytes at `offset`; false on an error or an early end of file.
bool ReadAt(int fd, char* data, qint64 size, qint64 offset);
// Writes all `size` bytes at `offset`; false on an error or a short write.
bool WriteAt(int fd, const char* data, qint64 size, qint64 offset);
