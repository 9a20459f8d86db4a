// The converter kinds (the tags of the converter commands) and the input and output format
// each of them wires together; the command line's "--to" conversions use the same routes with
// the input chosen from each file's name.
#pragma once

#include <QString>

// Converter kinds 2 to 10.
enum TConverterKind {
    ckWavToMp3 = 2,
    ckWavToOgg = 3,
    ckWavToWma = 4,
    ckWavToFlac = 5,
    ckWavToApe = 6,
    ckMp3ToWav = 7,
    ckWmaToWav = 8,
    ckMp3ToWma = 9,
    ckWmaToMp3 = 10,
};

// Which input component reads the files.
enum class TConvertInput {
    Wave,       // WaveIn1
    MP3,        // MP3In1
    WM,         // WMIn1
    ByFileName, // WaveIn1 for ".wav" files, WMIn1 (FFmpeg's reader) for anything else
};

// An input and an output format index (0 MP3, 1 WAV, 2 OGG, 3 WMA, 4 FLAC, 5 APE).
struct TConvertRoute {
    TConvertInput Input = TConvertInput::Wave;
    int Format = 0;
};

// The route of a converter kind; false for a number outside 2..10.
bool RouteOfKind(int kind, TConvertRoute& route);
// The kind named on the command line ("wav2mp3" ... "wma2mp3"), 0 when there is none.
int KindOfName(const QString& name);
