// Converts a WAV file that holds MPEG Layer-3 data into a plain 16-bit PCM WAV file in memory,
// with FFmpeg's fixed-point MP3 decoder. Runs on the thread that opens the file.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

class TWaveConverter {
public:
    // Reads the whole WAV file from `source` (rewound to `start` first) and decodes its data
    // chunk. On success `pcmWav` holds a complete RIFF/WAVE file (44-byte header, PCM data)
    // and the result is true; else `error` says why.
    static bool Convert(QIODevice& source, qint64 start, QByteArray& pcmWav, QString& error);
};
