// The log a rip leaves beside its files: program version, drive and read offset, read mode,
// table of contents (data tracks marked, the last session where there is one), and per track
// its file, CRC32, AccurateRip sums, database verdict, re-read and unreadable sector counts,
// and how it was read and how long that took, with a closing summary. `verify DIR` reads the table,
// the file names and their CRC32s back from it. Plain value type; Write touches the file system
// (any thread, one at a time).
#pragma once

#include "TrackCheck.h"
#include "accuraterip/TArResponse.h"
#include "disc/TableOfContents.h"
#include "settings/ReadMode.h"

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
        // Verify-first: the track was read again in secure mode after its first read (whose
        // check, invalid when that read failed, and verdict follow); Check is the second's.
        bool ReadTwice = false;
        TTrackCheck FirstRead = {};
        TArVerdict FirstVerdict = {};
    };

    QString Drive;
    int ReadOffset = 0; // samples
    TReadMode Mode = TReadMode::Plain;
    // Verify-first without a database answer: why every track was read in secure mode.
    QString FallbackNote;
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
    // "suspicious, N sectors" for a track with unreadable sectors, else empty: in English, as
    // the log writes it, and translated, as the window shows it.
    static QString SuspiciousText(const TTrackCheck& check);
    static QString ShownSuspiciousText(const TTrackCheck& check);

    // "<album>.log" in `folder` (the album made a safe file name, FAT-safe with `fatSafe`;
    // "rip.log" without one); a log of that name that exists already is kept and this one
    // becomes "<album> (2).log" and so on, unless `replace` (the user agreed to replace the
    // rip's files that exist). Written complete under a temporary name, then given its own.
    // Returns the path, or empty with `error` set.
    QString Write(const QString& folder, bool fatSafe, bool replace, QString* error) const;
    static QString LogFileName(const QString& album, bool fatSafe = false);

    // Reads the table of contents (data tracks and the last session too) and the tracks'
    // numbers, files and CRC32s (Check.Valid set where the log holds one) back from a log's
    // text, and the normalisation percentage (0 for off) when `normalizePercent` is given.
    // False when the text holds no table.
    static bool Parse(const QString& text, TTableOfContents* disc, std::vector<Track>* tracks,
                      int* normalizePercent = nullptr);

private:
    // How track `t` was read: "once, accurate (confidence 12); 3.1 s reading", "once, not
    // confirmed (not accurate); secure re-read: 2 sectors re-read, 0 unreadable; ..." and the
    // like.
    QString readText(const Track& t) const;
};
