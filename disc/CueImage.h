// A disc image described by a CUE sheet, read by our own parser: its FILE lines (relative to
// the sheet's folder; raw BINARY or MOTOROLA sectors, WAV files, or anything FFmpeg decodes as
// 44100 Hz stereo), laid out on a disc as a drive would report it: PREGAP silence and INDEX 00
// audio before each track's INDEX 01 (also when INDEX 00 lies at the end of the previous
// file), audio before track 1's INDEX 01 as a hidden track; TITLE, PERFORMER and SONGWRITER
// lines as CD-Text, REM SESSION lines as the tracks' sessions. Open checks the whole sheet and
// its files and says what is wrong. One thread at a time.
#pragma once

#include "DiscImage.h"

class TCueImage : public TDiscImage {
public:
    bool Open(const QString& path) override;

private:
    struct TSheetTrack;
    struct TIndexLine;
    bool Layout(std::vector<TSheetTrack>& tracks, const std::vector<TIndexLine>& lines);
};
