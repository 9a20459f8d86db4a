// The rip worker over real images: chunking and progress, byte-exact WAVs, read and write
// failures, stop, damaged tables and the normalisation pass.
#include "RipWorkerSupport.h"
#include "cdrip/CDRipThread.h"
#include "settings/TAppOptions.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class RipThread : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        out = dir.filePath("out");
        QDir().mkpath(out);
        options.OutputFolder = out;
        options.IsNormalize = false;
        options.NormalizePercent = 95;
    }
    void TearDown() override {
        if (handle)
            CloseCDHandle(handle);
    }

    // Opens the disc and runs one worker to its end; the events land in `events`.
    void rip(const TTestDisc& disc, int track, const QString& title, bool abortAtOnce = false) {
        if (!handle)
            handle = OpenTestImage(disc.CuePath);
        ASSERT_NE(handle, 0);
        runWorker(track, title, abortAtOnce);
    }
    void runWorker(int track, const QString& title, bool abortAtOnce = false) {
        {
            TCDRipThread worker(track, wav(title), options);
            worker.CDHandle = handle;
            worker.NotifyWindow = &events;
            worker.Aborted = abortAtOnce;
            worker.start();
        } // waits for the end
        QCoreApplication::sendPostedEvents(&events);
    }
    QString wav(const QString& title) const { return out + "/" + title + ".wav"; }

    QTemporaryDir dir;
    QString out;
    TAppOptions options;
    HCDROM handle = 0;
    TEventCollector events;
};

TEST_F(RipThread, ReadsInChunksOfTenAndWritesTheTracksBytes) {
    TTestDisc disc(dir.path(), {25});
    rip(disc, 1, "One");
    EXPECT_EQ(events.Percents(), (std::vector<int>{40, 80, 100}));
    ASSERT_EQ(events.Infos.back().Value, ProcessRipEnded);
    EXPECT_EQ(events.Infos.back().ErrorCode, RipOk);
    const QByteArray file = ReadWholeFile(wav("One"));
    ASSERT_EQ(file.size(), 44 + 25 * CdSectorBytes);
    EXPECT_EQ(file.mid(44), disc.TrackBytes(0));
}

TEST_F(RipThread, EachTrackGetsItsOwnBytesAlsoWhenTheFirstTrackStartsLate) {
    for (int offset : {0, 150}) {
        TTestDisc disc(dir.path(), {30, 17, 41}, offset, QStringLiteral("d%1").arg(offset));
        handle = OpenTestImage(disc.CuePath);
        for (int t = 1; t <= 3; ++t) {
            const QString title = QStringLiteral("T%1-%2").arg(offset).arg(t);
            runWorker(t, title);
            EXPECT_EQ(ReadWholeFile(wav(title)).mid(44), disc.TrackBytes(t - 1))
                << "offset " << offset << " track " << t;
        }
        CloseCDHandle(handle);
        handle = 0;
    }
    // 30 sectors are read as three chunks of 10.
    const std::vector<int> percents = events.Percents();
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(std::vector<int>(percents.begin(), percents.begin() + 3),
              (std::vector<int>{33, 66, 100}));
}

TEST_F(RipThread, TenSectorsGiveA23564ByteFileThatFfprobeReads) {
    TTestDisc disc(dir.path(), {10});
    rip(disc, 1, "Ten");
    const QByteArray file = ReadWholeFile(wav("Ten"));
    ASSERT_EQ(file.size(), 23564);
    EXPECT_EQ(file.left(4), "RIFF");
    EXPECT_EQ(Le32(file, 4), 23556u);
    EXPECT_EQ(file.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(file, 40), 23520u);
    const auto probe = RunProgram("ffprobe", {"-v", "error", "-show_entries",
                                              "stream=codec_name,sample_rate,channels,duration_ts",
                                              "-of", "default=nw=1", wav("Ten")});
    ASSERT_EQ(probe.ExitCode, 0) << probe.Err.toStdString();
    EXPECT_TRUE(probe.Out.contains("codec_name=pcm_s16le"));
    EXPECT_TRUE(probe.Out.contains("sample_rate=44100"));
    EXPECT_TRUE(probe.Out.contains("channels=2"));
    EXPECT_TRUE(probe.Out.contains("duration_ts=5880")) << probe.Out.toStdString();
}

TEST_F(RipThread, ATruncatedBinFailsTheReadAndLeavesAPartialFileSayingZeroBytes) {
    TTestDisc disc(dir.path(), {35});
    handle = OpenTestImage(disc.CuePath);
    disc.TruncateBin(20); // the table still says 35 sectors
    runWorker(1, "Cut");
    ASSERT_FALSE(events.Infos.empty());
    EXPECT_EQ(events.Infos.back().Value, ProcessRipEnded);
    EXPECT_EQ(events.Infos.back().ErrorCode, RipReadFailed);
    // Progress still went to the end when the third chunk failed.
    EXPECT_EQ(events.Percents(), (std::vector<int>{28, 57, 85}));
    const QByteArray file = ReadWholeFile(wav("Cut"));
    ASSERT_EQ(file.size(), 44 + 20 * CdSectorBytes);
    EXPECT_EQ(Le32(file, 40), 0u);
    EXPECT_EQ(Le32(file, 4), 36u);
    EXPECT_EQ(file.mid(44), disc.TrackBytes(0).left(20 * CdSectorBytes));
}

TEST_F(RipThread, AStopDuringTheFirstChunkKeepsThatChunkWithAMatchingHeader) {
    TTestDisc disc(dir.path(), {40});
    rip(disc, 1, "Stopped", /*abortAtOnce=*/true);
    // One progress event and no outcome.
    EXPECT_EQ(events.Percents(), (std::vector<int>{25}));
    const QByteArray file = ReadWholeFile(wav("Stopped"));
    ASSERT_EQ(file.size(), 44 + 10 * CdSectorBytes);
    EXPECT_EQ(Le32(file, 40), quint32(10 * CdSectorBytes));
    EXPECT_EQ(Le32(file, 4), quint32(10 * CdSectorBytes + 36));
    EXPECT_EQ(file.mid(44), disc.TrackBytes(0).left(10 * CdSectorBytes));
}

TEST_F(RipThread, ASymbolicLinkInTheOutputFolderIsReplacedNotFollowed) {
    TTestDisc disc(dir.path(), {5});
    WriteWholeFile(dir.filePath("outside.txt"), "keep me");
    ASSERT_TRUE(QFile::link(dir.filePath("outside.txt"), wav("Linked")));
    rip(disc, 1, "Linked");
    EXPECT_EQ(events.Infos.back().ErrorCode, RipOk);
    EXPECT_EQ(ReadWholeFile(dir.filePath("outside.txt")), "keep me");
    EXPECT_FALSE(QFileInfo(wav("Linked")).isSymLink());
    EXPECT_EQ(ReadWholeFile(wav("Linked")).mid(44), disc.TrackBytes(0));
}

TEST_F(RipThread, AFileTheSystemRefusesSaysWhy) {
    TTestDisc disc(dir.path(), {10});
    rip(disc, 1, QString(300, QLatin1Char('x'))); // too long for a name
    ASSERT_EQ(events.Infos.back().ErrorCode, RipCannotCreate);
    EXPECT_TRUE(events.Infos.back().ErrorText.endsWith(": File name too long"))
        << events.Infos.back().ErrorText.toStdString();
}

TEST_F(RipThread, ADriveThatRefusesSetUpPosts2125) {
    handle = 0;
    TCDRipThread worker(1, out + "/x.wav", options);
    worker.CDHandle = 4711; // not an open handle
    worker.NotifyWindow = &events;
    worker.start();
    worker.wait();
    QCoreApplication::sendPostedEvents(&events);
    EXPECT_EQ(events.DriveFailures, (std::vector<int>{DriveSetupRefused}));
    EXPECT_TRUE(events.Infos.empty());
    EXPECT_TRUE(QDir(out).isEmpty());
}

// A file size limit makes writes fail as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lim = m_old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

TEST_F(RipThread, AFailedWriteFailsTheTrackNamingTheFileAndTheReason) {
    TTestDisc disc(dir.path(), {30});
    {
        FileSizeLimit limit(44 + 15 * CdSectorBytes);
        rip(disc, 1, "Full");
    }
    ASSERT_FALSE(events.Infos.empty());
    const TProcessInfo& last = events.Infos.back();
    EXPECT_EQ(last.Value, ProcessRipEnded);
    EXPECT_EQ(last.ErrorCode, RipWriteFailed);
    EXPECT_TRUE(last.ErrorText.startsWith("Cannot write " + wav("Full") + ": "))
        << last.ErrorText.toStdString();
    EXPECT_TRUE(last.ErrorText.contains("File too large")) << last.ErrorText.toStdString();
    EXPECT_EQ(Le32(ReadWholeFile(wav("Full")), 40), 0u);
}

TEST_F(RipThread, NormalisationScalesTheSamplesAndLeavesNoTempFile) {
    TTestDisc disc(dir.path(), {12});
    options.IsNormalize = true;
    options.NormalizePercent = 50;
    rip(disc, 1, "Half");
    std::vector<int> values;
    for (const TProcessInfo& i : events.Infos)
        values.push_back(i.Value);
    const auto at999 = std::find(values.begin(), values.end(), ProcessNormalizing);
    ASSERT_NE(at999, values.end());
    EXPECT_EQ(std::vector<int>(values.begin(), at999), (std::vector<int>{83, 100}));
    EXPECT_EQ(values.back(), ProcessRipEnded);
    EXPECT_EQ(events.Infos.back().ErrorCode, RipOk);
    EXPECT_FALSE(QFile::exists(out + "/Half.nor"));

    const QByteArray file = ReadWholeFile(wav("Half"));
    const QByteArray raw = disc.TrackBytes(0);
    ASSERT_EQ(file.size(), 44 + raw.size());
    EXPECT_EQ(Le32(file, 40), quint32(raw.size()));
    for (int i = 0; i < raw.size(); i += 2) {
        const int x = qint16(quint8(raw[i]) | (quint8(raw[i + 1]) << 8));
        const int y = qint16(quint8(file[44 + i]) | (quint8(file[44 + i + 1]) << 8));
        ASSERT_EQ(y, int(std::nearbyint(x * 0.5))) << "sample " << i / 2;
    }
}

TEST_F(RipThread, ANormalisationThatCannotWriteKeepsTheWavAndStillEnds) {
    TTestDisc disc(dir.path(), {12});
    options.IsNormalize = true;
    options.NormalizePercent = 50;
    ASSERT_TRUE(QDir().mkdir(out + "/Blocked.nor")); // the temporary file cannot be made
    rip(disc, 1, "Blocked");
    EXPECT_EQ(events.Infos.back().Value, ProcessRipEnded);
    EXPECT_EQ(events.Infos.back().ErrorCode, RipOk);
    EXPECT_EQ(ReadWholeFile(wav("Blocked")).mid(44), disc.TrackBytes(0));
}

} // namespace
