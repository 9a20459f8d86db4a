// CUE/BIN disc images for the tests: discs with every byte known (each track's sectors hold a
// pattern derived from the track and sector number, so a misplaced sector shows), and long
// silent ones.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class TTestDisc {
public:
    // Writes `<dir>/<name>.cue` and `.bin`: tracks of the given sector counts, back to back.
    // `firstOffset` sectors of other audio come before the first track (its INDEX 01), so the
    // first track starts that much later than 00:02:00.
    TTestDisc(const QString& dir, const std::vector<int>& trackSectors, int firstOffset = 0,
              const QString& name = QStringLiteral("disc"));

    QString CuePath;
    QString BinPath;
    std::vector<int> Sectors;
    std::vector<int> StartSector; // of each track in the BIN file

    // The bytes of track `index` (0-based) as the BIN holds them.
    QByteArray TrackBytes(int index) const;
    // Cuts the BIN to `sectors` sectors.
    void TruncateBin(qint64 sectors) const;

    // A CUE whose tracks, numbered from `firstTrack`, start at the given BIN sectors, over a
    // silent sparse BIN of `totalSectors` beside it; for tests that need long discs without
    // writing their audio. Returns `cuePath`.
    static QString WriteSparse(const QString& cuePath, const std::vector<int>& startSectors,
                               qint64 totalSectors, const char* trackMode = "AUDIO",
                               int firstTrack = 1);

    // The same tracks as sheets of other layouts, written beside this disc's sheet as
    // `<name>.cue`, their files named after it; `cdText` lines go before the first FILE line.
    // One FLAC file of the whole disc (made with the flac tool):
    QString WriteFlacSheet(const QString& name, const QByteArray& cdText = {}) const;
    // One BIN per track, named `<name>-NN.bin`:
    QString WritePerTrackSheet(const QString& name, const QByteArray& cdText = {}) const;

    // The disc as other rippers write it, beside this disc's sheet, its files named after
    // `name`; every one describes the same table. The first `gaps[i]` sectors of track i are its
    // gap before INDEX 01 (track 1's: audio before it, a hidden track). `texts` holds the disc's
    // performer and title, then each track's title. Returns, in order: one BIN with INDEX 00
    // lines; one BIN per track with each gap at the end of the previous track's file (no TRACK
    // line in the file of its INDEX 01); with each gap at the start of its own track's file;
    // without the gaps' audio, PREGAP lines instead; and a cdrdao TOC file with CD_TEXT blocks
    // over a raw big-endian file (".cdr").
    QStringList WriteGapLayouts(const QString& name, const std::vector<int>& gaps,
                                const QStringList& texts) const;

    // "mm:ss:ff" of a sector count, as sheets write times.
    static QByteArray Msf(qint64 sectors);

    // The pattern byte of the BIN at absolute byte `offset`.
    static char PatternByte(qint64 offset);
};
