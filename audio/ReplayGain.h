// The ReplayGain values of one file: track gain and peak, and album gain and peak, each pair
// present or not. Gains are in dB against the reference of -18 LUFS, peaks are sample peaks
// with 1.0 as full scale. Also the tag texts the formats carry. A plain value; any thread.
#pragma once

#include <QString>

struct TReplayGain {
    // What a rip or a conversion writes: nothing, the track values, or both pairs.
    enum class TMode { Off, Track, Album };
    // "off", "track" or "album" (any case); false for anything else.
    static bool ParseMode(const QString& text, TMode* mode);
    static QString ModeName(TMode mode);

    static constexpr double ReferenceLufs = -18.0;
    // The gain that brings audio of `lufs` to the reference; false for silence (no loudness).
    static bool GainOf(double lufs, double* gain);

    bool HasTrack = false;
    double TrackGain = 0.0; // dB
    double TrackPeak = 0.0;
    bool HasAlbum = false;
    double AlbumGain = 0.0; // dB
    double AlbumPeak = 0.0;

    bool isEmpty() const { return !HasTrack && !HasAlbum; }
    // "-3.21 dB", as the REPLAYGAIN_*_GAIN tags hold it.
    static QString GainText(double gain);
    // "0.988525", as the REPLAYGAIN_*_PEAK tags hold it.
    static QString PeakText(double peak);
    // The R128_*_GAIN value of an Opus file for `gain`: the Q7.8 integer of the gain against
    // -23 LUFS (round((-23 - L) * 256)), clamped to 16 bits.
    static int R128Of(double gain);
};
