// A disc's table of contents as a value: where each track starts, which tracks hold data, where
// the last session begins on a disc with more than one, and the lead-out. The rip, the CDDB and
// AccurateRip ids, the rip log and the cue sheet read it. Frames (75 a second) count from the
// start of the disc including the 2-second lead-in, so the first track of a normal disc starts at
// frame 150. Plain value type, any thread.
#pragma once

#include "CdAccess.h"

#include <QString>
#include <cstdint>
#include <vector>

struct TTableOfContents {
    // Between the end of one session's audio and the first track of the next: the session's
    // lead-out (90 s), the next one's lead-in (60 s) and its first pre-gap (2 s).
    static constexpr int SessionGapFrames = 11400;

    std::vector<int> StartFrames; // one per track of the table, first to last, data tracks too
    int LeadOutFrame = 0;         // the disc's lead-out: after the last session
    std::vector<bool> DataTracks; // per track, true for a data track; tracks past its end are audio
    // The first frame of the disc's last session when it has more than one (an enhanced CD's
    // data session); 0 for a disc of one session or a source that cannot tell.
    int LastSessionFrame = 0;
    int FirstTrack = 1; // the number of the first track

    // From a table in minute/second/frame form (ReadTOC after ModifyCDParms(CdParmTocMsf, 1));
    // it holds no session.
    static TTableOfContents FromToc(const TTOC& toc);

    // True when there is at least one track, no more than 99, the starts rise and the lead-out
    // lies behind the last start.
    bool isValid() const;
    int trackCount() const { return int(StartFrames.size()); }
    bool isData(int index) const {
        return size_t(index) < DataTracks.size() && DataTracks[size_t(index)];
    }
    // Indices (0-based) of the first and the last audio track; -1 when there is none.
    int firstAudio() const;
    int lastAudio() const;
    // Whether track `index` lies in a later session than the first.
    bool inLaterSession(int index) const;
    // Where the audio of track `index` ends (its last frame + 1): the next track's start, or the
    // lead-out for the last track; a track followed by one in a later session ends
    // SessionGapFrames before it, where its own session's lead-out begins.
    int endFrame(int index) const;
    int lengthFrames(int index) const { return endFrame(index) - StartFrames[size_t(index)]; }
    // The end of the session that holds track `index`: no sector behind it can be read as part
    // of that session's audio.
    int sessionEndFrame(int index) const;

    // The disc id of the published freedb algorithm, over every track (data tracks too) and the
    // disc's lead-out: the digit sums of every track start in seconds, modulo 255, in the top
    // byte; the playing time in seconds from the first track to the lead-out in the middle 16
    // bits; the number of tracks in the low byte. 0 for a table that is not valid.
    uint32_t cddbId() const;
    // The id as the CDDB protocol writes it: 8 lower-case hexadecimal digits.
    QString cddbIdText() const;
    // The length of the disc in seconds as a CDDB query sends it: the lead-out address in
    // seconds (lead-in included).
    int lengthSeconds() const { return LeadOutFrame / CdFramesPerSecond; }
    // The words after "cddb query": disc id, track count, every start frame, length in seconds,
    // joined by "+" as they go into the request URL.
    QString cddbQueryWords() const;
};
