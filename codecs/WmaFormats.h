// The WMA codecs and formats this build can write: the WMA encoders FFmpeg has, each with the
// bitrate / sample rate / channel combinations it accepts, in a fixed order (index 29 of codec 0
// is 128 kbit/s, 44.1 kHz, stereo, the default of the settings). Safe to call from any thread:
// the lists are built once, under a lock, on first use.
#pragma once

#include "codecs/WmaFormat.h"

#include <QString>
#include <QStringList>
#include <vector>

class TWmaFormats {
public:
    // Display names of the codecs, codec 0 first (FFmpeg's long names).
    static QStringList CodecNames();
    static int CodecCount();
    // FFmpeg's encoder name of a codec ("wmav2"); empty for an index out of range.
    static QString EncoderName(int codecIndex);

    // Fills `formats` with the formats of one codec and answers true. With `vbr` true the
    // variable-bitrate (and lossless) formats are asked for; no WMA encoder here has any, so
    // that fails (false, `formats` empty), as does an index out of range.
    static bool Enumerate(int codecIndex, bool vbr, std::vector<TWmaFormat>& formats);

    // "128 kbps, 44 kHz, stereo CBR": kHz truncated, as the format lists show them.
    static QString Describe(const TWmaFormat& format);
};
