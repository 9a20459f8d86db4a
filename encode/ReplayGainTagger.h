// Writes ReplayGain values into a finished file of one output format, tags only, the audio
// untouched: REPLAYGAIN_TRACK_GAIN/PEAK and REPLAYGAIN_ALBUM_GAIN/PEAK comments in FLAC and Ogg
// Vorbis, items in APEv2, ID3v2.3 TXXX frames in MP3, attributes in WMA, iTunes freeform atoms
// (----:com.apple.iTunes:replaygain_*) in .m4a, and R128_TRACK_GAIN/R128_ALBUM_GAIN in Opus.
// TagLib makes room for the tag (padding, or the Ogg comment pages laid out anew). Values
// absent from the TReplayGain are left as the file has them; a WAV file, which carries no
// tags, is left as it is. Any thread; one file at a time.
#pragma once

#include "audio/ReplayGain.h"

#include <QString>

class TReplayGainTagger {
public:
    // Rewrites the tags of `path` (a file of output format `format`) in place; for a file no
    // one else has seen yet (the encoder's partial file). Returns "" or why it failed,
    // naming the file.
    static QString WriteInPlace(const QString& path, int format, const TReplayGain& gain);
    // Writes the tags into a copy of `path` beside it (its partial name), then renames the
    // copy over `path`, so that a crash or full disk never leaves a half-tagged file. On a
    // failure the copy is removed and `path` is as it was.
    static QString WriteByCopy(const QString& path, int format, const TReplayGain& gain);
};
