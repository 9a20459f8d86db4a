// The disc texts as the main window's boxes hold them: what the tags of a rip take and what
// cd.dat keeps per disc. A plain value, copied into jobs.
#pragma once

#include <QString>

struct TDiscFields {
    QString Artist;
    QString Album;
    QString Year;
    int Genre = -1; // index in the genre box: 0 the blank entry, 1..148 a name, -1 none selected
    QString Comment;
};
