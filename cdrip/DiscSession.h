// The main window's drive and disc state without the window: opens a drive, tells whether it
// holds an audio CD, reads the disc into track list rows and disc fields, and saves the titles
// back to cd.dat. The window and the command line present it. GUI (main) thread only.
#pragma once

#include "CdAccess.h"
#include "TrackRow.h"
#include "settings/SettingsStore.h"

#include <QString>
#include <vector>

// Status texts the main window shows in its status bar.
inline const QString StatusNoDevices = QStringLiteral("Can not find CD devices!");
inline const QString StatusBadDriveIndex =
    QStringLiteral("CD device information error in your configration!");
inline const QString StatusNoToc = QStringLiteral("Can not get CD device information!");
inline const QString StatusNoAudioCd = QStringLiteral("Can not find audio CD in your CD device.");

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
    // Loads the disc's texts from cd.dat, then rebuilds Rows and Fields from the table of
    // contents. Nothing happens without a drive.
    void ReadDisc();
    // Copies the rows' titles into AppOptions and saves the disc's section of cd.dat, as the
    // main window does when it closes. Throws TSettingsError when cd.dat cannot be written.
    void SaveDiscTexts();
    // Closes the drive; true when there was none or it closed.
    bool CloseDrive();

    // The track entries for a rip: TwoDigit(row position) followed by the title, for each
    // checked row in order.
    QStringList CheckedEntries() const;

    HCDROM Handle = 0;
    QString DriveDescription; // vendor directly followed by product
    QString StatusText;       // what status panel 0 shows
    std::vector<TTrackRow> Rows;
    TDiscFields Fields;
};
