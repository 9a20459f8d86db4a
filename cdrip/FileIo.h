// Small POSIX file helpers for the rip: create a file in place of any old one without
// following a symbolic link, say why a write failed, and add a file beside the ripped ones
// without ever replacing one. Whole-block reads and writes
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

// Writes `bytes` as a new file named `name` in `folder`, or "<base> (2)<ext>" and so on when
// that name is taken: complete under a temporary name first, readable as the ripped files are,
// then given the first free name without ever replacing a file (TFileClaim::ClaimFree), so a
// file that appears meanwhile only moves this one to the next name. With `replace` (the user
// agreed to replace what the rip finds), the file takes `name` over whatever has it. Returns the
// path, or empty with `error` naming the file and the system's reason.
QString WriteNewFile(const QString& folder, const QString& name, const QByteArray& bytes,
                     bool replace, QString* error);
