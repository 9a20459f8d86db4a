// The process-wide settings record: the user's settings, the texts of the disc in the drive
// and the CDDB lookup settings. Read and written on the GUI (main) thread; the rip worker only
// reads OutputFolder, IsNormalize and NormalizePercent while a rip runs, when nothing else
// writes them.
#pragma once

#include <QString>
#include <array>

struct TAppOptions {
    // Settings block (options.ini)
    QString OutputFolder;
    int OutputFormat = 0; // index into the output formats, see FormatName()
    bool IsKeepWav = false;
    bool IsNormalize = false;
    int NormalizePercent = 95;
    bool EnableRipTime = false;
    int RipTime = 0;
    bool IsSelectVBR = false;
    bool IsVBRHead = false;
    int BitRate = 128;    // MP3 VBR minimum, kbit/s
    int MaxBitRate = 320; // MP3 VBR maximum, kbit/s
    int VBRQuality = 4;
    int StereoMode = 1;
    int Mp3Cpu = 3;
    int ConstantBitRate = 5; // index into 48, 56, 64, 80, 96, 128, 192, 256, 320 kbit/s
    bool IsUseCompress = true;
    int CompressPosition = 30;
    int OggMaxBitRate = 0;
    int OggNomalBitRate = 0;
    int OggMinBitRate = 0;
    int CodecIndex = 0;
    int FormatIndex = 29;
    bool WmaVBR = false;
    int FlacCompression = 2;
    int ApeCompression = 2000;
    int ApeCpu = 3;
    int DriveIndex = -1;
    bool CDDb = false;

    // Disc information block (cd.dat)
    QString CDArtist;
    QString CDAlbum;
    QString CDYear;
    int CDGenre = -1; // 0 = blank entry, 1..148 = genre names, -1 = nothing chosen
    QString CDComment;
    int CDTrackNumber = 0;
    std::array<QString, 101> Titles; // Titles[1] .. Titles[100]; Titles[0] is unused

    // Lookup block (options.ini, section QueryCDDB)
    QString Server;
    QString Script;
    bool UseProxy = false;
    QString ProxyAddress;
    QString Port;
};

extern TAppOptions AppOptions;
