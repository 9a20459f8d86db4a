// The record a rip worker (and later the rip job itself) posts with each progress or outcome
// event: made by the sender, owned by the event that carries it, read on the GUI thread.
#pragma once

#include "TrackCheck.h"
#include "audio/LoudnessMeter.h"
#include "audio/MeterThread.h"

#include <QString>
#include <memory>

// Values of TProcessInfo::Value beside 0..100 percent.
constexpr int ProcessNormalizing = 999; // the normalisation pass starts
constexpr int ProcessRipEnded = 1000;   // the worker has ended; ErrorCode tells how
constexpr int ProcessEncoded = 2000;    // encoding finished, or skipped after a failed rip
constexpr int ProcessMeasured = 3000;   // a track's meter has measured all of it (Loudness)

// Values of TProcessInfo::ErrorCode.
constexpr int RipOk = 0;
constexpr int RipReadFailed = 3;   // a sector read failed, or the track has no sectors
constexpr int RipSkipped = 4;      // encoding skipped after a failed rip
constexpr int RipCannotCreate = 5; // the WAV file cannot be created (or the title names a path)
constexpr int RipWriteFailed = 6;  // writing the WAV failed (disk full, I/O error)
constexpr int EncodeFailed = 7;    // with ProcessEncoded: the output's run failed (ErrorText)

struct TProcessInfo {
    int Value = 0;
    int ErrorCode = RipOk;
    // For RipWriteFailed: "Cannot write <path>: <system reason>"; for RipCannotCreate of a
    // usable name "Cannot create <path>: <system reason>"; for EncodeFailed the output's
    // FailureText. Empty otherwise.
    QString ErrorText;
    // With ProcessRipEnded and RipOk: the track's checksums and read counts.
    TTrackCheck Check;
    // With ProcessRipEnded and RipOk, when ReplayGain is on: the loudness of the samples the
    // WAV holds (after normalisation), which the encoders are given. With ProcessMeasured: the
    // meter that has measured its whole track.
    std::shared_ptr<const TLoudnessMeter> Loudness = nullptr;
    // With RipCannotCreate and RipWriteFailed: the errno of the failure, 0 when unknown.
    int SystemError = 0;
    // With ProcessRipEnded and RipOk: the thread still measuring Loudness, or null when
    // Loudness is complete. It posts ProcessMeasured to the worker's receiver once done; the
    // receiver must cancel it (or let it go) before it is destroyed.
    std::shared_ptr<TMeterThread> Measuring = nullptr;
};
