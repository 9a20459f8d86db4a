// The AccurateRip identity of a disc, from its table of contents: the two sums of the track
// addresses (id1, id2), the freedb disc id, and the name and path of the database file that
// holds the disc's checksums. Plain value type, any thread.
#pragma once

#include "cddb/CddbDisc.h"

#include <QString>
#include <cstdint>

struct TArDiscIds {
    int Tracks = 0;
    uint32_t Id1 = 0; // sum of every track's address and the lead-out's (sectors from 00:00:00)
    uint32_t Id2 = 0; // sum of max(address, 1) × track number, lead-out × (tracks + 1)
    uint32_t CddbId = 0;

    // From a table whose frames count the 2-second lead-in (the first track usually at 150).
    // All zero for a table that is not valid.
    static TArDiscIds FromDisc(const TCddbDisc& disc);

    // "dBAR-<tracks, 3 digits>-<id1>-<id2>-<cddb id>.bin", the ids as 8 lower-case hex digits.
    QString FileName() const;
    // "/accuraterip/a/b/c/<FileName>", a, b, c the last, second last and third last hex
    // digit of id1.
    QString Path() const;
};
