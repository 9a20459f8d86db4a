// Test audio and the oracles around it: music-like PCM (chords with envelopes), WAV files,
// decoding with ffmpeg, signal-to-noise figures, tags read by mutagen.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// `frames` frames of interleaved little-endian PCM: a sequence of chords (three partials each
// with its own envelope, channels slightly detuned) at about -6 dBFS. 8-bit is unsigned.
QByteArray MusicPcm(int frames, int channels, int sampleRate, int bitsPerSample);

// A canonical 44-byte-header WAV file holding `pcm`, as bytes or written to `path`.
QByteArray MakeWav(const QByteArray& pcm, int sampleRate, int channels, int bitsPerSample);
void WriteWav(const QString& path, const QByteArray& pcm, int channels, int sampleRate,
              int bitsPerSample);

// Decodes `path` with ffmpeg to 16-bit interleaved samples with the file's own channel count
// and rate; empty when ffmpeg fails. `channels` receives the decoded channel count.
std::vector<short> DecodeWithFfmpeg(const QString& path, int* channels = nullptr);

std::vector<short> ToSamples(const QByteArray& pcm16);

// Signal-to-noise ratio in dB of `decoded` against `reference` (both interleaved 16-bit) after
// shifting `decoded` by the lag in -maxLag..maxLag frames that fits best; `lag` receives it.
double SnrDb(const std::vector<short>& reference, const std::vector<short>& decoded, int channels,
             int maxLag, int* lag = nullptr);

// Runs a small Python program with mutagen and returns its standard output (trimmed); the
// file's path is sys.argv[1].
QString Mutagen(const QString& script, const QString& path);

// True when ffmpeg (and the other oracle programs) can be started.
bool HaveProgram(const QString& name);
