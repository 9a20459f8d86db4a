// A disc image described by a CUE sheet, read with libcue: its FILE lines (relative to the
// sheet's folder; raw BINARY or MOTOROLA sectors, WAV files, or anything FFmpeg decodes that
// holds CD audio), laid out on a disc as a drive would report it: INDEX 00 audio and PREGAP
// silence before each track's INDEX 01, audio before track 1's INDEX 01 as a hidden track.
// Open checks the whole sheet and its files and says what is wrong. One thread at a time.
#pragma once

#include "CdText.h"
#include "ImageSource.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TCueImage {
public:
    struct TTrack {
        int Number = 0;
        int64_t Start = 0;   // sector of INDEX 01; sector 0 is the image's first sector
        uint8_t Control = 0; // 0x04 data, 0x02 copy permitted, 0x01 pre-emphasis
        int64_t Gap = 0;     // sectors before INDEX 01 that belong to the gap: PREGAP, INDEX 00
    };

    TCueImage();
    ~TCueImage();
    TCueImage(const TCueImage&) = delete;
    TCueImage& operator=(const TCueImage&) = delete;

    // Reads the sheet at `path` and opens its files. False with ErrorText saying what is wrong
    // (the sheet or file, and the track or line concerned).
    bool Open(const QString& path);

    const std::vector<TTrack>& Tracks() const { return m_tracks; }
    int64_t LeadOut() const { return m_leadOut; } // sectors of the whole image
    const TCdText& CdText() const { return m_cdText; }

    // Reads `count` sectors of 2352 bytes from `sector`. False when they lie outside the image,
    // belong to a data track of other than 2352-byte sectors, or a file cannot give them
    // (ErrorText says why).
    bool ReadSectors(int64_t sector, int64_t count, uint8_t* out);

    const QString& ErrorText() const { return m_error; }

private:
    struct TSegment {
        int64_t DiscStart = 0; // first sector on the disc
        int64_t Sectors = 0;
        int File = -1;          // index in m_files; -1 for silence
        int64_t FileByte = 0;   // byte of the first sector in the file
        int SectorBytes = 2352; // bytes a sector takes in the file
    };

    struct TSheetTrack; // a track as the sheet describes it, before it is placed on the disc

    bool Fail(const QString& text);
    bool OpenFile(const QString& name, const QString& type);
    bool Layout(const std::vector<TSheetTrack>& tracks);
    void Append(int64_t sectors, int file = -1, int64_t fileByte = 0, int sectorBytes = 2352);

    QString m_path;
    std::vector<std::unique_ptr<TImageSource>> m_files;
    std::vector<QString> m_fileNames;
    std::vector<TSegment> m_segments;
    std::vector<TTrack> m_tracks;
    int64_t m_leadOut = 0;
    TCdText m_cdText;
    QString m_error;
};
