// Reads a track's audio through the CD layer a chunk at a time, shifted by the drive's read
// offset, in one of two modes: plain (one request per chunk, as fast as the source) or secure
// (every chunk read twice, and each sector whose two reads differ read again until two reads
// of it agree, up to MaxReads reads). Counts the sectors that needed more reads and those that
// never read the same twice. The sector read itself is a function, so a test can supply one.
// Used by one thread at a time (the rip worker's).
//
// Secure reads go through the CD layer's ReadCDAudioLBA like plain ones, so they work alike on
// drives and on every kind of image, and the read offset applies to both. libcdio-paranoia is
// not used: it reads through a drive handle of its own, beneath the CD layer (so not on our
// images, nor through a test's stand-in), and its jitter correction serves drives without an
// accurate audio stream, which drives of the last twenty years have. A drive's cache may
// answer a re-read with the first read's data; nothing here defeats that yet.

#pragma once

#include "disc/CdAccess.h"

#include <cstdint>
#include <functional>
#include <vector>

// One request to the CD layer: ReadCDAudioLBA or a stand-in with its contract.
using TSectorRead = std::function<int(HCDROM handle, TTrackBuf* buffer)>;

class TTrackReader {
public:
    // Reads of one sector in secure mode before it counts as unreadable.
    static constexpr int MaxReads = 16;

    // `offsetSamples`: the drive's read offset in stereo sample pairs (positive: the audio
    // comes that much later on the disc than the drive says). `discSectors`: the sectors from
    // the first track's start to the lead-out; sectors outside 0..discSectors-1, which a drive
    // cannot read, are given as silence when the offset reaches them.
    TTrackReader(HCDROM handle, TSectorRead read, bool secure, int offsetSamples, int discSectors);

    // Reads `count` sectors from `sector` (0 = the first track's first sector), offset applied,
    // into `out` (count × 2352 bytes). False when a request failed (in secure mode: MaxReads
    // times in a row).
    bool Read(int sector, int count, uint8_t* out);

    // Sectors whose first two reads differed but that then read the same twice.
    int ReReadSectors() const { return m_reRead; }
    // Sectors that never read the same twice; their last read is what Read gave.
    int UnreadableSectors() const { return m_unreadable; }

private:
    bool readSectors(int sector, int count, uint8_t* out);
    bool readOnce(int sector, int count, uint8_t* out);
    bool readSecure(int sector, int count, uint8_t* out);

    HCDROM m_handle;
    TSectorRead m_read;
    bool m_secure;
    int m_offsetBytes;
    int m_discSectors;
    int m_reRead = 0;
    int m_unreadable = 0;
    std::vector<uint8_t> m_request; // header and room of one request, reused
    std::vector<uint8_t> m_second;  // the second read of a chunk (secure)
    std::vector<uint8_t> m_span;    // the sectors an offset read covers
};
