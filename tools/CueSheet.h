// A CUE sheet for a disc image held in one BIN file of raw audio sectors: its text, and the
// writing of the sheet and of a silent BIN. Shared by the demo disc tool and the tests' disc
// images. Any thread; an instance is used by one thread at a time.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

class TCueSheet {
public:
    static constexpr int SectorBytes = 2352; // one raw sector: 588 frames of 16-bit stereo

    struct Track {
        qint64 Start = 0;   // sector of INDEX 01 in the BIN
        qint64 Pregap = -1; // sector of INDEX 00, -1 for none
        QString Mode = QStringLiteral("AUDIO");
        QString Title; // a TITLE line when not empty
    };

    QString Performer; // PERFORMER and TITLE lines of the disc when not empty
    QString Title;
    int FirstTrack = 1; // number of the first track; the others follow
    std::vector<Track> Tracks;

    // Adds an audio track starting at `start` (a sector of the BIN).
    void AddTrack(qint64 start, const QString& title = QString());

    // The sheet, naming `binName` as its BIN (in the CUE's folder).
    QByteArray Text(const QString& binName) const;
    // Writes the sheet to `cuePath`, naming the BIN beside it (BinPathFor). False with the
    // file and the system's reason in `error` (when given).
    bool Write(const QString& cuePath, QString* error = nullptr) const;

    // The BIN beside `cuePath`: its name with the extension replaced by ".bin".
    static QString BinPathFor(const QString& cuePath);
    // Makes `binPath` `sectors` sectors of silence long, without writing them (a sparse file).
    static bool WriteSilentBin(const QString& binPath, qint64 sectors, QString* error = nullptr);
};
