// The playlist and the cue sheet a rip leaves beside its log, made from the rip plan's records:
// "<album>.m3u8" names each written file relative to the plan's FilesFolder with its length and
// texts, the cue sheet names the same files with each track's INDEX 01 at the start of its file
// and, where the source knew them, each gap's INDEX 00 at the end of the file before. Plain
// value type, any thread.
#pragma once

#include "RipPlan.h"
#include "cddb/CddbDisc.h"

#include <QString>
#include <vector>

class TRipSheets {
public:
    // `toc` is the disc's table of contents (track lengths); `pregapFrames` the frames between
    // each track's INDEX 00 and INDEX 01 by position (track 1 first), empty when the source
    // does not know them (a drive).
    // The sheets name the files of format `format` (an index into the plan's Formats).
    TRipSheets(const TRipPlan& plan, size_t format, const TCddbDisc& toc,
               const std::vector<int>& pregapFrames);

    // Some track's file exists: ripped now, or kept from before.
    bool HasFiles() const { return !m_tracks.empty(); }
    QString Playlist() const;
    QString CueSheet() const;

private:
    int lengthFrames(int number) const;
    QString fileOf(const TRipPlanTrack& t) const;

    const TRipPlan& m_plan;
    size_t m_format;
    TCddbDisc m_toc;
    std::vector<int> m_pregaps;
    std::vector<const TRipPlanTrack*> m_tracks; // those with files, in disc order
};
