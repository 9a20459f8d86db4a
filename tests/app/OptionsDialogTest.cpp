// The options dialog over a settings record: what OK stores (and when it stores nothing), the
// enable rules, the default buttons, the drive-change answer, the file name example, and the
// main window's use of it.
#include "app/TrackListModel.h"
#include "app/Translations.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "codecs/WmaFormats.h"
#include "disc/CdAccess.h"
#include "encode/OutputFormats.h"
#include "settings/AppOptions.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "tests/app/WidgetClipping.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDir(dir.path());
        LoadOptions();
        options = AppOptions;
        options.OutputFolder = dir.path();
        // Two drives: two disc images.
        first = TTestDisc::WriteSparse(dir.filePath("first.cue"), {0}, 300);
        second = TTestDisc::WriteSparse(dir.filePath("second.cue"), {0, 150}, 300);
        SetDiscImages({first, second});
    }
    void TearDown() override { SetDiscImages({}); }

    // Every stored setting of `o` by key, to compare records.
    static std::map<QString, QString> stored(const TAppOptions& o) {
        std::map<QString, QString> m;
        for (const TSettingDef& d : SettingDefs())
            m[QString::fromLatin1(d.Section) + '/' + d.Key] = d.get(o);
        return m;
    }

    QTemporaryDir dir;
    TAppOptions options;
    QString first, second;
};

TEST_F(OptionsDialog, OkWithoutChangesStoresTheSameSettingsAndControlsShowThem) {
    // Values away from the defaults, so a control that loads or stores the wrong field shows.
    options.OutputFormat = FormatWav;
    options.IsKeepWav = true;
    options.IsNormalize = true;
    options.NormalizePercent = 80;
    options.IsSelectVBR = true;
    options.IsVBRHead = true;
    options.BitRate = 64;
    options.MaxBitRate = 256;
    options.VBRQuality = 7;
    options.StereoMode = 3;
    options.Mp3Cpu = 2;
    options.ConstantBitRate = 8;
    options.IsUseCompress = false;
    options.CompressPosition = 55;
    options.OggMaxBitRate = 12;
    options.OggNomalBitRate = 8;
    options.OggMinBitRate = 3;
    options.FormatIndex = 4;
    options.FlacCompression = 6;
    options.ApeCompression = 3000;
    options.ApeCpu = 1;
    options.OpusBitrate = 96;
    options.OpusComplexity = 4;
    options.AacBitrate = 256;
    options.DriveIndex = 1;
    options.CoverArt = false;
    options.ReadMode = "verify-first";
    options.AccurateRipServer = "127.0.0.1:8080";
    options.QueryCDDBEmail = "fan@example.org";
    options.NameTemplate = "{album}/{disc}-{track} {title}";
    options.FatSafeNames = true;
    options.WritePlaylist = false; // the two boxes differ, so swapped boxes show
    options.ReplayGainMode = "album";
    const auto before = stored(options);

    TfrmOptions d(options);
    EXPECT_EQ(d.windowTitle(), "Options");
    EXPECT_EQ(d.PageControl1->currentIndex(), 0);
    // The inverted box: keeping the WAV shows as an unchecked "Delete WAV file".
    EXPECT_FALSE(d.ckbKeepWav->isChecked());
    EXPECT_EQ(d.cbMinBitRate->currentText(), "64 kbit/s");
    EXPECT_EQ(d.cbConstantBitRate->currentText(), "320");
    EXPECT_EQ(d.cbOggNomBit->currentText(), "128 kbit/s");
    EXPECT_EQ(d.seOpusBitrate->text(), "96 kbit/s");
    EXPECT_EQ(d.tbOpusComplexity->value(), 4);
    EXPECT_EQ(d.seAacBitrate->value(), 256);
    EXPECT_EQ(d.cbCDList->count(), 2);
    EXPECT_EQ(d.cbCDList->currentIndex(), 1);
    EXPECT_FALSE(d.ckCoverArt->isChecked());
    EXPECT_TRUE(d.rbReadVerifyFirst->isChecked());
    EXPECT_FALSE(d.rbReadSecure->isChecked() || d.rbReadPlain->isChecked());
    EXPECT_EQ(d.editAccurateRipServer->text(), "127.0.0.1:8080");
    EXPECT_EQ(d.editEmail->text(), "fan@example.org");
    EXPECT_EQ(d.editNameTemplate->text(), "{album}/{disc}-{track} {title}");
    EXPECT_TRUE(d.ckFatSafeNames->isChecked());
    EXPECT_FALSE(d.ckWritePlaylist->isChecked());
    EXPECT_TRUE(d.ckWriteCueSheet->isChecked());
    EXPECT_EQ(d.cbReplayGain->currentText(), "Track and album gain");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(stored(options), before);
    EXPECT_FALSE(d.DriveChanged());
}

TEST_F(OptionsDialog, DeleteWavIsDisabledForWavOutputAndItsStateIsStillSaved) {
    options.OutputFormat = FormatMp3;
    TfrmOptions d(options);
    EXPECT_TRUE(d.ckbKeepWav->isEnabled());
    d.cbOutputFormat->setCurrentIndex(FormatWav);
    EXPECT_FALSE(d.ckbKeepWav->isEnabled());
    d.ckbKeepWav->setChecked(true);
    d.accept();
    EXPECT_FALSE(options.IsKeepWav);
    EXPECT_EQ(options.OutputFormat, FormatWav);
}

TEST_F(OptionsDialog, EnableRulesFollowTheirBoxes) {
    TfrmOptions d(options);
    EXPECT_FALSE(d.SpinEdit1->isEnabled());
    d.ckNormalize->click();
    EXPECT_TRUE(d.SpinEdit1->isEnabled());
    EXPECT_EQ(d.SpinEdit1->minimum(), 1); // 0 % would silence every rip

    for (QWidget* w : {(QWidget*)d.ckbVBRHead, (QWidget*)d.cbMinBitRate, (QWidget*)d.cbMaxBitRate,
                       (QWidget*)d.cbVBRQuality})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    d.rbVBR->click();
    for (QWidget* w : {(QWidget*)d.ckbVBRHead, (QWidget*)d.cbMinBitRate, (QWidget*)d.cbMaxBitRate,
                       (QWidget*)d.cbVBRQuality})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    d.rbCBR->click();
    EXPECT_FALSE(d.cbMinBitRate->isEnabled());

    // APE: levels the compressor lacks are said to be written at 2000.
    d.seAPECompression->setValue(2500);
    EXPECT_FALSE(d.lbApeLevelNote->isHidden());
    d.seAPECompression->setValue(3000);
    EXPECT_TRUE(d.lbApeLevelNote->isHidden());
}

TEST_F(OptionsDialog, WmaVbrCannotBeChosenWithoutVbrFormatsButAStoredOneCanBeUndone) {
    std::vector<TWmaFormat> vbr;
    ASSERT_FALSE(TWmaFormats::Enumerate(0, true, vbr)) << "the encoder now has VBR formats";
    {
        TfrmOptions d(options);
        EXPECT_FALSE(d.cbWMA_VBR->isEnabled());
        EXPECT_FALSE(d.cbWMA_VBR->toolTip().isEmpty());
        EXPECT_GT(d.lbFormats->count(), 0);
    }
    options.WmaVBR = true;
    TfrmOptions d(options);
    EXPECT_TRUE(d.cbWMA_VBR->isEnabled());
    EXPECT_EQ(d.lbFormats->count(), 0);
    d.cbWMA_VBR->click();
    EXPECT_FALSE(d.cbWMA_VBR->isEnabled());
    EXPECT_GT(d.lbFormats->count(), 0);
    d.accept();
    EXPECT_FALSE(options.WmaVBR);
    EXPECT_EQ(options.FormatIndex, 0);
}

TEST_F(OptionsDialog, DefaultButtonsSetTheirPagesDefaults) {
    options.IsSelectVBR = true;
    options.IsVBRHead = true;
    options.BitRate = 32;
    options.MaxBitRate = 64;
    options.VBRQuality = 9;
    options.StereoMode = 0;
    options.Mp3Cpu = 1;
    options.ConstantBitRate = 0;
    options.FormatIndex = 3;
    TfrmOptions d(options);
    d.bDefault->click();
    d.bWMADefault->click();
    d.accept();
    TAppOptions defaults;
    EXPECT_FALSE(options.IsSelectVBR);
    EXPECT_FALSE(options.IsVBRHead);
    EXPECT_EQ(options.BitRate, 128);
    EXPECT_EQ(options.MaxBitRate, 320);
    EXPECT_EQ(options.VBRQuality, defaults.VBRQuality);
    EXPECT_EQ(options.StereoMode, defaults.StereoMode);
    EXPECT_EQ(options.Mp3Cpu, defaults.Mp3Cpu);
    EXPECT_EQ(options.ConstantBitRate, defaults.ConstantBitRate);
    EXPECT_EQ(options.CodecIndex, 0);
    std::vector<TWmaFormat> formats;
    TWmaFormats::Enumerate(0, false, formats);
    EXPECT_EQ(options.FormatIndex, formats.size() > 29 ? 29 : -1);
    EXPECT_FALSE(options.WmaVBR);
}

TEST_F(OptionsDialog, AnInvalidFieldStoresNothingAndKeepsTheDialogOpen) {
    const struct {
        QString folder, min, max, says;
    } cases[] = {
        {dir.path(), "abc", "320", "Minimum bitrate"},
        {dir.path(), "1000", "320", "Minimum bitrate"}, // not read as 100
        {dir.path(), "33 kbit/s", "320", "Minimum bitrate"},
        {dir.path(), "128", "", "Maximum bitrate"},
        {dir.path(), "320 kbit/s", "128", "minimum bitrate is above"},
        {dir.filePath("file"), "128", "320", "is a file, not a folder"},
        {" ", "128", "320", "Please choose an output folder."},
    };
    WriteWholeFile(dir.filePath("file"), "x");
    for (const auto& c : cases) {
        const auto before = stored(options);
        TfrmOptions d(options);
        d.show();
        // Changes before the bad field in the mapping order must not be stored either.
        d.editOutputDir->setText(c.folder);
        d.cbOutputFormat->setCurrentIndex(FormatFlac);
        d.rbVBR->click();
        d.cbMinBitRate->setEditText(c.min);
        d.cbMaxBitRate->setEditText(c.max);
        d.accept();
        EXPECT_EQ(stored(options), before) << c.min.toStdString();
        EXPECT_TRUE(d.isVisible());
        auto* box = d.findChild<QMessageBox*>();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains(c.says)) << box->text().toStdString();
        box->accept();
    }
    // Valid texts, with or without the unit, are read as whole numbers; a folder that does not
    // exist yet (a new account's music folder) is kept for the rip to make.
    TfrmOptions d(options);
    d.editOutputDir->setText(dir.filePath("Music/Sondrel"));
    d.ckEjectWhenDone->setChecked(true);
    d.ckAutoLookup->setChecked(true);
    d.tbCompression->setValue(60); // the encoder's quality 0.5, oggenc's -q 5
    EXPECT_EQ(d.lbOggQuality->text(), "q 5.0");
    d.cbMinBitRate->setEditText(" 40");
    d.cbMaxBitRate->setEditText("224 kbit/s");
    d.accept();
    EXPECT_EQ(options.BitRate, 40);
    EXPECT_EQ(options.MaxBitRate, 224);
    EXPECT_EQ(options.OutputFolder, dir.filePath("Music/Sondrel"));
    EXPECT_TRUE(options.EjectWhenDone);
    EXPECT_FALSE(options.OpenFolderWhenDone);
    EXPECT_TRUE(options.AutoLookup);
}

TEST_F(OptionsDialog, TheNameExampleFollowsTypingABadTemplateIsRefusedAndOkStoresTheNames) {
    options.OutputFormat = FormatFlac;
    TfrmOptions d(options);
    d.show();
    // Without a disc, a made-up one.
    d.editNameTemplate->setText("{albumartist}/{album}/{track} {title}");
    EXPECT_EQ(d.lbNameExample->text(), "Artist/Album/01 Title.flac");

    // The window's disc: the first ticked row is the second, whose title has a "/".
    std::vector<TTrackRow> rows(3);
    rows[0] = {1, "Intro", "", "00:02", "01:00", true, false};
    rows[1] = {2, "Song/Part 1", "Guest", "01:02", "03:00", true, true};
    rows[2] = {3, "Outro", "", "04:02", "01:00", true, true};
    TDiscFields disc;
    disc.Artist = "Band";
    disc.Album = "Live";
    disc.Year = "1999";
    d.SetExampleDisc(rows, disc);
    d.editNameTemplate->clear();
    QTest::keyClicks(d.editNameTemplate, "{albumartist}/{alb");
    EXPECT_TRUE(d.lbNameExample->text().contains("without its"))
        << d.lbNameExample->text().toStdString();
    QTest::keyClicks(d.editNameTemplate, "um}/{track} {title}");
    EXPECT_EQ(d.lbNameExample->text(), "Band/Live/02 Song-Part 1.flac");
    // The preset box shows the template's preset; the next one fills the box.
    EXPECT_EQ(d.cbNamePreset->currentIndex(), 2);
    d.cbNamePreset->setFocus();
    QTest::keyClick(d.cbNamePreset, Qt::Key_Down);
    EXPECT_EQ(d.editNameTemplate->text(), "{albumartist}/{album} ({year})/{track} {title}");
    EXPECT_EQ(d.lbNameExample->text(), "Band/Live (1999)/02 Song-Part 1.flac");

    // An unknown field: named in the example and by OK, which stores nothing.
    const auto before = stored(options);
    d.editNameTemplate->setText("{albumartist}/{composer} {title}");
    EXPECT_TRUE(d.lbNameExample->text().contains("{composer}"));
    QWidget* where = nullptr;
    EXPECT_TRUE(d.Problem(&where).contains("unknown field {composer}"))
        << d.Problem().toStdString();
    EXPECT_EQ(where, d.editNameTemplate);
    d.ckWriteCueSheet->setChecked(false);
    d.btOk->click();
    EXPECT_TRUE(d.isVisible());
    auto* box = d.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("{composer}")) << box->text().toStdString();
    box->accept();
    EXPECT_EQ(stored(options), before);

    d.editNameTemplate->setText("{artist}/{title}");
    d.ckFatSafeNames->setChecked(true);
    d.ckWritePlaylist->setChecked(false);
    d.btOk->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(options.NameTemplate, "{artist}/{title}");
    EXPECT_TRUE(options.FatSafeNames);
    EXPECT_FALSE(options.WritePlaylist);
    EXPECT_FALSE(options.WriteCueSheet);
}

TEST_F(OptionsDialog, ADriveChangeIsReportedExactlyWhenTheIndexChanged) {
    const struct {
        int stored, chosen;
        bool changed;
    } cases[] = {{-1, 0, false}, {-1, 1, true}, {1, 1, false}, {1, 0, true}, {0, 0, false}};
    for (const auto& c : cases) {
        options.DriveIndex = c.stored;
        TfrmOptions d(options);
        d.cbCDList->setCurrentIndex(c.chosen);
        d.accept();
        EXPECT_EQ(d.DriveChanged(), c.changed) << c.stored << " -> " << c.chosen;
        EXPECT_EQ(options.DriveIndex, c.chosen);
    }
}

TEST_F(OptionsDialog, BrowseStartsInTheFolderTheFieldNames) {
    const QString sub = dir.filePath("sub");
    QDir().mkpath(sub);
    TfrmOptions d(options);
    d.editOutputDir->setText(sub);
    d.btBrowser->click();
    auto* chooser = d.findChild<QFileDialog*>();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(QDir(chooser->directory()).canonicalPath(), QDir(sub).canonicalPath());
    chooser->reject();
}

TEST_F(OptionsDialog, MnemonicsAreUniqueColonsPlainAndNoTextIsCutOnEveryPageInEnglishAndGerman) {
    auto letter = [](const QString& text) {
        const int at = text.indexOf('&');
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
    };
    // Austrian German has no translation of its own: it takes the German one.
    for (const char* language : {"en", "de-AT"}) {
        SCOPED_TRACE(language);
        const TTranslations translations({QString::fromLatin1(language)});
        TfrmOptions d(options);
        d.show();
        if (QLatin1String(language) != QLatin1String("en")) {
            EXPECT_EQ(translations.Language(), "de");
            EXPECT_EQ(d.PageControl1->tabText(0), "&Ausgabe");
        }
        for (int page = 0; page < d.PageControl1->count(); ++page) {
            d.PageControl1->setCurrentIndex(page);
            const QStringList clipped = ClippedWidgets(d);
            EXPECT_TRUE(clipped.isEmpty())
                << "page " << page << ": " << clipped.join(QLatin1String("; ")).toStdString();
            std::map<QChar, QString> seen;
            auto add = [&](const QString& text) {
                // The full-width colon is missing from the common Latin fonts (a box is shown).
                EXPECT_FALSE(text.contains(QChar(0xFF1A))) << text.toStdString();
                const QChar c = letter(text);
                if (c.isNull())
                    return;
                EXPECT_TRUE(seen.emplace(c, text).second)
                    << text.toStdString() << " and " << seen[c].toStdString();
            };
            for (int t = 0; t < d.PageControl1->count(); ++t)
                add(d.PageControl1->tabText(t));
            for (auto* b : d.findChildren<QAbstractButton*>())
                if (b->isVisibleTo(&d))
                    add(b->text());
            for (auto* l : d.findChildren<QLabel*>())
                if (l->isVisibleTo(&d))
                    add(l->text());
            for (auto* g : d.findChildren<QGroupBox*>())
                if (g->isVisibleTo(&d))
                    add(g->title());
        }
    }
}

TEST_F(OptionsDialog, CtrlOOpensItOkSwitchesTheDriveOnlyWhenItChangedAndTheNextStartUsesIt) {
    AppOptions = options;
    TfrmMain w;
    w.show();
    QSignalSpy read(&w, &TfrmMain::discRead);
    w.StartUp();
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(w.Model()->rowCount(), 1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    // Encoder-only changes: no new read.
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    auto* d = w.findChild<TfrmOptions*>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->lbNameExample->text(), "Track01.mp3"); // the window's disc, not a made-up one
    d->cbOutputFormat->setCurrentIndex(FormatOgg);
    d->cbConstantBitRate->setCurrentIndex(7);
    d->btOk->click();
    EXPECT_FALSE(read.wait(300));
    EXPECT_EQ(AppOptions.OutputFormat, FormatOgg);
    EXPECT_EQ(AppOptions.ConstantBitRate, 7);
    EXPECT_EQ(w.cbOutputFormat->currentIndex(), FormatOgg);
    // Confirmed options are on disk at once, not only at exit.
    EXPECT_EQ(TIniFile(OptionsPath()).value("CommonOptions", "OutputFormat"),
              QString::number(FormatOgg));
    QTest::qWait(0); // the closed dialog deletes itself

    // Another drive: its disc is read.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.findChild<TfrmOptions*>() == nullptr; }));
    w.aOptions->trigger();
    d = w.findChild<TfrmOptions*>();
    ASSERT_NE(d, nullptr);
    d->cbCDList->setCurrentIndex(1);
    d->btOk->click();
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(w.Model()->rowCount(), 2);
    EXPECT_EQ(AppOptions.DriveIndex, 1);

    // The next start opens the drive chosen, so the dialog and the window agree on it.
    TfrmMain next;
    QSignalSpy nextRead(&next, &TfrmMain::discRead);
    next.StartUp();
    ASSERT_TRUE(nextRead.wait(5000));
    EXPECT_EQ(next.Model()->rowCount(), 2);
}

} // namespace
