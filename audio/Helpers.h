// Small helpers shared by the disc, rip, conversion and lookup code: number and path formatting,
// the file-in-use test and a complete write. Callable from any thread.
#pragma once

#include <QFileDevice>
#include <QIODevice>
#include <QString>
#include <utility>

// n in decimal with a leading "0" when n is 9 or less ("07", "12", "100", "0-3").
QString TwoDigit(int n);

// The folder with "/" added unless it is empty or already ends in one.
QString WithTrailingBackslash(const QString& folder);

// True when the file exists and cannot be opened for reading and writing, or another process
// holds a lock on it.
bool IsFileInUse(const QString& path);

// True when anything has this name: a file, a folder, or a symbolic link, even a dangling one
// (a link is never followed).
bool NameTaken(const QString& path);

// The file name of `path` split at its last "." (not a leading one): base and extension
// ("/a/b.flac" gives "/a/b" and ".flac"; "/a/.hidden" gives itself and "").
std::pair<QString, QString> SplitExtension(const QString& path);

// `path` when nothing has that name, else the first free one of "<base> (2)<ext>",
// "<base> (3)<ext>", ... in the same folder (<ext> from the last "." of the file name on).
QString FreeName(const QString& path);

// The name a file is written under until it is complete: "<base>.partial<ext>" beside `path`,
// made free. A stopped run leaves what it wrote under this name, never under the final one.
QString PartialName(const QString& path);

// True when both names lead to one file (same device and inode): the same path, a hard link
// or a symbolic link to it. False when either does not exist.
bool SameFile(const QString& a, const QString& b);

// Why no file can be written into `folder`, as a system error number, for a failed write whose
// own error number did not come through: EROFS for a read-only file system, the error of
// access(W_OK) when this process may not create files there (EACCES), ENOSPC when the file
// system has less than 1 MiB or no file entries left for this process. 0 when none holds.
int FolderWriteFailure(const QString& folder);

// Renames `from` over `to`, replacing whatever `to` is (a link is replaced, not followed).
// Returns an empty text, or "Cannot rename <from> to <to>: <reason>".
QString RenameOver(const QString& from, const QString& to);

// A file that hits a full disk or a size limit takes part of a write without any error; only
// the next write fails with the system's reason. Qt's buffered files report such a part-written
// buffer as a failure with "Unknown error". These two write again while bytes go out, so a
// failure leaves the system's reason ("No space left on device") in errorString().
//
// Writes all `size` bytes to `device`; false when not every byte was taken.
bool WriteFully(QIODevice& device, const char* data, qint64 size);
// Flushes the buffer of `file`; false when not every byte reached the system.
bool FlushFully(QFileDevice& file);
