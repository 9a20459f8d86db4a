// The MusicBrainz view of a table of contents: the disc id libdiscid computes from the audio
// tracks and the lead-out, the table as MusicBrainz writes it, and the address at which a user
// adds an unknown disc to the database. Plain value type, any thread.
#pragma once

#include "disc/CdAccess.h"

#include <QString>
#include <QUrl>
#include <vector>

struct TMusicBrainzDisc {
    // Frames (75 a second) including the 2-second lead-in, as MusicBrainz counts them.
    int FirstTrack = 0;
    int LastTrack = 0; // the last audio track
    int LeadOutFrame = 0;
    std::vector<int> StartFrames; // FirstTrack..LastTrack

    QString Id;      // 28 characters; empty when the table cannot make one
    QString TocText; // "first+last+lead-out+start+start..."

    bool isValid() const { return !Id.isEmpty(); }

    // The disc of a table in minute/second/frame form. Data tracks after the last audio track
    // (an enhanced CD's second session) are left out and the lead-out moved to 11400 frames
    // before the first of them, where the audio session ends. Invalid without audio tracks or
    // when libdiscid refuses the table.
    static TMusicBrainzDisc FromToc(const TTOC& toc);
    // The same from numbers: the start frame of every track FirstTrack.. and the lead-out.
    static TMusicBrainzDisc FromFrames(int firstTrack, const std::vector<int>& startFrames,
                                       int leadOutFrame);

    // The page of `server` (a URL such as https://musicbrainz.org) where the user attaches
    // this disc to a release: /cdtoc/attach?id=..&tracks=..&toc=...
    QUrl SubmitUrl(const QString& server) const;
};
