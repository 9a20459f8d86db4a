// Helpers of the audio tests: making fixtures with sox and ffmpeg, decoding a WAV input
// completely, and waiting on the GUI thread while its events are delivered.
#pragma once

#include "audio/ACS_Classes.h"
#include "tests/common/TestUtil.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Runs sox (with -D: no dither) or ffmpeg (bit-exact, no metadata); false when the tool failed.
bool RunSox(const QStringList& args);
bool RunFfmpeg(const QStringList& args);
// What the tool itself decodes from `file`, as signed 16-bit little-endian interleaved PCM.
QByteArray SoxDecode(const QString& file);
QByteArray FfmpegDecode(const QString& file, const QString& decoder = QString());

// Reads everything the input delivers in one run (Open, ReadData until empty, Close), asking
// for `request` bytes each time.
QByteArray ReadAllFrom(TAuInput& input, int request = 16384);

// Processes the GUI thread's events until `done` is true or `timeoutMs` passed; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);
// Runs `out` slowly (10 ms between blocks), asks it to stop asynchronously once its progress
// reaches `percent` and waits for its done event; false when either did not happen in time.
bool RunAndStopAt(TAuOutput& out, int percent, int timeoutMs = 60000);
// Processes the GUI thread's events for `ms` milliseconds.
void ProcessEventsFor(int ms);
