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

    int Number = 0;  // the track's 1-based position in the table of contents: what is read
    QString Title;   // as tagged; may hold "/"
    QString Artist;  // the track's own performer; empty when the disc artist's
    QString Path;    // the finished file
    QString WavPath; // the intermediate WAV's name when it is kept (the file when WAV is ripped)

    // Filled in by the rip job.
    TState State = TState::Pending;
    TTrackCheck Check; // the sums of what was read
    TArVerdict Verdict;
    QString VerdictText; // the verdict as reported, "" until the database was asked
};

struct TRipPlan {
    TDiscFields Disc;
    int TrackTotal = 0;       // the disc's number of tracks, for "3/12" in the tags; 0 unknown
    bool Compilation = false; // the tracks have performers of their own
    int Format = 0;           // the output format index
    QString OutputFolder;     // the folder the template's paths start in
    QString FilesFolder;      // where the log, playlist, cue sheet and cover go: the first file's
    std::vector<TRipPlanTrack> Tracks;

    // The plan of the ticked rows among `rows` (the whole disc, so track numbers are positions
    // and TrackTotal its size): names from options.NameTemplate (empty: "{title}") below
    // options.OutputFolder in options.OutputFormat, FatSafeNames applied, repeated names told
    // apart with " (2)" and so on. False with `error` set when the template is no template.
    static bool Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                      const TAppOptions& options, TRipPlan* plan, QString* error);
    // Build with `templateText` instead of options.NameTemplate; for the options dialog's
    // example and the command line's --name-template.
    static bool Build(const std::vector<TTrackRow>& rows, const TDiscFields& disc,
                      const TAppOptions& options, const QString& templateText, TRipPlan* plan,
                      QString* error);

    // `path` relative to FilesFolder, as the log, playlist and cue sheet name files.
    QString RelativeToFiles(const QString& path) const;
};
