// The normalisation pass of a ripped WAV: every 16-bit sample scaled by a percentage of its
// value, written to "<name>.nor" and renamed over the WAV. Runs on the rip worker's thread.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class TLoudnessMeter;

// x × gain rounded to the nearest integer (ties to even), clamped to -32768..32767.
int16_t NormalizeSample(int16_t x, float gain);

// Scales the samples of the WAV at `wavPath` (a 44-byte header, then 16-bit little-endian
// samples) by `percent` / 100. `progress` gets the percent of the WAV read before each block of
// 2048 bytes. On any I/O error the ".nor" file is removed, the WAV keeps its unscaled samples,
// `error` gets the reason and the result is false. `meter`, when given, measures the scaled
// samples.
bool NormalizeWavFile(const QString& wavPath, int percent, const std::function<void(int)>& progress,
                      QString* error, TLoudnessMeter* meter = nullptr);

// "<folder>/<name>.nor" for "<folder>/<name>.wav".
QString NormalizedTempPath(const QString& wavPath);
