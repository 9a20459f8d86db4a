// The main window: the checkable track list of the disc in the open drive, the disc fields, the
// output format and folder, and the commands that start the rip and the other dialogs. It
// presents the disc session and the jobs; the work happens in them. GUI (main) thread only.
#pragma once

#include "disc/DiscSession.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QThread;
class QTimer;
class QTreeView;
class TCdPlayer;
class TDiscMonitor;
class TPcmSink;
class TTrackListModel;
class TfrmCDRip;
struct TDriveRead;

// Addresses the help and home page commands open.
QString OnlineHelpAddress();
QString HomePageAddress();

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // What the window does when first shown: open the drive the settings chose (the first
    // when none was chosen or it is gone) and read its disc.
    void StartUp();
    // Saves the texts of the disc on show, then opens drive `index` afresh and reads its disc
    // on a worker thread: the track list and the disc fields come from the table of contents
    // and the disc's own texts in cd.dat (empty when it has none). discRead follows.
    void ReadDrive(int index);
    // A drive is being opened or read.
    bool IsReading() const { return m_reader != nullptr; }
    // Saves the texts of the disc on show under the key of the disc they were read from. Throws
    // TSettingsError naming the file when cd.dat cannot be written.
    void SaveDiscTexts();
    // Saves the disc texts and options.ini now (the session ends, a signal asks the program to
    // quit); returns what could not be saved, each naming its file.
    QStringList SaveAll();

    // Plays into `sink` from now on instead of the sound output (tests, the benchmark).
    void UsePlayerSink(std::unique_ptr<TPcmSink> sink);
    TCdPlayer* Player() const { return m_player; }
    bool IsPlaying() const { return m_playing; }
    bool IsPaused() const { return m_paused; }
    // The elapsed time of the playing track ("01:05 / 03:20"), in the status bar's panel 1.
    QString ElapsedText() const;

    // Puts the disc images `paths` first in the drive list (instead of the images before) and
    // reads the first. One that cannot serve is named in a box and the drives stay as they were.
    // False when nothing was opened (a rip runs, or the image cannot serve).
    bool OpenDiscImages(const QStringList& paths);
    // Reads the drive whose device is `device` (/dev/sr0); a box says so when there is none
    // (false then).
    bool SelectDrive(const QString& device);

    // Shows the session's disc fields and titles again after something else changed them.
    void ShowDiscTexts();

    // Shows, restores and raises the window (a second start asked for it).
    void BringToFront();
    // The status bar's panel 0.
    QString StatusText() const;
    void SetStatusText(const QString& text);

    TDiscSession& Session() { return m_session; }
    TTrackListModel* Model() const { return m_model; }
    TDiscMonitor* Monitor() const { return m_monitor; }

    // Set by the code that owns the lookup dialog: opens the lookup for tracks first..last of
    // the open drive. While none is set, "Query CDDB" stays disabled.
    void SetLookupLauncher(std::function<void(HCDROM, int, int)> launcher);
    // Set by the code that owns the converter dialog: converts `files` of kind `tag` (2..10).
    // While none is set, the converter commands stay disabled.
    void SetConverterLauncher(std::function<void(const QStringList&, int)> launcher);

    // Actions, named as the commands.
    QAction* aRip;
    QAction* aOpenImage; // File > Open Disc Image...
    QAction* aSelectAll;
    QAction* aSelectNone;
    QAction* aInvertSelection;
    QAction* aEditTrackName;
    QAction* aQueryCDDB;
    QAction* aOptions;
    QAction* aHelp;
    QAction* aHomepage;
    QAction* aPlay;
    QAction* aPause;
    QAction* aStop;
    QAction* EjectCDRom1;
    QAction* CloseCDROM1;
    QAction* miJumpoutputfolder;
    QAction* RefreshCD1;
    QAction* miAbout;
    QAction* miExit;
    QList<QAction*> ConverterItems; // tags 2..10 in order

    QTreeView* ListView1;
    QLineEdit* ID3artist;
    QLineEdit* ID3album;
    QLineEdit* ID3year;
    QLineEdit* editDisc; // "N" or "N/M": which disc of a set, of how many
    QComboBox* ID3genre;
    QLineEdit* ID3comment;
    QComboBox* cbOutputFormat;
    QLineEdit* eOutputDir;
    QPushButton* bBrowser;
    QMenu* PopupMenu1;

signals:
    // A read of the drive has ended (rows replaced or cleared).
    void discRead();
    // A rip dialog was opened (for tests and the benchmark).
    void ripStarted(TfrmCDRip* dialog);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildCentralWidget();
    void updateActions();
    void showFields();
    void showArtistColumn();
    void clearFields();
    void rememberTextsOfDiscOnShow();
    void applyRead(TDriveRead& read);
    void dropReader();
    void onArrival();
    void onRemoval();
    void refreshCd();
    void chooseDiscImage();
    void ripSelected();
    void editTrackName();
    void queryCddb();
    void showOptions();
    void browseOutputFolder();
    void jumpOutputFolder();
    void openOrSay(const QUrl& url);
    void launchConverter(int tag);
    void showAbout();
    void playSelected();
    void pausePlay();
    void stopPlay();
    void playEnded(const QString& failure);
    void showElapsed();
    void moveTray(bool open);
    void waitForTray();
    void onRowClicked(const QModelIndex& index);
    int selectedRow() const;
    QStringList closeDown();

    TDiscSession m_session;
    TTrackListModel* m_model;
    TDiscMonitor* m_monitor;
    QLabel* m_status;
    bool m_noDiscAtStart = false;
    QString m_idleStatus;
    int m_driveIndex = 0;
    bool m_starting = false;       // the first read, whose lack of a disc sets the flag above
    bool m_takeIdleStatus = false; // the read after a drive switch sets the idle status text
    // The thread reading a drive and where it leaves what it read; null when none runs.
    QThread* m_reader = nullptr;
    std::shared_ptr<TDriveRead> m_read;
    bool m_readAgain = false;       // a disc event came while a read ran
    bool m_lookUpAfterRead = false; // a disc arrived and the options ask for a lookup
    QPointer<TfrmCDRip> m_rip;
    bool m_discEventWhileRipping = false;
    bool m_closed = false; // the close steps have run
    // Playback: the player, whether a play was started and not stopped yet and whether it is
    // paused, and the title of the track it plays (a resumed play shows it again).
    TCdPlayer* m_player = nullptr;
    bool m_playing = false;
    bool m_paused = false;
    QString m_playTitle;
    QLabel* m_elapsed;
    QTimer* m_elapsedTimer;
    QThread* m_tray = nullptr; // moves the tray; the status text follows when it ends
    bool m_driveIsImage = false;
    std::function<void(HCDROM, int, int)> m_lookup;
    std::function<void(const QStringList&, int)> m_converter;
};
