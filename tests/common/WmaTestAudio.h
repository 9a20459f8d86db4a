// Audio fixtures for the Windows Media tests: PCM made here (WAV files around it come from
// TestAudio), and the oracles' views of what we wrote (ffprobe, mutagen, ffmpeg's decoder).
#pragma once

#include "tests/common/TestAudio.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <vector>

// Interleaved 16-bit PCM: a tone per channel (440 Hz, 660 Hz, ...) at about half scale.
QByteArray MakeTone(int frames, int sampleRate, int channels, double amplitude = 12000.0);
// Interleaved 16-bit PCM of a sweep from 200 Hz upwards (never repeats, so offsets show).
QByteArray MakeSweep(int frames, int sampleRate, int channels, double amplitude = 12000.0);

// ffprobe's JSON (-show_format -show_streams) for a file; empty object if it fails.
QJsonObject Probe(const QString& path);
// The tags mutagen finds in an ASF file, as name -> the value's text, or an array of the texts
// of a name stored more than once.
QJsonObject MutagenAsfTags(const QString& path);
// ffmpeg's decoding of a file as interleaved 16-bit PCM (channels and rate kept).
QByteArray FfmpegDecode(const QString& path);

// The ASF file `asf` with an Extended Content Encryption object put into its header, as the
// files of a DRM shop carry.
QByteArray WithContentEncryption(const QByteArray& asf);

std::vector<int16_t> Samples(const QByteArray& pcm);
// Signal-to-noise ratio in dB of `got` against `want`, compared from `wantFrom` over `frames`
// frames of `channels` channels, with `got` starting `offset` frames later than `want`.
double SnrDb(const std::vector<int16_t>& want, const std::vector<int16_t>& got, int channels,
             int64_t wantFrom, int64_t frames, int64_t offset);
