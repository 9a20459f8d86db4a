// The rip job driven by real workers through the Qt event loop: the sequence over several
// tracks, failed tracks, messages, a drive that fails, stop, and normalising.
#include "cdrip/RipJob.h"
#include "RipWorkerSupport.h"
#include "settings/AppOptions.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The settings of the rip: those of AppOptions, with output format `format`.
TAppOptions OptionsFor(int format) {
    TAppOptions o = AppOptions;
    o.OutputFormat = format;
    return o;
}

constexpr int FormatWav = 1;

// Records everything the job reports, as lines, and ends the loop when it is done.
class TRecorder {
public:
    QStringList Log;
    QStringList Messages;
    QEventLoop Loop;
    bool Done = false;

    void TrackStarted(int number, const QString& title, int completed) {
        Log << QStringLiteral("start %1 %2 %3").arg(number).arg(title).arg(completed);
    }
    void TrackEnded(int number, const QString& title, const QString&, int errorCode) {
        Log << QStringLiteral("end %1 %2 %3").arg(number).arg(title).arg(errorCode);
    }
    void Hint(const QString& text) { Log << "hint " + text; }
    void BarCaption(const QString& text) { Log << "bar " + text; }
    void Progress(int) {}
    void Message(const QString& text) { Messages << text; }
    QStringList Questions;
    TJobAnswer Reply = TJobAnswer::Yes;
    TJobAnswer Answer(const QString& question) {
        Questions << question;
        return Reply;
    }
    void Halted() {
        Log << "halted";
        Loop.quit();
    }
    void Finished(bool stopped) {
        Log << (stopped ? "stopped" : "finished");
        Done = true;
        Loop.quit();
    }
    // Runs the event loop until the job reports its end or a halt (at most 20 s).
    void wait() {
        QTimer::singleShot(20000, &Loop, &QEventLoop::quit);
        Loop.exec();
    }
};

class RipJob : public ::testing::Test {
protected:
    void SetUp() {
        out = dir.filePath("out");
        QDir().mkpath(out);
        AppOptions.OutputFolder = out;
        AppOptions.IsNormalize = false;
    }
    QTemporaryDir dir;
    QString out;
};

TEST_F(RipJob, RipsEveryEntryInOrderAndFinishes) {
    TTestDisc disc(dir.path(), {12, 25, 7});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    TRecorder rec;
    TRipJob job(h, PlanOf({"01First", "03Third", "02Second"}, OptionsFor(FormatWav), TDiscFields()),
                OptionsFor(FormatWav));
    Attach(job, rec);
    job.Start();
    rec.wait();
    EXPECT_EQ(rec.Log, (QStringList{"start 1 First 0", "hint Extracting...", "bar Initializing...",
                                    "end 1 First 0", "hint Extracting...", "bar Initializing...",
                                    "start 3 Third 1", "end 3 Third 0", "hint Extracting...",
                                    "bar Initializing...", "start 2 Second 2", "end 2 Second 0",
                                    "finished"}));
    EXPECT_TRUE(rec.Messages.isEmpty());
    EXPECT_EQ(job.Completed(), 3);
    EXPECT_EQ(job.Failed(), 0);
    EXPECT_EQ(ReadWholeFile(out + "/First.wav").mid(44), disc.TrackBytes(0));
    EXPECT_EQ(ReadWholeFile(out + "/Second.wav").mid(44), disc.TrackBytes(1));
    EXPECT_EQ(ReadWholeFile(out + "/Third.wav").mid(44), disc.TrackBytes(2));
    // The three WAVs, rip.log, rip.m3u8 and rip.cue.
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 6);
    CloseCDHandle(h);
}

TEST_F(RipJob, AFailedTrackShowsItsMessageAndTheRipMovesOn) {
    TTestDisc disc(dir.path(), {10, 30, 10});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    disc.TruncateBin(25); // track 2 fails to read, track 3 cannot be read at all
    TRecorder rec;
    // Track 1's folder cannot be made: a file has its name.
    WriteWholeFile(out + "/blocked", "mine");
    TRipPlan plan = PlanOf({"01One", "02Two", "03Three"}, OptionsFor(FormatWav));
    plan.Tracks[0].WavPath = plan.Tracks[0].Path = out + "/blocked/One.wav";
    plan.Tracks[0].Paths = {plan.Tracks[0].Path};
    TRipJob job(h, plan, OptionsFor(FormatWav));
    Attach(job, rec);
    job.Start();
    rec.wait();
    EXPECT_TRUE(rec.Done);
    ASSERT_EQ(rec.Messages.size(), 3);
    EXPECT_TRUE(rec.Messages[0].startsWith("Cannot create " + out + "/blocked: "))
        << rec.Messages[0].toStdString();
    EXPECT_EQ(rec.Messages.mid(1), (QStringList{"Error while reading CD information!",
                                                "Error while reading CD information!"}));
    EXPECT_TRUE(rec.Log.contains("end 1 One 5"));
    EXPECT_TRUE(rec.Log.contains("end 2 Two 3"));
    EXPECT_EQ(job.Completed(), 3);
    EXPECT_EQ(job.Failed(), 3);
    EXPECT_EQ(Le32(ReadWholeFile(out + "/Two.partial.wav"), 40), 0u);
    EXPECT_FALSE(QFile::exists(out + "/Two.wav"));
    CloseCDHandle(h);
}

TEST_F(RipJob, AFolderThatCannotBeWrittenStopsTheRipWithOneMessage) {
    // sysfs refuses new files even to root.
    if (QFile probe("/sys/sondrel-probe"); probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        GTEST_SKIP() << "/sys takes new files here";
    }
    TTestDisc disc(dir.path(), {10, 10, 10});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    for (const QString& folder : {QStringLiteral("/sys"), QStringLiteral("/sys/made/here")}) {
        TRecorder rec;
        TRipPlan plan = PlanOf({"01One", "02Two", "03Three"}, OptionsFor(FormatWav));
        for (TRipPlanTrack& t : plan.Tracks) {
            t.WavPath = t.Path = folder + "/" + t.Title + ".wav";
            t.Paths = {t.Path};
        }
        TRipJob job(h, plan, OptionsFor(FormatWav));
        Attach(job, rec);
        job.Start();
        rec.wait();
        EXPECT_TRUE(rec.Done);
        ASSERT_EQ(rec.Messages.size(), 1) << rec.Messages.join("\n").toStdString();
        EXPECT_TRUE(rec.Messages[0].startsWith("Cannot write into " + folder + ": "))
            << rec.Messages[0].toStdString();
        EXPECT_EQ(rec.Log.filter("start ").size(), 1);
        EXPECT_TRUE(rec.Log.contains("stopped"));
    }
    CloseCDHandle(h);
}

TEST_F(RipJob, WithHoldOnErrorTheNextTrackWaitsUntilTheMessageIsAcknowledged) {
    TTestDisc disc(dir.path(), {10, 10});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    TRecorder rec;
    WriteWholeFile(out + "/blocked", "mine");
    TRipPlan plan = PlanOf({"01One", "02Two"}, OptionsFor(FormatWav));
    plan.Tracks[0].WavPath = plan.Tracks[0].Path = out + "/blocked/One.wav";
    plan.Tracks[0].Paths = {plan.Tracks[0].Path};
    TRipJob job(h, plan, OptionsFor(FormatWav));
    Attach(job, rec);
    job.SetHoldOnError(true);
    job.Start();
    QDeadlineTimer deadline(20000);
    while (rec.Messages.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(rec.Messages.size(), 1);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
    EXPECT_FALSE(rec.Log.join('\n').contains("start 2")); // held by the unread message
    job.Acknowledge();
    rec.wait();
    EXPECT_TRUE(rec.Log.contains("start 2 Two 1"));
    EXPECT_EQ(rec.Log.last(), "finished");
    CloseCDHandle(h);
}

TEST_F(RipJob, TitlesAreMadeUniqueAndFilesThatExistAreAskedAbout) {
    TTestDisc disc(dir.path(), {10, 10, 10});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    WriteWholeFile(out + "/Kept.wav", "mine");
    TRecorder rec;
    rec.Reply = TJobAnswer::No; // skip the tracks whose files exist
    TRipJob job(h, PlanOf({"01Same", "02Same", "03Kept"}, OptionsFor(FormatWav), TDiscFields()),
                OptionsFor(FormatWav));
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    ASSERT_EQ(rec.Questions.size(), 1);
    EXPECT_TRUE(rec.Questions[0].contains(out + "/Kept.wav"));
    EXPECT_EQ(
        QDir(out).entryList(QDir::Files, QDir::Name),
        (QStringList{"Kept.wav", "Same (2).wav", "Same.wav", "rip.cue", "rip.log", "rip.m3u8"}));
    // The playlist names every file of the disc, the one kept from before too, in disc order;
    // the log only what this rip read.
    EXPECT_EQ(ReadWholeFile(out + "/rip.m3u8"),
              "#EXTM3U\n#EXTINF:0,Same\nSame.wav\n#EXTINF:0,Same\nSame (2).wav\n"
              "#EXTINF:0,Kept\nKept.wav\n");
    EXPECT_FALSE(ReadWholeFile(out + "/rip.log").contains("Kept.wav"));
    EXPECT_EQ(ReadWholeFile(out + "/Kept.wav"), "mine");
    EXPECT_EQ(ReadWholeFile(out + "/Same (2).wav").mid(44), disc.TrackBytes(1));
    EXPECT_EQ(job.Succeeded(), 2);
    EXPECT_EQ(job.Outcome(), TJobOutcome::Done);
}

TEST_F(RipJob, ADriveFailureHaltsUntilStopped) {
    TRecorder rec;
    TRipJob job(4711, PlanOf({"01One", "02Two"}, OptionsFor(FormatWav), TDiscFields()),
                OptionsFor(FormatWav));
    Attach(job, rec);
    job.Start();
    rec.wait();
    EXPECT_EQ(rec.Messages, (QStringList{"CD extract failed! Please try again."}));
    EXPECT_EQ(rec.Log.last(), "halted");
    EXPECT_FALSE(job.IsFinished());
    job.Stop();
    EXPECT_EQ(rec.Log.last(), "stopped");
    EXPECT_EQ(job.Failed(), 1);
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(RipJob, StopEndsTheJobAndNothingIsReportedAfter) {
    TTestDisc disc(dir.path(), {200, 10});
    const HCDROM h = OpenTestImage(disc.CuePath);
    TRecorder rec;
    {
        TRipJob job(h, PlanOf({"01Long", "02Short"}, OptionsFor(FormatWav), TDiscFields()),
                    OptionsFor(FormatWav));
        Attach(job, rec);
        job.Start();
        job.Stop();
        EXPECT_TRUE(job.IsFinished());
        // Events the worker posted before it stopped are dropped.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(rec.Log.last(), "stopped");
    EXPECT_FALSE(rec.Log.join('\n').contains("end "));
    EXPECT_FALSE(QFile::exists(out + "/Short.wav"));
    // The partial file has a header that matches its data, and a name that says it is one.
    EXPECT_FALSE(QFile::exists(out + "/Long.wav"));
    const QByteArray part = ReadWholeFile(out + "/Long.partial.wav");
    ASSERT_GE(part.size(), 44);
    EXPECT_EQ(Le32(part, 40), quint32(part.size() - 44));

    // Ripped whole later, the track's file takes its name and what the stopped rip left goes.
    TRecorder again;
    TRipJob whole(h, PlanOf({"01Long"}, OptionsFor(FormatWav), TDiscFields()),
                  OptionsFor(FormatWav));
    Attach(whole, again);
    whole.Start();
    again.wait();
    EXPECT_EQ(again.Log.last(), "finished");
    EXPECT_EQ(ReadWholeFile(out + "/Long.wav").mid(44), disc.TrackBytes(0));
    EXPECT_FALSE(QFile::exists(out + "/Long.partial.wav"));
    CloseCDHandle(h);
}

TEST_F(RipJob, DestroyingARunningJobJoinsItsWorker) {
    TTestDisc disc(dir.path(), {300});
    const HCDROM h = OpenTestImage(disc.CuePath);
    TRecorder rec;
    {
        TRipJob job(h, PlanOf({"01Long"}, OptionsFor(FormatWav), TDiscFields()),
                    OptionsFor(FormatWav));
        Attach(job, rec);
        job.Start();
    } // the worker may still be posting; it is stopped and joined here
    QCoreApplication::processEvents();
    EXPECT_EQ(rec.Log.last(), "bar Initializing...");
    CloseCDHandle(h);
}

TEST_F(RipJob, NormalisingShowsItsHint) {
    TTestDisc disc(dir.path(), {15});
    AppOptions.IsNormalize = true;
    AppOptions.NormalizePercent = 100;
    const HCDROM h = OpenTestImage(disc.CuePath);
    TRecorder rec;
    TRipJob job(h, PlanOf({"01Loud"}, OptionsFor(FormatWav), TDiscFields()), OptionsFor(FormatWav));
    Attach(job, rec);
    job.Start();
    rec.wait();
    EXPECT_TRUE(rec.Log.contains("hint Normalizing..."));
    EXPECT_EQ(rec.Log.last(), "finished");
    // At 100 % every sample stays as it was.
    EXPECT_EQ(ReadWholeFile(out + "/Loud.wav").mid(44), disc.TrackBytes(0));
    CloseCDHandle(h);
}

} // namespace
