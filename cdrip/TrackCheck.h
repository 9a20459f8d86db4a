// What the rip worker learned of one track while reading it: the checksums of the audio as
// read (before normalisation), how many sectors needed re-reads or never read the same twice,
// and how long the reading took. Plain value type, carried to the GUI thread inside a TProcessInfo.
#pragma once

#include <cstdint>

struct TTrackCheck {
    bool Valid = false; // the whole track was read and summed
    uint32_t Crc32 = 0;
    uint32_t ArV1 = 0;
    uint32_t ArV2 = 0;
    int ReReadSectors = 0;
    int UnreadableSectors = 0; // non-zero makes the track suspicious
    bool Secure = false;       // read in secure mode
    int ReadMs = 0;            // milliseconds from the first request to the last sector summed
};
