// The main window's drive and disc state without the window: opens a drive, tells whether it
// holds an audio CD, reads the disc into track list rows and disc fields from the texts it is
// given, and gives the texts back for saving under the key of the disc they were read from.
// The window and the command line present it. GUI (main) thread only.
#pragma once

#include "CdAccess.h"
#include "TrackRow.h"
#include "audio/DiscTexts.h"

#include <QString>
#include <vector>

// Status texts the main window shows in its status bar, translated there (context TDiscSession);
// the command line prints them as they are.
inline const QString StatusNoDevices =
    QStringLiteral(QT_TRANSLATE_NOOP("TDiscSession", "No CD drive found."));
inline const QString StatusBadDriveIndex = QStringLiteral(
    QT_TRANSLATE_NOOP("TDiscSession", "CD device information error in your configuration!"));
inline const QString StatusNoToc =
    QStringLiteral(QT_TRANSLATE_NOOP("TDiscSession", "Can not get CD device information!"));
inline const QString StatusNoAudioCd =
    QStringLiteral(QT_TRANSLATE_NOOP("TDiscSession", "Can not find audio CD in your CD device."));

class TDiscSession {
public:
    TDiscSession() = default;
    ~TDiscSession(); // closes the drive
    TDiscSession(const TDiscSession&) = delete;
    TDiscSession& operator=(const TDiscSession&) = delete;

    // Opens drive `index` of the drive list (closing a drive opened before) and returns its
    // handle, or 0 with StatusText saying why.
    HCDROM OpenDrive(int index);
    // True when the open drive (the first drive when none is open) holds a disc with audio.
    bool AudioCdPresent();
    // The key of the disc in the open drive (its cd.dat section), or "" without a drive.
    QString CurrentDiscKey() const;
    // Rebuilds Rows and Fields from the table of contents and `texts` (the disc's cd.dat
    // section; titles and track artists by row position, "TrackNN" where a title is empty)
    // and remembers the disc's key in Key. When `texts` hold nothing a user gave (empty disc
    // fields, only "TrackNN" titles, no track artists), the disc's CD-Text gives the artist,
    // album, titles and, where a track's performer is not the disc's, the track artists.
    // Rows and Fields are emptied first, so a failed read never shows the previous disc.
    // Nothing happens without a drive.
    void ReadDisc(const TDiscTexts& texts);
    // The rows' titles and artists and the fields, as cd.dat keeps them; save them under Key.
    TDiscTexts Texts() const;
    // Closes the drive; true when there was none or it closed.
    bool CloseDrive();

    HCDROM Handle = 0;
    QString DriveDescription; // vendor directly followed by product
    QString StatusText;       // what status panel 0 shows
    QString Key;              // the key of the disc Rows and Fields were read from
    std::vector<TTrackRow> Rows;
    TDiscFields Fields;
    int HiddenSectors = 0; // audio before track 1's start, beyond the 2-second lead-in
};
