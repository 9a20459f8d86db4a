// Small POSIX file helpers for the rip worker: create a file in place of any old one without
// following a symbolic link, and read or write whole blocks with the system's reason on failure.
// Callable from any thread.
#pragma once

#include <QString>
#include <cstddef>

// Creates `path` for writing, truncating a regular file of that name. A symbolic link of that
// name is replaced, not followed, so nothing is written outside the link's folder. Returns the
// descriptor, or -1 with errno set.
int CreateReplacing(const QString& path);

// Writes all `size` bytes; false on a failed or short write (errno set; ENOSPC for a short one).
bool WriteAll(int fd, const void* data, size_t size);

// Reads until `size` bytes or the end of the file; returns the count, or -1 on error.
long ReadFull(int fd, void* data, size_t size);

// "Cannot write <path>: <strerror(err)>".
QString WriteErrorText(const QString& path, int err);
