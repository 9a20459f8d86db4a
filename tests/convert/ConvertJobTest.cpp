// The convert job with real components over files the tests make with sox and ffmpeg: the
// kinds, the output path rule, the overwrite question, the tag hand-overs of kinds 9 and 10,
// failed files, stop, lanes that run side by side, and the album gain pass at the end.
#include "convert/ConvertJob.h"
#include "convert/ConvertKinds.h"
#include "encode/AlbumGainPass.h"
#include "settings/AppOptions.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QByteArray Decode(const QString& file) {
    const auto r = RunProgram(
        "ffmpeg", {"-v", "error", "-i", file, "-f", "s16le", "-ac", "2", "-ar", "44100", "-"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return r.Out;
}

// A stereo 44.1 kHz 16-bit WAV of `seconds` of two tones with a little noise.
void MakeWav(const QString& path, double seconds, int freq = 440) {
    QDir().mkpath(QFileInfo(path).path());
    const auto r =
        RunProgram("sox", {"-D", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth",
                           QString::number(seconds), "sine", QString::number(freq), "sine",
                           QString::number(freq * 3 / 2), "gain", "-6"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
}

// An encoded file made by ffmpeg from a tone, with the given metadata.
void MakeEncoded(const QString& path, const QString& codec, const QStringList& metadata) {
    QStringList args{
        "-v",  "error", "-y",  "-f",    "lavfi", "-i", "sine=frequency=330:duration=1.5",
        "-ac", "2",     "-ar", "44100", "-c:a",  codec};
    for (const QString& m : metadata)
        args << "-metadata" << m;
    args << path;
    const auto r = RunProgram("ffmpeg", args);
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
}

class TRecorder {
public:
    QStringList Log;
    QStringList Questions;
    std::vector<int> CompletedAtStart;
    std::function<bool(const QString&)> Answer = [](const QString&) { return true; };
    std::function<void(int)> OnProgress;
    QEventLoop Loop;
    bool Done = false;
    bool Stopped = false;

    void FileStarted(int, int index, const QString&, const QString&, int completed) {
        Log << QStringLiteral("start %1").arg(index);
        CompletedAtStart.push_back(completed);
    }
    void Progress(int, int, int percent) {
        if (OnProgress)
            OnProgress(percent);
    }
    void FileFinished(int, int index, const QString&, const QString& output,
                      TConvertOutcome outcome, const QString& text) {
        static const char* names[] = {"converted", "skipped", "failed", "stopped"};
        Log << QStringLiteral("%1 %2 %3%4")
                   .arg(names[int(outcome)])
                   .arg(index)
                   .arg(QFileInfo(output).fileName())
                   .arg(text.isEmpty() ? QString() : " (" + text + ")");
    }
    bool AskOverwrite(const QString& question, const QString& path) {
        Questions << question;
        return Answer(path);
    }
    void Finished(bool stopped) {
        Done = true;
        Stopped = stopped;
        Loop.quit();
    }
    void wait() {
        if (Done)
            return;
        QTimer::singleShot(120000, &Loop, &QEventLoop::quit);
        Loop.exec();
    }
};

// Connects a convert job's signals to the recorder; the recorder answers the overwrite
// questions, and the job may make a missing output folder.
void Attach(TConvertJob& job, TRecorder& rec) {
    QObject::connect(&job, &TConvertJob::fileStarted,
                     [&rec](int lane, int index, const QString& in, const QString& out,
                            int completed) { rec.FileStarted(lane, index, in, out, completed); });
    QObject::connect(&job, &TConvertJob::fileProgress, [&rec](int lane, int index, int percent) {
        rec.Progress(lane, index, percent);
    });
    QObject::connect(
        &job, &TConvertJob::fileFinished,
        [&rec](int lane, int index, const QString& in, const QString& out, TConvertOutcome outcome,
               const QString& text) { rec.FileFinished(lane, index, in, out, outcome, text); });
    QObject::connect(&job, &TJob::question, [&job, &rec](const QString& text, TJobButtons) {
        const bool yes = job.PendingQuestion() == TJobQuestion::CreateOutputFolder ||
                         rec.AskOverwrite(text, job.AskedOutput());
        job.Answer(yes ? TJobAnswer::Yes : TJobAnswer::No);
    });
    QObject::connect(&job, &TJob::finished, [&rec](TJobOutcome outcome, const QString&) {
        rec.Finished(outcome == TJobOutcome::Stopped);
    });
}

class ConvertJob : public ::testing::Test {
protected:
    void SetUp() {
        saved = AppOptions;
        AppOptions = TAppOptions();
        out = dir.filePath("out");
        QDir().mkpath(out);
        AppOptions.OutputFolder = out;
    }
    void TearDown() { AppOptions = saved; }

    // Runs kind `kind` over `files` with `lanes` lanes to the end.
    void run(int kind, const QStringList& files, TRecorder& rec, int lanes = 1) {
        TConvertRoute route;
        ASSERT_TRUE(RouteOfKind(kind, route));
        TConvertJob job(files, route, AppOptions, TDiscFields(), lanes);
        Attach(job, rec);
        job.Start();
        rec.wait();
        ASSERT_TRUE(rec.Done);
    }
    QStringList outFiles() const { return QDir(out).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir;
    QString out;
    TAppOptions saved;
};

TEST_F(ConvertJob, KindsAndNamesOfTheCommandLine) {
    TConvertRoute r;
    EXPECT_FALSE(RouteOfKind(1, r));
    EXPECT_FALSE(RouteOfKind(11, r));
    ASSERT_TRUE(RouteOfKind(KindOfName("WMA2MP3"), r));
    EXPECT_EQ(r.Input, TConvertInput::WM);
    EXPECT_EQ(r.Format, 0);
    ASSERT_TRUE(RouteOfKind(KindOfName("mp32wma"), r));
    EXPECT_EQ(r.Input, TConvertInput::MP3);
    EXPECT_EQ(r.Format, 3);
    EXPECT_EQ(KindOfName("wav2aac"), 0);
}

TEST_F(ConvertJob, TwoWavsFromDifferentFoldersLandInTheOutputFolder) {
    const QString a = dir.filePath("one/first.wav"), b = dir.filePath("two/second.take.wav");
    MakeWav(a, 1.0);
    MakeWav(b, 0.5, 660);
    TRecorder rec;
    run(ckWavToMp3, {a, b}, rec);
    EXPECT_EQ(rec.Log, (QStringList{"start 0", "converted 0 first.mp3", "start 1",
                                    "converted 1 second.take.mp3"}));
    // "Completed" is 0 while the first file converts and 1 while the second does.
    EXPECT_EQ(rec.CompletedAtStart, (std::vector<int>{0, 1}));
    EXPECT_EQ(outFiles(), (QStringList{"first.mp3", "second.take.mp3"}));
    EXPECT_NEAR(double(Decode(out + "/first.mp3").size()), 176400.0, 0.06 * 176400);
    EXPECT_NEAR(double(Decode(out + "/second.take.mp3").size()), 88200.0, 0.06 * 176400);
    EXPECT_TRUE(rec.Questions.isEmpty());
}

TEST_F(ConvertJob, WavToEveryFormatDecodesToTheSameAudio) {
    const QString wav = dir.filePath("in/tone.wav");
    MakeWav(wav, 1.2);
    const QByteArray pcm = ReadWholeFile(wav).mid(44);
    struct Case {
        int Kind;
        const char* Ext;
        bool Lossless;
    };
    for (const Case& c : {Case{ckWavToOgg, ".ogg", false}, Case{ckWavToWma, ".wma", false},
                          Case{ckWavToFlac, ".flac", true}, Case{ckWavToApe, ".ape", true}}) {
        TRecorder rec;
        run(c.Kind, {wav}, rec);
        const QString path = out + "/tone" + c.Ext;
        EXPECT_EQ(rec.Log, (QStringList{"start 0", "converted 0 tone" + QString(c.Ext)}));
        const QByteArray decoded = Decode(path);
        if (c.Lossless)
            EXPECT_EQ(decoded, pcm) << c.Ext;
        else
            EXPECT_NEAR(double(decoded.size()), double(pcm.size()), 0.12 * 176400) << c.Ext;
    }
}

TEST_F(ConvertJob, Mp3AndWmaToWav) {
    const QString mp3 = dir.filePath("in/song.mp3"), wma = dir.filePath("in/talk.wma");
    QDir().mkpath(dir.filePath("in"));
    MakeEncoded(mp3, "libmp3lame", {});
    MakeEncoded(wma, "wmav2", {});
    TRecorder first, second;
    run(ckMp3ToWav, {mp3}, first);
    run(ckWmaToWav, {wma}, second);
    EXPECT_EQ(outFiles(), (QStringList{"song.wav", "talk.wav"}));
    // The WAVs hold what FFmpeg decodes from the sources, sample for sample.
    EXPECT_EQ(ReadWholeFile(out + "/song.wav").mid(44), Decode(mp3));
    // WMA keeps no note of its padding: the reader delivers the length the file announces,
    // which may run a frame past what ffmpeg's own tool stops at. The audio itself matches.
    const QByteArray talk = ReadWholeFile(out + "/talk.wav").mid(44);
    const QByteArray oracle = Decode(wma);
    EXPECT_EQ(talk.left(oracle.size()), oracle);
    EXPECT_NEAR(double(talk.size()), 1.5 * 176400, 0.12 * 176400);
}

TEST_F(ConvertJob, TheSameNameTwiceIsNamedApartWithoutAQuestion) {
    const QString a = dir.filePath("x/take.wav"), b = dir.filePath("y/take.wav");
    MakeWav(a, 0.5, 440);
    MakeWav(b, 0.7, 880);
    TRecorder rec;
    run(ckWavToFlac, {a, b}, rec, 2);
    EXPECT_TRUE(rec.Questions.isEmpty());
    EXPECT_EQ(rec.Log.filter("converted").size(), 2);
    EXPECT_EQ(Decode(out + "/take.flac"), ReadWholeFile(a).mid(44));
    EXPECT_EQ(Decode(out + "/take (2).flac"), ReadWholeFile(b).mid(44));
}

TEST_F(ConvertJob, LinksInTheOutputFolderAreNeverWrittenThrough) {
    const QString wav = dir.filePath("in/song.wav");
    MakeWav(wav, 0.3);
    const QByteArray original = ReadWholeFile(wav);
    // A hard link to the input under the output's name: the same file, refused.
    ASSERT_EQ(::link(QFile::encodeName(wav).constData(),
                     QFile::encodeName(out + "/song.wav").constData()),
              0);
    TConvertRoute route{TConvertInput::ByFileName, 1};
    {
        TRecorder r;
        TConvertJob job({wav}, route, AppOptions, TDiscFields());
        Attach(job, r);
        job.Start();
        r.wait();
        EXPECT_EQ(r.Log.filter("failed").size(), 1) << r.Log.join('\n').toStdString();
    }
    EXPECT_EQ(ReadWholeFile(wav), original);
    // A dangling symbolic link under the output's name: asked about; declined, the link and
    // what it points at stay; accepted, the link itself is replaced.
    const QString victim = dir.filePath("victim.txt");
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                        QFile::encodeName(out + "/song.flac").constData()),
              0);
    for (bool replace : {false, true}) {
        TRecorder r;
        r.Answer = [replace](const QString&) { return replace; };
        run(ckWavToFlac, {wav}, r);
        EXPECT_EQ(r.Questions.size(), 1);
        EXPECT_FALSE(QFileInfo::exists(victim));
        EXPECT_EQ(QFileInfo(out + "/song.flac").isSymLink(), !replace);
    }
    EXPECT_FALSE(Decode(out + "/song.flac").isEmpty());
}

TEST_F(ConvertJob, DecliningEveryOverwriteConvertsNothingAndEnds) {
    QStringList inputs;
    for (const char* name : {"a", "b", "c"}) {
        inputs << dir.filePath(QString("in/%1.wav").arg(name));
        MakeWav(inputs.last(), 0.2);
        WriteWholeFile(out + "/" + name + ".ogg", "keep me");
    }
    TRecorder rec;
    rec.Answer = [](const QString&) { return false; };
    run(ckWavToOgg, inputs, rec);
    EXPECT_EQ(rec.Questions.size(), 3);
    EXPECT_EQ(rec.Log, (QStringList{"start 0", "skipped 0 a.ogg", "start 1", "skipped 1 b.ogg",
                                    "start 2", "skipped 2 c.ogg"}));
    for (const char* name : {"a", "b", "c"})
        EXPECT_EQ(ReadWholeFile(out + "/" + name + ".ogg"), "keep me");
    EXPECT_FALSE(rec.Stopped);
}

TEST_F(ConvertJob, WmaToMp3WritesAnId3v1TagFromTheWmaTexts) {
    const QString rock = dir.filePath("in/rock.wma"), odd = dir.filePath("in/odd.wma");
    QDir().mkpath(dir.filePath("in"));
    MakeEncoded(rock, "wmav2",
                {"title=Stone", "artist=Band", "album=Live", "genre=rock", "track=7", "date=1987"});
    MakeEncoded(odd, "wmav2", {"title=Odd", "genre=Not A Genre", "track=two"});
    TRecorder rec;
    run(ckWmaToMp3, {rock, odd}, rec);
    ASSERT_EQ(rec.Log.filter("converted").size(), 2) << rec.Log.join('\n').toStdString();
    const QByteArray tag = ReadWholeFile(out + "/rock.mp3").right(128);
    ASSERT_EQ(tag.left(3), "TAG");
    EXPECT_EQ(tag.mid(3, 30), QByteArray("Stone").leftJustified(30, '\0'));
    EXPECT_EQ(tag.mid(33, 30), QByteArray("Band").leftJustified(30, '\0'));
    EXPECT_EQ(tag.mid(63, 30), QByteArray("Live").leftJustified(30, '\0'));
    EXPECT_EQ(tag.at(126), 7);
    EXPECT_EQ(quint8(tag.at(127)), 17); // "rock" matches "Rock" ignoring case
    const QByteArray other = ReadWholeFile(out + "/odd.mp3").right(128);
    ASSERT_EQ(other.left(3), "TAG");
    EXPECT_EQ(quint8(other.at(127)), 255); // no such genre
    EXPECT_EQ(other.at(126), 0);           // "two" is no number
}

TEST_F(ConvertJob, DecliningTheOverwriteOfAWmaToMp3LeavesTheOldFileUntagged) {
    const QString wma = dir.filePath("in/keep.wma");
    QDir().mkpath(dir.filePath("in"));
    MakeEncoded(wma, "wmav2", {"title=New", "genre=Rock"});
    WriteWholeFile(out + "/keep.mp3", QByteArray(300, 'x'));
    TRecorder rec;
    rec.Answer = [](const QString&) { return false; };
    run(ckWmaToMp3, {wma}, rec);
    EXPECT_EQ(ReadWholeFile(out + "/keep.mp3"), QByteArray(300, 'x'));
}

TEST_F(ConvertJob, Mp3ToWmaHandsItsTagsToTheWma) {
    const QString mp3 = dir.filePath("in/tagged.mp3");
    QDir().mkpath(dir.filePath("in"));
    MakeEncoded(mp3, "libmp3lame", {"title=Song Title", "artist=Singer", "album=Record"});
    TRecorder rec;
    run(ckMp3ToWma, {mp3}, rec);
    const auto r = RunProgram("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of",
                                          "default=nw=1", out + "/tagged.wma"});
    ASSERT_EQ(r.ExitCode, 0);
    const QByteArray tags = r.Out.toLower(); // ffprobe names ASF attributes as they are stored
    EXPECT_TRUE(tags.contains("tag:title=song title")) << r.Out.toStdString();
    EXPECT_TRUE(tags.contains("tag:artist=singer")) << r.Out.toStdString();
    EXPECT_TRUE(tags.contains("tag:album=record")) << r.Out.toStdString();
}

TEST_F(ConvertJob, AnOutputFolderThatCannotBeMadeFailsTheJobSayingWhy) {
    const QString wav = dir.filePath("in/a.wav");
    MakeWav(wav, 0.2);
    WriteWholeFile(dir.filePath("plain"), "a file, not a folder");
    TAppOptions options = AppOptions;
    options.OutputFolder = dir.filePath("plain/out");
    TConvertRoute route;
    ASSERT_TRUE(RouteOfKind(ckWavToFlac, route));
    TRecorder rec;
    TConvertJob job({wav}, route, options, TDiscFields());
    QStringList messages;
    QObject::connect(&job, &TJob::message,
                     [&](TJobSeverity, const QString& text) { messages << text; });
    Attach(job, rec); // answers the folder question Yes
    job.Start();
    rec.wait();
    EXPECT_EQ(job.Outcome(), TJobOutcome::Failed);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Cannot create " + options.OutputFolder + ": Not a directory");
    EXPECT_TRUE(rec.Log.isEmpty());
}

TEST_F(ConvertJob, AFailedFileIsReportedWithItsReasonAndTheJobMovesOn) {
    const QString bad = dir.filePath("in/bad.wav"), good = dir.filePath("in/good.wav");
    MakeWav(good, 0.3);
    WriteWholeFile(bad, "this is not a RIFF file at all");
    const QString missing = dir.filePath("in/missing.wav");
    TRecorder rec;
    TConvertRoute route;
    ASSERT_TRUE(RouteOfKind(ckWavToApe, route));
    TConvertJob job({bad, missing, good}, route, AppOptions, TDiscFields());
    Attach(job, rec);
    job.Start();
    rec.wait();
    ASSERT_EQ(rec.Log.size(), 6);
    EXPECT_TRUE(rec.Log[1].startsWith("failed 0 bad.ape (")) << rec.Log[1].toStdString();
    EXPECT_TRUE(rec.Log[1].contains(bad)) << rec.Log[1].toStdString();
    EXPECT_TRUE(rec.Log[3].startsWith("failed 1 missing.ape (")) << rec.Log[3].toStdString();
    EXPECT_EQ(rec.Log[5], "converted 2 good.ape");
    EXPECT_EQ(job.Failed(), 2);
    EXPECT_EQ(job.Converted(), 1);
    // A failed run leaves no file that could pass for a converted one.
    EXPECT_EQ(outFiles(), (QStringList{"good.ape"}));
}

TEST_F(ConvertJob, AnOutputThatIsTheInputItselfIsNeverWritten) {
    const QString wav = out + "/same.wav";
    MakeWav(wav, 0.3);
    const QByteArray before = ReadWholeFile(wav);
    TRecorder rec; // answers yes to any overwrite question
    TConvertRoute route{TConvertInput::ByFileName, 1};
    TConvertJob job({wav}, route, AppOptions, TDiscFields());
    Attach(job, rec);
    job.Start();
    rec.wait();
    EXPECT_EQ(rec.Log, (QStringList{"start 0", "failed 0 same.wav (" + wav +
                                                   " would be written over itself)"}));
    EXPECT_TRUE(rec.Questions.isEmpty());
    EXPECT_EQ(ReadWholeFile(wav), before);
}

TEST_F(ConvertJob, StopEndsTheRunningOutputFirst) {
    const QString wav = dir.filePath("in/long.wav");
    MakeWav(wav, 60);
    TRecorder rec;
    TConvertRoute route;
    ASSERT_TRUE(RouteOfKind(ckWavToFlac, route));
    TConvertJob job({wav, wav}, route, AppOptions, TDiscFields());
    Attach(job, rec);
    // Stop as a Stop button would: from the event loop, while the output is running.
    bool asked = false;
    rec.OnProgress = [&](int percent) {
        if (percent > 0 && percent < 100 && !asked) {
            asked = true;
            QTimer::singleShot(0, [&job] { job.Stop(); });
        }
    };
    job.Start();
    rec.wait();
    EXPECT_TRUE(rec.Stopped);
    const QString partial = out + "/long.partial.flac";
    EXPECT_EQ(rec.Log, (QStringList{"start 0", "stopped 0 long.flac (" + partial + ")"}));
    EXPECT_EQ(job.Completed(), 1);
    // What was written stays, under a name that says it is incomplete.
    EXPECT_TRUE(QFileInfo::exists(partial));
    EXPECT_FALSE(QFileInfo::exists(out + "/long.flac"));

    // The same file converted whole later clears what the stopped run left, but not a partial
    // file another job holds (locked) meanwhile.
    const int held = ::open(QFile::encodeName(out + "/long.partial (5).flac").constData(),
                            O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    TRecorder again;
    TConvertJob whole({wav}, route, AppOptions, TDiscFields());
    Attach(whole, again);
    whole.Start();
    again.wait();
    ::close(held);
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{"long.flac", "long.partial (5).flac"}));
}

TEST_F(ConvertJob, TwoLanesGiveTheSameFilesAsOne) {
    QStringList inputs;
    for (int i = 0; i < 5; ++i) {
        inputs << dir.filePath(QString("in/f%1.wav").arg(i));
        MakeWav(inputs.last(), 0.4 + 0.1 * i, 300 + 50 * i);
    }
    for (int kind : {ckWavToMp3, ckWavToFlac}) {
        TRecorder one, two;
        run(kind, inputs, one, 1);
        QMap<QString, QByteArray> single;
        for (const QString& f : outFiles())
            single[f] = ReadWholeFile(out + "/" + f);
        for (const QString& f : outFiles())
            QFile::remove(out + "/" + f);
        run(kind, inputs, two, 2);
        EXPECT_EQ(two.Log.filter("converted").size(), 5);
        QMap<QString, QByteArray> parallel;
        for (const QString& f : outFiles())
            parallel[f] = ReadWholeFile(out + "/" + f);
        EXPECT_EQ(single.keys(), parallel.keys());
        EXPECT_TRUE(single == parallel) << kind;
        for (const QString& f : outFiles())
            QFile::remove(out + "/" + f);
    }
}

} // namespace

TEST_F(ConvertJob, TheAlbumPassLeavesTheEventLoopTurningAndFinishesOnceTheFilesAreTagged) {
    // The album pass is slowed so that a pass on the job's thread would hold the timer back.
    QStringList wavs;
    for (int i = 0; i < 3; ++i) {
        wavs << dir.filePath(QStringLiteral("in/t%1.wav").arg(i));
        MakeWav(wavs.back(), 0.5, 300 + 100 * i);
    }
    AppOptions.ReplayGainMode = QStringLiteral("album");
    TAlbumGainPass::SetDelayBeforeEachFile(300);
    TConvertRoute route;
    ASSERT_TRUE(RouteOfKind(ckWavToFlac, route));
    TConvertJob job(wavs, route, AppOptions, TDiscFields());
    job.SetPace(0);
    TRecorder rec;
    Attach(job, rec);
    int ticks = 0, ticksAtLastFile = -1, ticksAtFinish = -1, finishes = 0;
    QStringList albumGains; // as mutagen reads them when the job says it has finished
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    QObject::connect(&job, &TConvertJob::fileFinished, [&] {
        if (job.Completed() == wavs.size())
            ticksAtLastFile = ticks;
    });
    QObject::connect(&job, &TJob::finished, [&] {
        ++finishes;
        ticksAtFinish = ticks;
        const auto r = RunProgram(
            "/usr/bin/python3",
            QStringList{"-c",
                        "import sys, mutagen\nfor p in sys.argv[1:]:\n"
                        "    print(mutagen.File(p).get('replaygain_album_gain', ['-'])[0])",
                        out + "/t0.flac", out + "/t1.flac", out + "/t2.flac"});
        albumGains = QString::fromUtf8(r.Out).split('\n', Qt::SkipEmptyParts);
    });
    job.Start();
    rec.wait();
    QTimer::singleShot(200, &rec.Loop, &QEventLoop::quit); // a second finished would come now
    rec.Loop.exec();
    TAlbumGainPass::SetDelayBeforeEachFile(0);
    EXPECT_EQ(finishes, 1);
    EXPECT_FALSE(rec.Stopped);
    ASSERT_GE(ticksAtLastFile, 0);
    // 900 ms of copies: about 45 ticks; none while the job's thread is held.
    EXPECT_GT(ticksAtFinish - ticksAtLastFile, 20);
    ASSERT_EQ(albumGains.size(), 3);
    for (const QString& gain : albumGains) {
        EXPECT_TRUE(gain.endsWith(" dB")) << gain.toStdString();
        EXPECT_EQ(gain, albumGains[0]);
    }
}
