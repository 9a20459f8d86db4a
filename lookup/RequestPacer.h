// Keeps requests to a public database at least an interval apart across every Sondrel process
// of the user, as MusicBrainz asks (one a second per client): a small file in the user's
// runtime folder ($XDG_RUNTIME_DIR, else the cache folder) holds the time the last request was
// given, and each caller takes the next free time under an flock of that file. Callers wait
// the returned delay on their own (a timer), never while holding the lock. Any thread.
#pragma once

#include <QString>

class TRequestPacer {
public:
    // Takes the next time at least `intervalMs` after the last one taken for `name` (by any
    // process) and returns the milliseconds until then (0 = send now). Where the file cannot
    // be used, this process alone is paced.
    static int Reserve(const QString& name, int intervalMs);
    // The file that holds the time for `name`.
    static QString FilePath(const QString& name);
};
