// Where a track of the disc lies, in sectors counted from the first track's first sector (as
// ReadCDAudioLBA counts them): from its start to the next track's start, the last track to
// the lead-out. Any thread (the CD layer locks the handle).
#pragma once

#include "disc/CdAccess.h"

#include <QString>
#include <optional>

struct TTrackSpan {
    int Start = 0; // first sector
    int End = 0;   // one past the last sector
};

// The span of track `number` on the disc behind `handle`; nullopt with `error` saying why (no
// disc, no such track, a data track). Sets the handle to minute/second/frame addresses, as
// every reader of the table does.
std::optional<TTrackSpan> FindTrackSpan(HCDROM handle, int number, QString& error);
