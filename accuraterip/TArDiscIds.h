// The AccurateRip identity of a disc, from its table of contents: the two sums of the audio
// tracks' addresses (id1, id2), the freedb disc id, and the name and path of the database file
// that holds the disc's checksums. Plain value type, any thread.
#pragma once

#include "disc/TableOfContents.h"

#include <QString>
#include <cstdint>

struct TArDiscIds {
    int Tracks = 0; // audio tracks: the pressings of the disc list this many
    uint32_t Id1 =
        0; // sum of every audio track's address and the lead-out's (sectors from 00:00:00)
    uint32_t Id2 = 0; // sum of max(address, 1) × track number, lead-out × (last audio number + 1)
    uint32_t CddbId = 0;

    // The published rule: only the audio tracks are counted and summed, but the lead-out is the
    // disc's own, behind any data track (an enhanced CD's data session); the freedb id is the
    // ordinary one over every track, data included. A track's number is its place in the
    // table. All zero for a table that is not valid or has no audio track.
    static TArDiscIds FromDisc(const TTableOfContents& disc);

    // "dBAR-<tracks, 3 digits>-<id1>-<id2>-<cddb id>.bin", the ids as 8 lower-case hex digits.
    QString FileName() const;
    // "/accuraterip/a/b/c/<FileName>", a, b, c the last, second last and third last hex
    // digit of id1.
    QString Path() const;
};
