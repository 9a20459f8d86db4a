// Whole-block reads and writes on a file descriptor, retrying interrupted and partial
// transfers, so that no writer loses bytes to a signal or a short write. Callable from any
// thread.
#pragma once

#include <QtGlobal>
#include <cstddef>

// Writes all `size` bytes at the file position; false on a failed or short write (errno set;
// ENOSPC for a write that made no progress).
bool WriteAll(int fd, const void* data, size_t size);
// Writes all `size` bytes at `offset`, leaving the file position alone; as WriteAll otherwise.
bool WriteAt(int fd, const char* data, qint64 size, qint64 offset);

// Reads exactly `size` bytes at `offset`, leaving the file position alone; false on an error
// or an early end of file.
bool ReadAt(int fd, char* data, qint64 size, qint64 offset);
// Reads from the file position until `size` bytes or the end of the file; returns the count,
// or -1 on error (errno set).
long ReadFull(int fd, void* data, size_t size);
