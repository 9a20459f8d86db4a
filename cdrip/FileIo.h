// Small POSIX file helpers for the rip worker: create a file in place of any old one without
// following a symbolic link, and say why a write failed. Whole-block reads and writes
// (WriteAll, ReadFull) come from audio/FdIo.h. Callable from any thread.
#pragma once

#include "audio/FdIo.h"

#include <QString>
#include <cstddef>

// Creates `path` for writing, truncating a regular file of that name. A symbolic link of that
// name is replaced, not followed, so nothing is written outside the link's folder. Returns the
// descriptor, or -1 with errno set.
int CreateReplacing(const QString& path);

// "Cannot write <path>: <strerror(err)>".
QString WriteErrorText(const QString& path, int err);
