// What a rip is to do, decided before it starts: one record per track (its number, texts, the
// file it becomes and the intermediate WAV), the disc's fields and the folder the rip's own
// files (log, playlist, cue sheet, cover) go into. The window and the command line build it
// with Build; the rip job walks the records and fills in each track's results, which the log,
// the playlist, the cue sheet and the window's verdicts then read. A plain value; the job owns
// its copy (GUI thread).
#pragma once

#include "TrackCheck.h"
#include "accuraterip/TArResponse.h"
#include "audio/DiscFields.h"
#include "audio/ReplayGain.h"
#include "disc/TrackRow.h"
#include "settings/TAppOptions.h"

#include <QString>
#include <vector>

struct TRipPlanTrack {
    enum class TState {
        Pending, // not reached yet
        Skipped, // its file existed and the user chose to keep it
        Failed,  // read or encoding failed; a message said why
        Done,    // its file was written under Path
    };

    int Number = 0; // the track's 1-based position in the table of contents: what is read
    QString Title;  // as tagged; may hold "/"
    QString Artist; // the track's own performer; empty when the disc artist's
    QString Path;   // the finished file of the first format (Paths[0])
    std::vector<QString> Paths; // the finished file of each of the plan's formats
    // The intermediate WAV's name when it is kept; the WAV format's file when WAV is one of the
    // formats.
    QString WavPath;

    // Filled in by the rip job.
    TState State = TState::Pending;
    TTrackCheck Check; // the sums of what was read (and kept)
    // Verify-first: the first read was not confirmed and the track was read again in secure
    // mode; FirstRead and FirstVerdict are the first read's (Valid false when it failed).
    bool ReadTwice = false;
    TTrackCheck FirstRead;
    TArVerdict FirstVerdict;
    TArVerdict Verdict;
    QString VerdictText; // the verdict as reported, "" until the database was asked
    TReplayGain Gain;    // with ReplayGain on: the track's values once read, the album's at the end
};

struct TRipPlan {
    TDiscFields Disc;
    int TrackTotal = 0;       // the disc's number of tracks, for "3/12" in the tags; 0 unknown
    bool Compilation = false; // the tracks have performers of their own
    int Format = 0;           // the first output format index (Formats[0])
    std::vector<int> Formats; // every format the rip writes from one read, first to last
    QString OutputFolder;     // the folder the template's paths start in
    // Where the log, playlist, cue sheet and cover go: the folder of the first file, one for
    // each format (FilesFolder is the first format's).
    QString FilesFolder;
    std::vector<QString> FilesFolders;
    std::vector<TRipPlanTrack> Tracks;

    // The plan of the ticked rows among `rows` (the whole disc, so track numbers are positions
    // and TrackTotal its size): names from options.NameTemplate (empty: "{title}") below
    // options.OutputFolder in each format of RipFormatsOf(options), FatSafeNames applied,
    // repeated names told apart with " (2)" and so on. With several formats and no {format} in
    // the template, each format's files go below "<format>/". False with `error` set when the
    // template is no template.
    static bool Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                      const TAppOptions& options, TRipPlan* plan, QString* error);
    // Build with `templateText` instead of options.NameTemplate; for the options dialog's
    // example and the command line's --name-template.
    static bool Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                      const TAppOptions& options, const QString& templateText, TRipPlan* plan,
                      QString* error);

    // `path` relative to FilesFolders[format], as the log, playlist and cue sheet name files.
    QString RelativeToFiles(const QString& path, size_t format = 0) const;
};
