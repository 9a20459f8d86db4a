// A parsed answer of the AccurateRip database: one or more pressings of the disc, each with a
// checksum and a confidence (how many rips agreed) per track; v1 and v2 sums are stored as
// pressings of their own. Gives each ripped track its verdict. Plain value type, any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct TArVerdict {
    enum Kind { NotChecked, NotInDatabase, NotAccurate, Accurate, Silent };
    Kind Result = NotChecked;
    int Confidence = 0; // for Accurate: the confidences of every pressing that matches, summed

    // "accurate (confidence N)", "not accurate", "not in database", "not checked",
    // "silent: cannot be verified": in English, as the rip log and the command line write it.
    QString Text() const;
    // The same through the translation, as the window shows it.
    QString ShownText() const;

    // The verdict of a track with sums `v1` and `v2` when the database gave no answer: `without`,
    // or Silent for sums of silence.
    static TArVerdict Without(Kind without, uint32_t v1, uint32_t v2);
    // Both sums 0: what a track gives whose checked samples are all zero, and what a drive that
    // returns zeros instead of failing gives too. Such sums prove nothing about the copy.
    static bool IsSilence(uint32_t v1, uint32_t v2) { return v1 == 0 && v2 == 0; }

private:
    // The verdict's text before translation, in the "TArVerdict" context.
    const char* source() const;
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

    // Parses the binary answer for a disc of `discTracks` audio tracks (the count in the file
    // name asked for): pressings one after the other, each a 13-byte header (track count, id1,
    // id2, cddb id, little-endian) and 9 bytes per track (confidence, sum, sum of sector 450).
    // False (and no pressings) when the bytes do not make whole pressings.
    bool Parse(const QByteArray& bytes, int discTracks);

    // Every pressing of the answer, those that do not fit the disc too.
    const std::vector<Pressing>& Pressings() const { return m_pressings; }
    // The pressings whose track count is the disc's: the only ones that give verdicts.
    int FittingPressings() const;

    // The verdict of track `index` (0-based) with its two sums, from the pressings that fit
    // the disc and their entries of nonzero confidence: silent for sums of silence, whatever
    // the pressings hold; accurate when an entry holds either sum; not accurate when entries
    // exist for the track but none matches; not in database when there is none.
    TArVerdict Verdict(int index, uint32_t v1, uint32_t v2) const;

private:
    std::vector<Pressing> m_pressings;
    int m_discTracks = 0;
};
