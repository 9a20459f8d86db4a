// The main window over disc images the tests make: what it lists, when its commands are
// enabled, how it follows an image that changes, where disc texts are saved and what closing
// does when a file cannot be written.
#include "app/DiscMonitor.h"
#include "app/MessageBoxes.h"
#include "app/TrackListModel.h"
#include "app/Translations.h"
#include "app/frmCDRip.h"
#include "app/frmEditTrackName.h"
#include "app/frmMain.h"
#include "app/frmRipVerdicts.h"
#include "encode/OutputFormats.h"
#include "player/CdPlayer.h"
#include "settings/AppOptions.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "tests/app/WidgetClipping.h"
#include "tests/common/RecordingSink.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <tuple>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDir(dir.path());
        LoadOptions();
        AppOptions.OutputFolder = dir.filePath("out");
    }
    // A window over the given images, shown and started as the program does.
    std::unique_ptr<TfrmMain> open(const QStringList& images) {
        SetDiscImages(images);
        auto w = std::make_unique<TfrmMain>();
        w->show();
        QSignalSpy read(w.get(), &TfrmMain::discRead);
        w->StartUp();
        EXPECT_TRUE(read.wait(5000));
        return w;
    }
    QString cell(TfrmMain& w, int row, int column) {
        return w.Model()->index(row, column).data().toString();
    }
    // The key cd.dat files a disc image's texts under.
    QString keyOf(const QString& cue) {
        SetDiscImages({cue});
        TDiscSession s;
        s.OpenDrive(0);
        return s.CurrentDiscKey();
    }
    QMessageBox* openBox(QWidget& w) { return w.findChild<QMessageBox*>(); }

    QTemporaryDir dir;
};

TEST_F(MainWindow, ListsTheTracksOfAnImageWithStartsAndLengths) {
    // Tracks at 00:02, 02:58 and 05:03, the lead-out at 05:16:25.
    const QString cue = dir.filePath("long.cue");
    TTestDisc::WriteSparse(cue, {0, 13200, 22575}, 23575);
    auto w = open({cue});
    EXPECT_EQ(w->windowTitle(), "Free Sondrel");
    ASSERT_EQ(w->Model()->rowCount(), 3);
    const int columns[4] = {TTrackListModel::ColNumber, TTrackListModel::ColTitle,
                            TTrackListModel::ColStart, TTrackListModel::ColLength};
    const char* expected[3][4] = {{"1", "Track01", "00:02", "02:56"},
                                  {"2", "Track02", "02:58", "02:05"},
                                  {"3", "Track03", "05:03", "00:13"}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(cell(*w, r, columns[c]), expected[r][c]) << r << "," << c;
        EXPECT_EQ(w->Model()->index(r, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    }
    EXPECT_EQ(w->StatusText(), "Image   long.cue");

    // From the keyboard: Space ticks the current row from any column; Tab follows the boxes
    // as they are shown.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->ListView1->setFocus();
    w->ListView1->setCurrentIndex(w->Model()->index(1, TTrackListModel::ColTitle));
    QTest::keyClick(w->ListView1, Qt::Key_Space);
    EXPECT_EQ(w->Model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    // Ctrl+click ticks the row clicked, though it takes that row out of the selection.
    w->ListView1->selectionModel()->select(
        w->Model()->index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QRect third = w->ListView1->visualRect(w->Model()->index(2, TTrackListModel::ColTitle));
    QTest::mouseClick(w->ListView1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      third.center());
    EXPECT_EQ(w->Model()->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(w->Model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    w->editDisc->setFocus();
    QTest::keyClick(w->editDisc, Qt::Key_Tab);
    EXPECT_TRUE(w->ID3genre->hasFocus());
    QTest::keyClick(w->ID3genre, Qt::Key_Tab);
    EXPECT_TRUE(w->ID3comment->hasFocus());
}

TEST_F(MainWindow, ADataTrackIsListedAsDataAndCannotBeTicked) {
    const QString cue = dir.filePath("mixed.cue");
    WriteWholeFile(cue, "FILE \"mixed.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                        "  TRACK 02 MODE1/2352\n    INDEX 01 00:04:00\n");
    WriteWholeFile(dir.filePath("mixed.bin"), QByteArray(600 * CdSectorBytes, '\0'));
    auto w = open({cue});
    ASSERT_EQ(w->Model()->rowCount(), 2);
    EXPECT_TRUE(cell(*w, 1, TTrackListModel::ColLength).endsWith(" data"));
    w->aSelectAll->trigger();
    w->aInvertSelection->trigger();
    w->aInvertSelection->trigger();
    EXPECT_EQ(w->Model()->CheckedCount(), 1);
    EXPECT_EQ(w->Model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(w->Model()->flags(w->Model()->index(1, 0)) & Qt::ItemIsUserCheckable);
}

TEST_F(MainWindow, RipEditAndLookupAreEnabledOnlyWhenTheyHaveSomethingToWorkOn) {
    // No drive at all (no image; a machine with a real drive lists it and is skipped).
    auto none = open({});
    if (none->Session().Handle != 0)
        GTEST_SKIP() << "this machine has a CD drive";
    none->SetLookupLauncher([](HCDROM, int, int) {});
    EXPECT_EQ(none->StatusText(), "No CD drive found.");
    EXPECT_FALSE(none->aRip->isEnabled());
    EXPECT_FALSE(none->aEditTrackName->isEnabled());
    EXPECT_FALSE(none->aQueryCDDB->isEnabled());
    none.reset();

    TTestDisc disc(dir.path(), {75, 75});
    auto w = open({disc.CuePath});
    EXPECT_TRUE(w->aRip->isEnabled());
    EXPECT_FALSE(w->aEditTrackName->isEnabled()); // nothing selected
    EXPECT_FALSE(w->aQueryCDDB->isEnabled());     // its dialog is not in the program
    int first = 0, last = 0;
    w->SetLookupLauncher([&](HCDROM, int f, int l) { first = f, last = l; });
    EXPECT_TRUE(w->aQueryCDDB->isEnabled());
    w->aQueryCDDB->trigger();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2);

    w->ListView1->setCurrentIndex(w->Model()->index(1, 1));
    EXPECT_TRUE(w->aEditTrackName->isEnabled());
    w->aSelectNone->trigger();
    EXPECT_FALSE(w->aRip->isEnabled());
    w->aInvertSelection->trigger();
    EXPECT_TRUE(w->aRip->isEnabled());
    EXPECT_EQ(w->Model()->CheckedCount(), 2);
}

TEST_F(MainWindow, EveryMenuItemHasAnAccessKeyOfItsOwnAndNoTextIsCutInEnglishAndGerman) {
    // Two items with one key in a menu only take turns at being highlighted: neither runs.
    TTestDisc disc(dir.path(), {75});
    auto key = [](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
    };
    QStringList english; // every menu's and item's text, in menu order
    for (const char* language : {"en", "de"}) {
        SCOPED_TRACE(language);
        const TTranslations translations({QString::fromLatin1(language)});
        auto w = open({disc.CuePath});
        const QStringList clipped = ClippedWidgets(*w);
        EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1String("; ")).toStdString();
        QStringList texts;
        std::map<QChar, QString> titles;
        for (QAction* menuAction : w->menuBar()->actions()) {
            texts << menuAction->text();
            EXPECT_TRUE(titles.emplace(key(menuAction->text()), menuAction->text()).second)
                << menuAction->text().toStdString();
            std::map<QChar, QString> items;
            for (QAction* item : menuAction->menu()->actions()) {
                if (item->isSeparator())
                    continue;
                texts << item->text();
                const QChar c = key(item->text());
                EXPECT_FALSE(c.isNull()) << item->text().toStdString() << " has no access key";
                EXPECT_TRUE(c.isNull() || items.emplace(c, item->text()).second)
                    << item->text().toStdString() << " and " << items[c].toStdString();
            }
        }
        if (english.isEmpty()) {
            english = texts;
            continue;
        }
        // In German every menu and item says something else.
        ASSERT_EQ(texts.size(), english.size());
        for (qsizetype i = 0; i < texts.size(); ++i)
            EXPECT_NE(texts[i], english[i]) << english[i].toStdString() << " is not translated";
        EXPECT_EQ(texts.first(), "&Datei");
    }
}

TEST_F(MainWindow, TheTitleEditTakesAnyTitleButABlankOneAndTheTracksArtist) {
    TTestDisc disc(dir.path(), {75});
    auto w = open({disc.CuePath});
    w->ID3artist->setText("Band");
    EXPECT_TRUE(w->ListView1->isColumnHidden(TTrackListModel::ColArtist));
    w->ListView1->setCurrentIndex(w->Model()->index(0, 1));
    w->aEditTrackName->trigger();
    auto* dialog = w->findChild<TfrmEditTrackName*>();
    ASSERT_TRUE(dialog);
    for (const char* blank : {"", "   "}) {
        dialog->eName->setText(blank);
        EXPECT_FALSE(dialog->bOK->isEnabled()) << '"' << blank << '"';
    }
    // The tag keeps "/" and any length; only the file name is made safe.
    const QString title = "AC/DC medley " + QString(300, 'x');
    dialog->eName->setText(title);
    dialog->eArtist->setText(" Guest ");
    dialog->bOK->click();
    EXPECT_FALSE(openBox(*dialog));
    EXPECT_EQ(cell(*w, 0, TTrackListModel::ColTitle), title);
    EXPECT_EQ(cell(*w, 0, TTrackListModel::ColArtist), "Guest");
    EXPECT_FALSE(w->ListView1->isColumnHidden(TTrackListModel::ColArtist));
    QTest::qWait(0); // the closed dialog deletes itself

    // The disc artist typed again is no artist of the track's own.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->findChild<TfrmEditTrackName*>(); }));
    w->aEditTrackName->trigger();
    dialog = w->findChild<TfrmEditTrackName*>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->eArtist->text(), "Guest");
    dialog->eArtist->setText("Band");
    dialog->bOK->click();
    EXPECT_EQ(cell(*w, 0, TTrackListModel::ColArtist), "");
    EXPECT_TRUE(w->ListView1->isColumnHidden(TTrackListModel::ColArtist));
}

TEST_F(MainWindow, AnImageChangedUnderTheWindowIsReadAgainAndTheTitlesStayWithTheirDisc) {
    TTestDisc discA(dir.path(), {75, 75}, 0, "a");
    const QString keyA = keyOf(discA.CuePath);
    // The window watches one file; the other disc is copied over it.
    const QString cue = dir.filePath("drive.cue");
    QFile::copy(discA.CuePath, cue);
    QFile::copy(discA.BinPath, dir.filePath("drive.bin"));
    auto w = open({cue});
    ASSERT_EQ(w->Monitor()->Method(), "file");
    ASSERT_EQ(w->Model()->rowCount(), 2);
    w->Model()->SetTitle(0, "Alpha");
    w->ID3artist->setText("Artist A");

    // A disc that arrives is looked up when the options say so.
    AppOptions.AutoLookup = true;
    int lookups = 0;
    w->SetLookupLauncher([&](HCDROM, int, int) { ++lookups; });
    TTestDisc discB(dir.path(), {100, 100, 100}, 0, "b");
    const QString keyB = keyOf(discB.CuePath);
    SetDiscImages({cue});
    ASSERT_NE(keyA, keyB);
    QSignalSpy read(w.get(), &TfrmMain::discRead);
    WriteWholeFile(dir.filePath("drive.bin"), ReadWholeFile(discB.BinPath));
    WriteWholeFile(cue, ReadWholeFile(discB.CuePath).replace("b.bin", "drive.bin"));
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(w->Model()->rowCount(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return lookups == 1; }));
    // Disc B has no texts: nothing of disc A shows.
    EXPECT_EQ(cell(*w, 0, 1), "Track01");
    EXPECT_EQ(w->ID3artist->text(), "");
    w->Model()->SetTitle(2, "Gamma");

    // Disc A's texts went to its own section when it left, disc B's go to its own at close.
    w->close();
    const TIniFile ini(DiscInfoPath());
    EXPECT_EQ(ini.value(keyA, "1"), "Alpha");
    EXPECT_EQ(ini.value(keyA, "CDArtist"), "Artist A");
    EXPECT_EQ(ini.value(keyB, "3"), "Gamma");
    EXPECT_EQ(ini.value(keyB, "1"), "Track01");
}

TEST_F(MainWindow, CloseSavesTheDiscTextsEvenWhenTheSettingsCannotBeWrittenAndSaysSo) {
    TTestDisc disc(dir.path(), {75});
    const QString key = keyOf(disc.CuePath);
    auto w = open({disc.CuePath});
    w->Model()->SetTitle(0, "Kept");
    // Texts from CD-Text or a lookup are shown and kept whole, however long.
    const QString artist = QString::fromUtf8("Ünicode Orchestra ") + QString(42, 'a');
    const QString album = QString(70, 'b'), comment = QString(45, 'c');
    w->Session().Fields.Artist = artist;
    w->Session().Fields.Album = album;
    w->Session().Fields.Comment = comment;
    w->ShowDiscTexts();
    EXPECT_EQ(w->ID3artist->text(), artist);
    QDir().mkpath(OptionsPath()); // a folder where options.ini should go
    w->close();
    EXPECT_TRUE(w->isVisible()); // until the message is read
    QMessageBox* box = openBox(*w);
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->text().contains("options.ini")) << box->text().toStdString();
    const TIniFile ini(DiscInfoPath());
    EXPECT_EQ(ini.value(key, "1"), "Kept");
    EXPECT_EQ(ini.value(key, "CDArtist"), artist);
    EXPECT_EQ(ini.value(key, "CDAlbum"), album);
    EXPECT_EQ(ini.value(key, "CDComment"), comment);
    EXPECT_EQ(w->Session().Handle, 0);
    box->accept();
    QApplication::processEvents();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindow, MessagesComeOneAtATimeOverTheirWindowAndReturnDismissesEach) {
    auto w = open({});
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QStringList dismissed;
    ShowMessage(w.get(), QMessageBox::Critical, "first", [&] { dismissed << "first"; });
    ShowMessage(nullptr, QMessageBox::Critical, "second", [&] { dismissed << "second"; });
    auto shown = [&] {
        QStringList texts;
        for (QMessageBox* box : w->findChildren<QMessageBox*>())
            if (box->isVisible())
                texts << box->text();
        return texts;
    };
    EXPECT_EQ(shown(), QStringList{"first"}); // the one without a parent is over the window too
    for (const char* text : {"first", "second"}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == QStringList{text}; }));
        // Return goes to the focused widget, which is the shown box's button.
        QMessageBox* box = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            QWidget* focus = QApplication::focusWidget();
            box = focus ? qobject_cast<QMessageBox*>(focus->window()) : nullptr;
            return box != nullptr;
        })) << QApplication::focusWidget();
        ASSERT_EQ(box->text(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    EXPECT_EQ(dismissed, (QStringList{"first", "second"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().isEmpty(); }));
}

TEST_F(MainWindow, CtrlRRipsTheCheckedTracksIntoTheOutputFolder) {
    TTestDisc disc(dir.path(), {40, 30, 20});
    AppOptions.OutputFormat = FormatWav;
    AppOptions.AccurateRipServer.clear(); // no database: the verdicts say "not checked"
    auto w = open({disc.CuePath});
    w->Model()->SetTitle(2, "Third");
    w->Model()->SetChecked(1, false);
    // The output folder does not exist yet, as on a new account: the folder command says so,
    // and a converter takes the files picked, leaving the question of making it to its job.
    w->miJumpoutputfolder->trigger();
    QMessageBox* missing = openBox(*w);
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->text().startsWith("The output folder " + AppOptions.OutputFolder +
                                           " does not exist yet"))
        << missing->text().toStdString();
    missing->accept();
    QStringList picked;
    w->SetConverterLauncher([&](const QStringList& files, int) { picked = files; });
    w->ConverterItems[0]->trigger();
    auto* chooser = w->findChild<QFileDialog*>();
    ASSERT_TRUE(chooser);
    emit chooser->filesSelected({disc.CuePath});
    EXPECT_EQ(picked, QStringList{disc.CuePath});
    chooser->close();
    QSignalSpy started(w.get(), &TfrmMain::ripStarted);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(started.size(), 1);
    QPointer<TfrmCDRip> dialog = started[0][0].value<TfrmCDRip*>();
    // The output folder is missing: the job asks, and Yes makes it.
    QMessageBox* question = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (question = openBox(*dialog)) != nullptr; }));
    EXPECT_TRUE(question->text().startsWith("The output folder " + AppOptions.OutputFolder +
                                            " does not exist. Make it?"));
    question->button(QMessageBox::Yes)->click();
    EXPECT_EQ(dialog->lSelectedTracks->text(), "2");
    EXPECT_EQ(dialog->lOutputFormat->text(), "WAV");
    // At the end the dialog lists each track's verdict and the log, and closes once read.
    TfrmRipVerdicts* verdicts = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            verdicts = dialog.isNull() ? nullptr : dialog->findChild<TfrmRipVerdicts*>();
            return dialog.isNull() || verdicts;
        },
        30000));
    ASSERT_TRUE(verdicts);
    const QDir out(AppOptions.OutputFolder);
    QStringList rows;
    for (int i = 0; i < verdicts->lvTracks->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = verdicts->lvTracks->topLevelItem(i);
        rows << item->text(0) + " " + item->text(1) + ": " + item->text(2);
    }
    EXPECT_EQ(rows, (QStringList{"01 Track01: not checked: no server is set",
                                 "03 Third: not checked: no server is set"}));
    EXPECT_EQ(verdicts->lLogs->text(), "The rip log is " + out.filePath("rip.log"));
    EXPECT_TRUE(verdicts->bOpenLog->isEnabled());
    // However many tracks, the dialog fits on a small screen (the list scrolls).
    EXPECT_LE(verdicts->height(), 480);
    QWidget* elsewhere = new QLineEdit(w.get()); // the focus was not on the list
    elsewhere->setFocus();
    verdicts->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 30000));
    // The keyboard works on the window again at once.
    EXPECT_EQ(QApplication::activeWindow(), w.get());
    EXPECT_TRUE(w->ListView1->hasFocus());

    EXPECT_EQ(out.entryList(QDir::Files),
              QStringList({"rip.cue", "rip.log", "rip.m3u8", "Third.wav", "Track01.wav"}));

    // The files exist now: the question's buttons say what they do to all of them.
    w->aRip->trigger();
    ASSERT_EQ(started.size(), 2);
    dialog = started[1][0].value<TfrmCDRip*>();
    QMessageBox* existing = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (existing = openBox(*dialog)) != nullptr; }));
    EXPECT_TRUE(existing->text().contains("Third.wav")) << existing->text().toStdString();
    EXPECT_EQ(existing->button(QMessageBox::Yes)->text(), "&Replace All");
    EXPECT_EQ(existing->button(QMessageBox::No)->text(), "&Skip Their Tracks");
    existing->button(QMessageBox::Cancel)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 10000));
    EXPECT_EQ(out.entryList(QDir::Files).size(), 5);

    // The offscreen platform opens nothing: the folder command says where the folder is.
    w->miJumpoutputfolder->trigger();
    QMessageBox* none = openBox(*w);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->text(), "No program was found to open " + out.path());
    none->accept();
    // Online Help likewise names its page: the help the build wrote as HTML, which a browser
    // shows with its pictures.
    w->aHelp->trigger();
    QMessageBox* help = nullptr;
    for (QMessageBox* b : w->findChildren<QMessageBox*>())
        if (b->isVisible())
            help = b;
    ASSERT_TRUE(help);
    const QString said = "No program was found to open ";
    ASSERT_TRUE(help->text().startsWith(said)) << help->text().toStdString();
    const QString page = help->text().mid(said.size());
    EXPECT_TRUE(page.endsWith("/README.html")) << page.toStdString();
    EXPECT_TRUE(ReadWholeFile(page).toLower().contains("<html"));
    help->accept();
    for (auto [name, track] : {std::pair{"Track01.wav", 0}, std::pair{"Third.wav", 2}}) {
        const QByteArray wav = ReadWholeFile(out.filePath(name));
        EXPECT_EQ(wav.left(4), "RIFF");
        EXPECT_TRUE(wav.mid(44) == disc.TrackBytes(track)) << name;
    }
}

} // namespace

TEST_F(MainWindow, PlayPauseAndStopFollowTheStateTableAndPlayTheRowsOwnTrack) {
    // Tracks numbered 3, 4, 5 of 60, 90 and 50 sectors: the row's own number decides what
    // plays (row index + 1 would be a track the disc does not have).
    const QString cue = dir.filePath("late.cue");
    TTestDisc::WriteSparse(cue, {0, 60, 150}, 200, "AUDIO", 3);
    auto w = open({cue});
    auto owned = std::make_unique<TRecordingSink>(4 * CdSectorBytes); // about 2 s a second
    TRecordingSink* sink = owned.get();
    w->UsePlayerSink(std::move(owned));
    const QString idle = w->StatusText();
    const QString title4 = cell(*w, 1, 1), title5 = cell(*w, 2, 1);
    auto enabled = [&] {
        return std::tuple(w->aPlay->isEnabled(), w->aPause->isEnabled(), w->aStop->isEnabled());
    };
    EXPECT_EQ(enabled(), std::tuple(false, false, false)); // idle, nothing selected

    w->ListView1->setCurrentIndex(w->Model()->index(1, 1));
    EXPECT_EQ(enabled(), std::tuple(true, false, false));
    w->aPlay->trigger();
    EXPECT_EQ(w->StatusText(), "Play " + title4);
    EXPECT_EQ(enabled(), std::tuple(true, true, true));
    EXPECT_EQ(w->Player()->EndSector() - w->Player()->StartSector(), 90);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink->Recorded.size() > 0; }, 5000));
    w->aPause->trigger();
    EXPECT_EQ(enabled(), std::tuple(true, false, true));
    EXPECT_TRUE(w->ElapsedText().endsWith(" / 00:01 (paused)")) << w->ElapsedText().toStdString();

    // Play while paused resumes the paused track and names it, whichever row is selected.
    w->ListView1->setCurrentIndex(w->Model()->index(2, 1));
    w->aPlay->trigger();
    EXPECT_EQ(w->StatusText(), "Play " + title4);
    EXPECT_EQ(enabled(), std::tuple(true, true, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->IsPlaying(); }, 5000));
    EXPECT_EQ(sink->Recorded.size(), 90 * CdSectorBytes);
    EXPECT_EQ(w->StatusText(), idle);
    EXPECT_EQ(enabled(), std::tuple(true, false, false));

    // Play while playing switches to the selected track; Stop restores the idle text.
    w->ListView1->setCurrentIndex(w->Model()->index(0, 1));
    w->aPlay->trigger();
    w->ListView1->setCurrentIndex(w->Model()->index(2, 1));
    w->aPlay->trigger();
    EXPECT_EQ(w->StatusText(), "Play " + title5);
    EXPECT_EQ(w->Player()->EndSector() - w->Player()->StartSector(), 50);
    w->aStop->trigger();
    EXPECT_EQ(w->StatusText(), idle);
    EXPECT_EQ(enabled(), std::tuple(true, false, false));
    EXPECT_TRUE(w->ElapsedText().isEmpty());

    // A play that cannot start says why and stays idle.
    sink->StartError = QStringLiteral("No sound device.");
    w->aPlay->trigger();
    EXPECT_EQ(w->StatusText(), "Can not play " + title5 + ": No sound device.");
    EXPECT_FALSE(w->IsPlaying());
    EXPECT_EQ(enabled(), std::tuple(true, false, false));

    // An image has no tray.
    EXPECT_FALSE(w->EjectCDRom1->isEnabled());
    EXPECT_FALSE(w->CloseCDROM1->isEnabled());
    EXPECT_EQ(sink->WritesOutOfPlay, 0);
}

TEST_F(MainWindow, RefreshAReadFailureAndARemovedDiscStopThePlay) {
    TTestDisc disc(dir.path(), {300, 300});
    auto w = open({disc.CuePath});
    w->UsePlayerSink(std::make_unique<TRecordingSink>(CdSectorBytes));
    w->ListView1->setCurrentIndex(w->Model()->index(0, 1));
    w->aPlay->trigger();
    ASSERT_TRUE(w->IsPlaying());
    QSignalSpy read(w.get(), &TfrmMain::discRead);
    w->RefreshCD1->trigger();
    EXPECT_FALSE(w->IsPlaying()); // before the handle it played from is closed
    ASSERT_TRUE(read.wait(5000));

    // The image's file goes away while a track plays: the read fails and the play stops.
    w->ListView1->setCurrentIndex(w->Model()->index(1, 1));
    w->aPlay->trigger();
    ASSERT_TRUE(w->IsPlaying());
    disc.TruncateBin(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->IsPlaying(); }, 10000));
    EXPECT_TRUE(w->StatusText().startsWith("Playback stopped: Sector "))
        << w->StatusText().toStdString();

    // The image is written anew (read again), then goes away while a track plays.
    TTestDisc again(dir.path(), {300, 300});
    ASSERT_TRUE(read.wait(5000));
    w->ListView1->setCurrentIndex(w->Model()->index(0, 1));
    w->aPlay->trigger();
    ASSERT_TRUE(w->IsPlaying());
    QFile::remove(again.CuePath);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->IsPlaying(); }, 5000));
    EXPECT_EQ(w->StatusText(), "Playback stopped: the disc was removed.");
}
