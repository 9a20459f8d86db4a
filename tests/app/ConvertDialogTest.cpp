// The converter dialog over real files: the outputs of two kinds, what several lanes show, a
// cancelled overwrite question, overwrites declined for all and the closing summary with a
// failed and a damaged file; in German, the job's question with Qt's buttons and the summary.
#include "app/Translations.h"
#include "app/frmEncodeProgress.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"
#include "tests/common/TestAudio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ConvertDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDir(dir.path());
        LoadOptions();
        options = AppOptions;
        options.OutputFolder = dir.filePath("out");
        QDir().mkpath(options.OutputFolder);
    }
    QString wav(const QString& name) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        WriteWav(path, MusicPcm(44100, 2, 44100, 16), 2, 44100, 16);
        return path;
    }
    QString out(const QString& name) const { return QDir(options.OutputFolder).filePath(name); }
    // Runs the dialog to the end of its job, answering `answer` to every question.
    std::unique_ptr<TfrmEncodeProgress> run(const QStringList& files, int kind, int lanes,
                                            QMessageBox::StandardButton answer = QMessageBox::Yes) {
        auto d = std::make_unique<TfrmEncodeProgress>(files, kind, options, TDiscFields(), lanes);
        QSignalSpy finished(d->Job(), &TJob::finished);
        d->Start();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                if (auto* box = d->findChild<QMessageBox*>(); box && box->isVisible()) {
                    questions << box->text();
                    answers << box->button(answer)->text();
                    box->button(answer)->click();
                }
                return !finished.isEmpty();
            },
            60000));
        return d;
    }

    QTemporaryDir dir;
    TAppOptions options;
    QStringList questions;
    QStringList answers; // the text of the button pressed in each question
};

TEST_F(ConvertDialog, WavToMp3OnTwoLanesAndMp3ToWavWriteTheirFilesAndCancelStops) {
    auto d = run({wav("a/one.wav"), wav("b/two.wav")}, 2, 2);
    EXPECT_EQ(d->Job()->LaneCount(), 2);
    EXPECT_TRUE(d->isVisible()); // it stays with its summary
    EXPECT_EQ(d->lProgressHint->text(), "Converted 2, skipped 0, failed 0.");
    EXPECT_EQ(d->lCompleted->text(), "2");
    EXPECT_EQ(d->bStop->text(), "&Close");
    EXPECT_FALSE(d->mFailures->isVisible());
    EXPECT_GT(QFileInfo(out("one.mp3")).size(), 1000);
    EXPECT_GT(QFileInfo(out("two.mp3")).size(), 1000);
    d->bStop->click();
    EXPECT_FALSE(d->isVisible());

    d = run({out("one.mp3")}, 7, 1);
    EXPECT_EQ(d->lProgressHint->text(), "Converted 1, skipped 0, failed 0.");
    // About a second of 44.1 kHz stereo 16-bit audio.
    EXPECT_GT(QFileInfo(out("one.wav")).size(), 150000);
    EXPECT_TRUE(questions.isEmpty());

    // Cancel in the overwrite question stops the conversion and leaves the file as it was.
    const qint64 size = QFileInfo(out("one.wav")).size();
    d = run({out("one.mp3")}, 7, 1, QMessageBox::Cancel);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(d->Job()->Outcome(), TJobOutcome::Stopped);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(QFileInfo(out("one.wav")).size(), size);
}

TEST_F(ConvertDialog, OverwritesSkippedForAllFailedAndDamagedFilesAreSummed) {
    const QStringList kept = {out("song.mp3"), out("tune.mp3")};
    for (const QString& path : kept) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's own file");
    }
    const QString broken = dir.filePath("broken.wav");
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF, but not a WAV file at all");
    }
    const QString cut = wav("cut.wav");
    ASSERT_TRUE(QFile::resize(cut, 44 + 44100)); // a quarter of its second
    // Skip All answers the second file's question too.
    auto d = run({wav("song.wav"), broken, wav("tune.wav"), cut}, 2, 1, QMessageBox::NoToAll);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("song.mp3 exists already. Replace it?"));
    for (const QString& path : kept) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "the user's own file");
    }
    EXPECT_EQ(d->lProgressHint->text(), "Converted 0, skipped 2, failed 1, damaged 1.");
    EXPECT_TRUE(d->mFailures->isVisible());
    const QString listed = d->mFailures->toPlainText();
    EXPECT_TRUE(listed.contains("Failed:\n" + broken + ": ")) << listed.toStdString();
    EXPECT_TRUE(listed.contains("Damaged:\n" + cut + ": " + cut + " is cut short: ") &&
                listed.contains("what could be read is kept in " + out("cut.mp3")))
        << listed.toStdString();
    EXPECT_GT(QFileInfo(out("cut.mp3")).size(), 1000);
}

TEST_F(ConvertDialog, InGermanTheJobsQuestionQtsButtonsAndTheSummaryAreGerman) {
    const TTranslations german({QStringLiteral("de")});
    ASSERT_EQ(german.Language(), "de");
    options.OutputFolder = dir.filePath("new"); // missing: the job asks to make it
    auto d = run({wav("one.wav")}, 2, 1);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("existiert nicht")) << questions[0].toStdString();
    EXPECT_EQ(answers[0], "&Ja"); // Qt's own translation
    EXPECT_EQ(d->lProgressHint->text(), "Umgewandelt: 1, übersprungen: 0, fehlgeschlagen: 0.");
    EXPECT_EQ(d->bStop->text(), "&Schließen");
}

} // namespace
