// The name of a disc's section in cd.dat: a number computed from the disc's table of contents,
// the same for every reading of the same disc. Any thread.
#pragma once

#include "CdAccess.h"

#include <QString>

// The key of a table in minute/second/frame form: the sum, wrapping at 32 bits, of
// (minutes << 16) + (seconds << 8) + frames of every track's start address; with fewer than
// 3 tracks the lead-out's frame address minus the first track's is added. Signed decimal.
QString DiscKeyFromToc(const TTOC& toc);

// True when the table lists at least one audio track.
bool TocHasAudio(const TTOC& toc);

// The key of the disc in the open drive; empty without a handle, without a readable table or
// without an audio track. Sets the handle to minute/second/frame addresses.
QString GetDiscKey(HCDROM handle);
