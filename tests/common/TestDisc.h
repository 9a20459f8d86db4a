// CUE/BIN disc images for the tests: discs with every byte known (each track's sectors hold a
// pattern derived from the track and sector number, so a misplaced sector shows), and long
// silent ones.
#pragma once

#include <QByteArray>
#include <QString>
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

    // "mm:ss:ff" of a sector count, as sheets write times.
    static QByteArray Msf(qint64 sectors);

    // The pattern byte of the BIN at absolute byte `offset`.
    static char PatternByte(qint64 offset);
};
