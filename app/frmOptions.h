// The "Options" dialog: edits a settings record (output folder and format, WAV keeping,
// normalisation, how a rip names its files, the drive, and the MP3, Ogg, WMA, FLAC, APE, Opus
// and AAC encoder settings) and tells whether the drive changed. GUI (main) thread only.
#pragma once

#include "audio/DiscFields.h"
#include "disc/TrackRow.h"
#include "settings/TAppOptions.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QWidget;

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    // Loads the controls from `options`; OK writes them back into it (nothing else is touched),
    // so `options` must outlive the dialog.
    explicit TfrmOptions(TAppOptions& options, QWidget* parent = nullptr);

    // After OK: a drive list was shown and its choice differs from the drive the settings named
    // on opening (-1 counting as 0).
    bool DriveChanged() const { return m_driveChanged; }

    // The disc the file name example is made from: the first ticked row of `rows` (the first
    // row when none is ticked) with `disc`'s fields. Without rows, a made-up disc stands in.
    void SetExampleDisc(const std::vector<TTrackRow>& rows, const TDiscFields& disc);

    // Why the controls cannot be stored, naming the field, and the control to correct; empty
    // when every control holds a valid value.
    QString Problem(QWidget** where = nullptr) const;

    // The MP3 bit rates the VBR fields offer, kbit/s.
    static const int Mp3BitRates[14];

    QTabWidget* PageControl1;
    QPushButton* btOk;
    QPushButton* btCancel;
    // Output
    QLineEdit* editOutputDir;
    QPushButton* btBrowser;
    QCheckBox* ckbKeepWav;
    QComboBox* cbOutputFormat;
    QCheckBox* ckNormalize;
    // "Also write": one box per format, the formats a rip writes from the same read besides the
    // one chosen above (whose box is disabled).
    std::vector<QCheckBox*> ckAlsoFormats;
    QSpinBox* SpinEdit1;
    QComboBox* cbReplayGain; // ReplayGain.Mode: Off, Track, Album
    QComboBox* cbCDList;
    QLineEdit* editNameTemplate; // the rip's name template
    QComboBox* cbNamePreset;     // fills editNameTemplate
    QLabel* lbNameExample;       // the example disc's first file, or the template's fault
    QCheckBox* ckFatSafeNames;
    QCheckBox* ckWritePlaylist;
    QCheckBox* ckWriteCueSheet;
    // LAME
    QRadioButton* rbCBR;
    QComboBox* cbConstantBitRate;
    QRadioButton* rbVBR;
    QCheckBox* ckbVBRHead;
    QComboBox* cbMinBitRate;
    QComboBox* cbMaxBitRate;
    QComboBox* cbVBRQuality;
    QComboBox* cbStereoMode;
    QSlider* tbMP3Cpu;
    QPushButton* bDefault;
    // OGG
    QCheckBox* cbUseCompress;
    QSlider* tbCompression;
    QLabel* lbOggQuality; // the slider's value
    QComboBox* cbOggNomBit;
    QComboBox* cbOggMaxBit;
    QComboBox* cbOggMinBit;
    // WMA
    QListWidget* lbCodecs;
    QListWidget* lbFormats;
    QCheckBox* cbWMA_VBR;
    QPushButton* bWMADefault;
    // FLAC
    QComboBox* cbFlacCompression;
    // APE
    QSlider* tbAPECpuUsage;
    QSpinBox* seAPECompression;
    // Opus
    QSpinBox* seOpusBitrate; // kbit/s
    QSlider* tbOpusComplexity;
    // AAC
    QSpinBox* seAacBitrate;          // kbit/s
    QSpinBox* seConverterJobs;       // "More" page: files the converter works on at once
    QCheckBox* ckCoverArt;           // "More" page: fetch, embed and save the front cover
    QLineEdit* editEmail;            // "More" page: QueryCDDB.Email
    QRadioButton* rbReadPlain;       // "More" page: ReadMode plain
    QRadioButton* rbReadSecure;      // "More" page: ReadMode secure
    QRadioButton* rbReadVerifyFirst; // "More" page: ReadMode verify-first
    QCheckBox* ckAutoLookup;         // "More" page: look a disc up when it is inserted
    QCheckBox* ckEjectWhenDone;      // "More" page: after a rip that succeeded
    QCheckBox* ckOpenFolderWhenDone;
    QLineEdit* editAccurateRipServer; // "More" page: AccurateRip server
    QLabel* lbApeLevelNote;           // shown when the value is not a level the compressor has

public slots:
    void accept() override;

private:
    QWidget* buildOutputPage();
    QWidget* buildLamePage();
    QWidget* buildOggPage();
    QWidget* buildWmaPage();
    QWidget* buildFlacPage();
    QWidget* buildApePage();
    QWidget* buildOpusPage();
    QWidget* buildAacPage();
    QWidget* buildMorePage();
    void load();
    void save();
    void browse();
    void updateNameExample();
    // The "Also write" boxes' list of formats, as OutputFormats keeps it.
    QString alsoFormatsText() const;
    void updateVbrControls();
    void fillFormats();
    void updateWmaVbrBox();
    void lameDefaults();
    void wmaDefaults();

    TAppOptions& m_options;
    int m_shownDrive = 0; // the drive the settings named on opening, -1 taken as 0
    bool m_driveChanged = false;
    int m_shownFormat = -1; // the format the combo box showed last, for the "also" swap
    std::vector<TTrackRow> m_exampleRows; // see SetExampleDisc
    TDiscFields m_exampleDisc;
};
