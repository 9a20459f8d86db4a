// A disc image described by a cdrdao TOC file, read by our own parser: TRACK blocks of
// SILENCE, ZERO, FILE/AUDIOFILE and DATAFILE items (files relative to the TOC file's folder;
// raw audio big-endian as cdrdao writes it unless SWAP says otherwise, WAV files by their
// header, MP3, Ogg and FLAC decoded), PREGAP and START marking where INDEX 01 lies, track flags,
// and the CD_TEXT blocks' TITLE, PERFORMER and SONGWRITER of the first language. Open checks
// the file and its data files and says what is wrong, as the CUE reader does. One thread at a
// time.
#pragma once

#include "DiscImage.h"

class TTocImage : public TDiscImage {
public:
    bool Open(const QString& path) override;
};
