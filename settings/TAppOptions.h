// The settings record: the user's settings, the texts of the disc in the drive and the CDDB
// lookup settings. Jobs and workers take a copy of it when they are made; the process-wide
// record is declared in AppOptions.h.
#pragma once

#include <QMap>
#include <QString>
#include <array>

struct TAppOptions {
    // Settings block (options.ini)
    QString OutputFolder;
    // Output format index: 0 MP3, 1 WAV, 2 OGG, 3 WMA, 4 FLAC, 5 APE, 6 Opus, 7 AAC, 8 ALAC.
    int OutputFormat = 0;
    // Further formats a rip writes from the same read, after OutputFormat: indexes separated by
    // commas ("4,0"); empty for OutputFormat alone.
    QString OutputFormats;
    bool IsKeepWav = false;
    bool IsNormalize = false;
    int NormalizePercent = 95;
    // ReplayGain tags of rips and conversions: "off", "track" or "album".
    QString ReplayGainMode = QStringLiteral("off");
    bool EnableRipTime = false;
    int RipTime = 0;
    // How a rip names its files below OutputFolder: fields in braces ({albumartist}, {album},
    // {track}, {title}, ...), "/" between folders. "{title}" writes every file into the folder.
    QString NameTemplate = QStringLiteral("{title}");
    // Names that FAT, exFAT and NTFS also take: no \:*?"<>|, no trailing dot, no CON, NUL, ...
    bool FatSafeNames = false;
    bool WritePlaylist = true;       // "<album>.m3u8" beside the rip log
    bool WriteCueSheet = true;       // "<album>.cue" naming the ripped files, beside the rip log
    bool EjectWhenDone = false;      // the window ejects the disc after a rip that succeeded
    bool OpenFolderWhenDone = false; // the window opens the output folder after such a rip
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
    int OpusBitrate = 128;   // kbit/s of the whole stream, 6..256 (VBR aims at it)
    int OpusComplexity = 10; // the encoder's effort, 0 (fastest) .. 10 (best)
    int AacBitrate = 192;    // kbit/s of the whole stream, 32..320
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
    // The user's e-mail address, sent in the CDDB hello and the MusicBrainz User-Agent as the
    // databases ask; "" = none given (the hello then says sondrel@localhost).
    QString QueryCDDBEmail;

    // Converter block (options.ini, section Converter)
    int ConverterJobs = 0; // files the converter works on at once; 0 = one per core

    // Lookup sources block (options.ini, section Lookup)
    QString LookupSource;      // "cddb", "musicbrainz" or "musicbrainz,cddb" (CDDB on no match)
    QString MusicBrainzServer; // URL; the public service by default
    bool CoverArt = true;      // fetch the front cover, embed it and save it beside the files
    QString CoverArtServer;    // URL of the cover archive
    bool AutoLookup = false;   // the window looks a disc up when it is inserted

    // Secure ripping block (options.ini, sections Ripping, AccurateRip and ReadOffsets)
    // "plain", "secure" or "verify-first" (ReadMode.h); options.ini files that have only the
    // older SecureRip switch read as "secure" when it is on.
    QString ReadMode = QStringLiteral("plain");
    int ReadSpeed = 0;         // asked of the drive, times 176,400 bytes a second; 0 = fastest
    QString AccurateRipServer; // "host[:port]" or a URL; empty = no database lookup
    // Read offset of each drive in samples (stereo pairs), keyed by the drive's description;
    // a drive without an entry has 0.
    QMap<QString, int> ReadOffsets;
};
