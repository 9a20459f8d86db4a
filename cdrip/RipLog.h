// The log a rip leaves beside its files: program version, drive and read offset, read mode,
// table of contents (data tracks marked, the last session where there is one), and per track
// its file, CRC32, AccurateRip sums, database verdict and re-read and unreadable sector
// counts, with a closing summary. `verify DIR` reads the table, the file names and their CRC32s
// back from it. Plain value type; Write touches the file system (any thread, one at a time).
#pragma once

#include "TrackCheck.h"
#include "accuraterip/TArResponse.h"
#include "disc/TableOfContents.h"

#include <QString>
#include <vector>

class TRipLog {
public:
    struct Track {
        int Number = 0; // on the disc, 1-based
        QString File;   // the file's path relative to the log's folder; empty when none was written
        bool Ok = false; // read (and encoded) without error
        TTrackCheck Check;
        TArVerdict Verdict;
    };

    QString Drive;
    int ReadOffset = 0; // samples
    bool Secure = false;
    int ReadSpeed = 0;        // asked of the drive, times 176,400 bytes a second; 0 = fastest
    int NormalizePercent = 0; // 0 = off
    QString GainNote;         // what ReplayGain tags the files got; empty when it is off
    QString Album;
    QString Artist;
    TTableOfContents Disc; // the table of contents, frames from the start of the disc
    QString DatabaseNote;  // why the verdicts are "not checked", when they are
    bool Stopped = false;
    std::vector<Track> Tracks;

    QString Text() const;
    // The closing summary, also the last line of the text: "3 tracks ripped: 3 accurate." and
    // the like.
    QString Summary() const;
    // "suspicious, N sectors" for a track with unreadable sectors, else empty.
    static QString SuspiciousText(const TTrackCheck& check);

    // "<album>.log" in `folder` (the album made a safe file name, FAT-safe with `fatSafe`;
    // "rip.log" without one); a log of that name that exists already is kept and this one
    // becomes "<album> (2).log" and so on. Written complete under a temporary name, then given
    // its own. Returns the path, or empty with `error` set.
    QString Write(const QString& folder, bool fatSafe, QString* error) const;
    static QString LogFileName(const QString& album, bool fatSafe = false);

    // Reads the table of contents (data tracks and the last session too) and the tracks'
    // numbers, files and CRC32s (Check.Valid set where the log holds one) back from a log's
    // text, and the normalisation percentage (0 for off) when `normalizePercent` is given.
    // False when the text holds no table.
    static bool Parse(const QString& text, TTableOfContents* disc, std::vector<Track>* tracks,
                      int* normalizePercent = nullptr);
};
