// A Nero image (.nrg) read by our own reader: the chunks at the file's end (found through the
// "NER5" or "NERO" footer) are checked against the file before any is used, then the disc is
// laid out from the disc-at-once chunk (DAOX, DAOI: each track's index 0, index 1 and end in
// the file), or the track-at-once one (ETN2, ETNF: each track's place in the file and on the
// disc); the cue chunk (CUEX, CUES) gives the tracks' control bits. Track 1's first 150 sectors
// of pregap are the lead-in every disc has; more is audio before track 1. CD-Text chunks are not
// read. One thread at a time.
#pragma once

#include "DiscImage.h"

class TNrgImage : public TDiscImage {
public:
    bool Open(const QString& path) override;
    // True when the file ends in a Nero footer.
    static bool HasNeroFooter(const QString& path);
};
