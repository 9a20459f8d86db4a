// A disc image laid out as a drive reports it: its tracks (where each INDEX 01 lies, the gap
// before it, control bits, session), the lead-out and the CD-Text, and the data files and the
// silence its sectors come from. The readers of CUE sheets and cdrdao TOC files fill it; the
// CD layer serves it as a drive. Files are only opened once they are known to be regular files,
// so a FIFO, a device or a folder that an image names is refused instead of waited on. One
// thread at a time.
#pragma once

#include "CdText.h"
#include "ImageSource.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TDiscImage {
public:
    struct TTrack {
        int Number = 0;
        int64_t Start = 0;   // sector of INDEX 01; sector 0 is the image's first sector
        uint8_t Control = 0; // 0x04 data, 0x02 copy permitted, 0x01 pre-emphasis, 0x08 4 channels
        int64_t Gap = 0;     // sectors before INDEX 01 that belong to the gap (pregap silence and
                             // index 0 audio)
        int Session = 1;
    };

    // The lead-out of the longest disc: its address with the 2-second lead-in may be 99:59:74.
    // Gaps (silence an image adds) may not take a disc past it; long files may (they are what
    // the user has, and the table shows their minutes in full).
    static constexpr int64_t MaxLeadOut = 99 * 4500 + 59 * 75 + 74 - 150;

    TDiscImage();
    virtual ~TDiscImage();
    TDiscImage(const TDiscImage&) = delete;
    TDiscImage& operator=(const TDiscImage&) = delete;

    // Reads the image at `path` (a name, or a /proc/self/fd path for a name that is not UTF-8)
    // and opens its files. False with ErrorText saying what is wrong, naming the file.
    virtual bool Open(const QString& path) = 0;

    const std::vector<TTrack>& Tracks() const { return m_tracks; }
    int64_t LeadOut() const { return m_leadOut; } // sectors of the whole image
    const TCdText& CdText() const { return m_cdText; }

    // Reads `count` sectors of 2352 bytes from `sector`. False when they lie outside the image,
    // belong to a data track, or a file cannot give them (ErrorText says why).
    bool ReadSectors(int64_t sector, int64_t count, uint8_t* out);

    const QString& ErrorText() const { return m_error; }

    // How a data file holds its bytes.
    enum class TFileKind {
        Raw,          // raw sectors, audio as little-endian samples
        RawBigEndian, // raw sectors, audio as big-endian samples
        Audio,        // a sound file: PCM WAV read as it lies, anything else decoded
    };

    // The bytes of `path`'s file name as the system has it, and the folder it lies in.
    static QByteArray NativePath(const QString& path);
    static QByteArray FolderOf(const QByteArray& nativePath);
    // Why `path` cannot be read as an image file (missing, not a regular file); empty when it
    // can. Nothing is opened.
    static QString RegularFileProblem(const QString& path);

protected:
    bool Fail(const QString& text);
    // Reads the image file itself, at most `maxBytes`; false (after Fail) when it is missing,
    // not a regular file or longer.
    bool ReadImageFile(const QString& path, qint64 maxBytes, QByteArray* text);
    // Opens the data file `name` (bytes as the image gives them; relative to the image's
    // folder) that the image names, trying each of `alternatives` (other spellings of the
    // name) after it. The index of the file, or -1 after Fail.
    int OpenDataFile(const QByteArray& name, const std::vector<QByteArray>& alternatives,
                     TFileKind kind, int64_t byteOffset = 0);
    int64_t FileSize(int file) const { return m_files[size_t(file)].Source->Size(); }
    const QString& FileName(int file) const { return m_files[size_t(file)].Name; }

    // Adds `sectors` sectors of the disc, each `stride` bytes in `file` from `fileByte` on
    // (audio: the first 2352 of each; `audio` false: a data track's sectors, never read).
    // Bytes of the file from `fileEnd` on are read as silence (a last partial sector).
    void AppendFile(int file, int64_t fileByte, int64_t sectors, int stride, bool audio,
                    int64_t fileEnd = INT64_MAX);
    void AppendSilence(int64_t sectors);
    int64_t Position() const { return m_leadOut; }
    // False (after Fail) when gaps make the image longer than a CD can be.
    bool CheckLength();
    bool TooLong() const { return m_silence > 0 && m_leadOut > MaxLeadOut; }
    // A text of the image in its encoding (see m_latin1).
    QString Text(const QByteArray& bytes) const;
    static bool IsUtf8(const QByteArray& bytes);
    // "mm:ss:ff" of a sector count.
    static QString Msf(int64_t sectors);
    // "mm:ss:ff" as CUE sheets and TOC files write times, in sectors; -1 when it is no such
    // time.
    static int64_t ParseMsf(const QByteArray& text);

    QString m_path;        // the image as it is shown in messages
    QByteArray m_folder;   // the folder of the image file, as the system spells it
    bool m_latin1 = false; // the image's texts are Latin-1, not UTF-8
    std::vector<TTrack> m_tracks;
    TCdText m_cdText;

private:
    struct TSegment {
        int64_t DiscStart = 0; // first sector on the disc
        int64_t Sectors = 0;
        int File = -1;        // index in m_files; -1 for silence
        int64_t FileByte = 0; // byte of the first sector in the file
        int Stride = 2352;    // bytes a sector takes in the file
        bool Audio = true;
        int64_t FileEnd = INT64_MAX;
    };
    struct TDataFile {
        std::unique_ptr<TImageSource> Source;
        QString Name; // for messages
        int Fd = -1;  // an O_PATH descriptor the source was opened through
    };

    std::vector<TDataFile> m_files;
    std::vector<TSegment> m_segments;
    int64_t m_leadOut = 0;
    int64_t m_silence = 0; // sectors of gaps the image adds
    QString m_error;
};
