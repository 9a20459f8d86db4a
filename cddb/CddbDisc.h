// The table of contents as the CDDB protocol sees it: where each track starts and where the
// lead-out lies, in frames (75 a second) counted from the start of the disc including the
// 2-second lead-in, so the first track of a normal disc starts at frame 150. Plain value type,
// any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

struct TCddbDisc {
    std::vector<int> StartFrames; // one per track of the table, first to last, data tracks too
    int LeadOutFrame = 0;

    // True when there is at least one track, no more than 99, the starts rise and the lead-out
    // lies behind the last start.
    bool isValid() const;

    // The disc id of the published freedb algorithm: the digit sums of every track start in
    // seconds, modulo 255, in the top byte; the playing time in seconds from the first track
    // to the lead-out in the middle 16 bits; the number of tracks in the low byte.
    uint32_t discId() const;

    // The disc id as the protocol writes it: 8 lower-case hexadecimal digits.
    QString discIdText() const;

    // The length of the disc in seconds as the query sends it: the lead-out address in
    // seconds (lead-in included).
    int lengthSeconds() const { return LeadOutFrame / 75; }

    // The words after "cddb query": disc id, track count, every start frame, length in
    // seconds, joined by "+" as they go into the request URL.
    QString queryWords() const;
};
