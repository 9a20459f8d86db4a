// What a rip job tells its presenter (the rip dialog, the command line): the track being
// ripped, progress, hint texts, error messages, and its end. Called on the GUI thread.
#pragma once

#include <QString>

class TRipJobReport {
public:
    virtual ~TRipJobReport() = default;

    // A track starts: its number and title from its entry, and the tracks completed so far.
    virtual void TrackStarted(int number, const QString& title, int completed) = 0;
    // A track's rip has ended: the WAV's path and the worker's error code (0 = ripped).
    virtual void TrackEnded(int number, const QString& title, const QString& wavPath,
                            int errorCode) = 0;
    // Encoded formats: the track's WAV is being encoded into `path`.
    virtual void EncodingStarted(int /*number*/, const QString& /*title*/,
                                 const QString& /*path*/) {}
    // Encoded formats: the track's finishing steps are done. `ok` is false when its rip or its
    // encoding failed (a Message said why).
    virtual void TrackFinished(int /*number*/, const QString& /*title*/, const QString& /*path*/,
                               bool /*ok*/) {}
    // "Extracting...", "Normalizing...", "Encoding...".
    virtual void Hint(const QString& text) = 0;
    // The progress bar's caption: "Initializing...", "Extracting...", "Encoding...".
    virtual void BarCaption(const QString& text) = 0;
    // 1..100 percent of the current step.
    virtual void Progress(int percent) = 0;
    // An error message for the user.
    virtual void Message(const QString& text) = 0;
    // The drive failed before a track could be read; the job waits to be stopped.
    virtual void Halted() = 0;
    // The job has ended: every track done, or stopped.
    virtual void Finished(bool stopped) = 0;
};
