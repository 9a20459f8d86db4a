// Creates and names files in a folder that other jobs (threads of this program or other
// processes) may be writing into at the same time. A file is written under a partial name that
// is created exclusively and locked (flock) while written, and takes its final name only where
// nothing has that name yet, so no job ever replaces another's file. Callable from any thread.
#pragma once

#include <QString>

class TFileClaim {
public:
    // The system calls the final naming goes through. Tests put functions of their own here to
    // act as file systems that refuse some of them; nullptr restores the real ones. Not to be
    // changed while files are being claimed.
    struct TSyscalls {
        int (*Renameat2)(int olddirfd, const char* from, int newdirfd, const char* to,
                         unsigned flags);
        int (*Link)(const char* from, const char* to);
    };
    static void SetSyscalls(const TSyscalls* calls);

    // Creates `path` exclusively (never through a symbolic link) and takes an exclusive flock
    // on it, held until the descriptor is closed. Returns the descriptor, or -1 with errno set
    // (EEXIST when anything has that name).
    static int CreateLocked(const QString& path);
    // Creates and locks the first free one of "<base>.partial<ext>", "<base>.partial (2)<ext>",
    // ... beside `finalPath`; the name goes to `partial`. -1 with errno set on failure.
    static int CreatePartial(const QString& finalPath, QString* partial);

    // Gives the file `from` the name `to` unless anything has that name: renameat2 with
    // RENAME_NOREPLACE; where the file system does not know it (EINVAL, ENOTSUP), a hard link
    // and the old name removed; where links are refused too (EPERM on FAT, exFAT and many FUSE
    // file systems), `to` reserved by an exclusive create and the file renamed over that empty
    // placeholder. Returns 0, or the errno (EEXIST when the name is taken).
    static int Claim(const QString& from, const QString& to);
    // Claims `to`, or when it is taken the first free one of "<base> (2)<ext>", ... Returns
    // the name taken, or empty with `error` saying "Cannot rename <from> to <to>: <reason>".
    static QString ClaimFree(const QString& from, const QString& to, QString* error);

    // Removes the partial files of `finalPath` ("<base>.partial<ext>" and its numbered
    // variants) that no one holds a lock on: what stopped runs left. Returns how many went.
    static int RemoveStalePartials(const QString& finalPath);
};
