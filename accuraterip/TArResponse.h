// A parsed answer of the AccurateRip database: one or more pressings of the disc, each with a
// checksum and a confidence (how many rips agreed) per track; v1 and v2 sums are stored as
// pressings of their own. Gives each ripped track its verdict. Plain value type, any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct TArVerdict {
    enum Kind { NotChecked, NotInDatabase, NotAccurate, Accurate };
    Kind Result = NotChecked;
    int Confidence = 0; // for Accurate: the confidences of every pressing that matches, summed

    // "accurate (confidence N)", "not accurate", "not in database", "not checked".
    QString Text() const;
};

class TArResponse {
public:
    struct Entry {
        int Confidence = 0;
        uint32_t Crc = 0;    // the track's v1 or v2 sum
        uint32_t Crc450 = 0; // the sum over sector 450 of the track (not used here)
    };
    struct Pressing {
        int Tracks = 0;
        uint32_t Id1 = 0, Id2 = 0, CddbId = 0;
        std::vector<Entry> Entries; // one per track
    };

    // Parses the binary answer: pressings one after the other, each a 13-byte header (track
    // count, id1, id2, cddb id, little-endian) and 9 bytes per track (confidence, sum, sum of
    // sector 450). False (and no pressings) when the bytes do not make whole pressings.
    bool Parse(const QByteArray& bytes);

    const std::vector<Pressing>& Pressings() const { return m_pressings; }

    // The verdict of track `index` (0-based) with its two sums: accurate when a pressing holds
    // either sum for it, not accurate when pressings hold the track but none matches, and not
    // in database when no pressing has that track.
    TArVerdict Verdict(int index, uint32_t v1, uint32_t v2) const;

private:
    std::vector<Pressing> m_pressings;
};
