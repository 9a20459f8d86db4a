// The secure read and the read offset over test images: a read layer that changes a sector
// on its first read (re-read) and one that never reads the same twice (suspicious, the rip
// fails but keeps its file), and offsets of +6 and -6 samples. Verify-first against a local
// AccurateRip database, with the reads of every sector counted.
#include "RipWorkerSupport.h"
#include "cdrip/RipJob.h"
#include "cdrip/TrackReader.h"
#include "settings/AppOptions.h"
#include "tests/common/ArOracle.h"
#include "tests/common/AudioTestUtil.h"
#include "tests/common/CddbTestServer.h"
#include "tests/common/TestDisc.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>

namespace {

class SecureRip : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

// Reads `count` sectors from `sector` through a reader; empty on failure.
QByteArray readWith(TTrackReader& reader, int sector, int count) {
    QByteArray bytes(count * CdSectorBytes, '\0');
    if (!reader.Read(sector, count, reinterpret_cast<uint8_t*>(bytes.data())))
        return QByteArray();
    return bytes;
}

// The image's bytes from byte `from` of its first track on, silence outside the image.
QByteArray imageBytes(const TTestDisc& disc, qint64 from, qint64 size) {
    QFile bin(disc.BinPath);
    EXPECT_TRUE(bin.open(QIODevice::ReadOnly));
    const QByteArray all = bin.readAll();
    QByteArray out(size, '\0');
    for (qint64 i = 0; i < size; ++i)
        if (from + i >= 0 && from + i < all.size())
            out[i] = all[from + i];
    return out;
}

TEST_F(SecureRip, OffsetShiftsTheDataBySamples) {
    TTestDisc disc(dir.path(), {20, 20});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    for (const bool secure : {false, true})
        for (const int offset : {6, -6}) {
            SCOPED_TRACE(testing::Message() << "offset " << offset << " secure " << secure);
            TTrackReader reader(h, ReadCDAudioLBA, secure, offset, 40);
            // The middle of the disc, and both of its ends, where silence comes in.
            EXPECT_EQ(readWith(reader, 20, 10),
                      imageBytes(disc, 20 * CdSectorBytes + offset * 4, 10 * CdSectorBytes));
            EXPECT_EQ(readWith(reader, 0, 10), imageBytes(disc, offset * 4, 10 * CdSectorBytes));
            EXPECT_EQ(readWith(reader, 30, 10),
                      imageBytes(disc, 30 * CdSectorBytes + offset * 4, 10 * CdSectorBytes));
        }
    CloseCDHandle(h);
}

// A read layer over the image that spoils what `spoil` says: it gets the sector and how often
// that sector was read before, and changes the bytes when it returns true.
TSectorRead spoiling(std::function<bool(int sector, int readsBefore, uint8_t* bytes)> spoil) {
    auto reads = std::make_shared<std::map<int, int>>();
    return [reads, spoil](HCDROM h, TTrackBuf* buf) {
        const int rc = ReadCDAudioLBA(h, buf);
        for (uint32_t i = 0; rc == 1 && i < buf->NumFrames; ++i) {
            const int sector = int(buf->StartFrame + i);
            spoil(sector, (*reads)[sector]++, buf->data() + i * CdSectorBytes);
        }
        return rc;
    };
}

TEST_F(SecureRip, ASectorThatDiffersOnceIsReReadAndComesOutRight) {
    TTestDisc disc(dir.path(), {25});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    // Sectors 3 and 17 read wrong the first time only.
    const TSectorRead flaky = spoiling([](int sector, int before, uint8_t* bytes) {
        if ((sector == 3 || sector == 17) && before == 0)
            bytes[100] ^= 0x5A;
        return true;
    });
    TTrackReader secure(h, flaky, true, 0, 25);
    QByteArray all;
    for (int p = 0; p < 25; p += 10)
        all += readWith(secure, p, std::min(10, 25 - p));
    EXPECT_EQ(all, disc.TrackBytes(0));
    EXPECT_EQ(secure.ReReadSectors(), 2);
    EXPECT_EQ(secure.UnreadableSectors(), 0);
    CloseCDHandle(h);
}

TEST_F(SecureRip, SectorsThatNeverReadTheSameMakeTheTrackSuspiciousAndTheRipFail) {
    TTestDisc disc(dir.path(), {12, 30});
    const QString out = dir.filePath("out");
    QDir().mkpath(out);
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    // Sectors 20 and 21 (track 2) change with every read.
    const TSectorRead noisy = spoiling([](int sector, int before, uint8_t* bytes) {
        if (sector == 20 || sector == 21)
            bytes[7] = uint8_t(bytes[7] + 1 + before);
        return true;
    });
    TAppOptions options = AppOptions;
    options.OutputFolder = out;
    options.OutputFormat = 1; // WAV
    options.ReadMode = "secure";
    options.IsNormalize = false;
    options.AccurateRipServer.clear();
    TDiscFields fields;
    fields.Album = "Noisy";
    TRipJob job(h, PlanOf({"01One", "02Two"}, options, fields), options);
    job.SetPace(0);
    job.SetSectorRead(noisy);
    QStringList verdicts, warnings;
    QEventLoop loop;
    QObject::connect(&job, &TRipJob::trackVerdict, [&](int n, const QString&, const QString& v) {
        verdicts << QStringLiteral("%1 %2").arg(n).arg(v);
    });
    QObject::connect(&job, &TJob::message, [&](TJobSeverity s, const QString& text) {
        if (s == TJobSeverity::Warning)
            warnings << text;
    });
    QObject::connect(&job, &TJob::question, &job, [&job] { job.Answer(TJobAnswer::Yes); });
    QObject::connect(&job, &TJob::finished, &loop, &QEventLoop::quit);
    job.Start();
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!job.IsFinished())
        loop.exec();
    ASSERT_TRUE(job.IsFinished());
    EXPECT_EQ(job.Outcome(), TJobOutcome::Failed);
    EXPECT_EQ(job.Succeeded(), 2); // the suspicious file is kept under its name
    EXPECT_TRUE(QFile::exists(QDir(out).filePath("Two.wav")));
    EXPECT_EQ(verdicts, QStringList({"1 not checked", "2 not checked, suspicious, 2 sectors"}));
    EXPECT_EQ(warnings, QStringList({"Track 2 is suspicious, 2 sectors: they never read the "
                                     "same twice"}));
    QFile log(QDir(out).filePath("Noisy.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("Read mode: secure")) << text.constData();
    EXPECT_TRUE(text.contains("  Unreadable sectors: 2\n  Result: suspicious, 2 sectors\n"))
        << text.constData();
    CloseCDHandle(h);
}

TEST_F(SecureRip, VerifyFirstReadsAgainOnlyWhatTheDatabaseDoesNotConfirm) {
    // Tracks of 20, 9 and 14 sectors; the first read of sector 22 (track 2) comes out wrong.
    TTestDisc disc(dir.path(), {20, 9, 14});
    const HCDROM h = OpenTestImage(disc.CuePath);
    ASSERT_NE(h, 0);
    std::vector<std::pair<int, uint32_t>> sums;
    for (int i = 0; i < 3; ++i)
        sums.push_back({3, OracleSums(disc.TrackBytes(i), i == 0, i == 2).V1});
    auto serve = [](const QByteArray& answer) {
        return [answer](const TCddbTestServer::Request&) { return TCddbTestServer::ok(answer); };
    };
    TCddbTestServer knowsAll(serve(DbarPressing(92, 300, 0x06000003, sums)));
    quint16 closedPort = 0;
    {
        TCddbTestServer gone([](const TCddbTestServer::Request&) { return QByteArray(); });
        closedPort = gone.port();
    }
    struct Case {
        const char* name;
        QString server;
        bool spoilTrack2;
        std::vector<int> readsPerTrack; // of each sector of tracks 1, 2 and 3
        QString verdicts;
        QByteArray logHas;
    };
    const std::vector<Case> cases = {
        {"every track confirmed",
         knowsAll.address(),
         false,
         {1, 1, 1},
         "1 accurate (confidence 3)|2 accurate (confidence 3)|3 accurate (confidence 3)",
         "  Result: ok\n  Read: once, accurate (confidence 3); "},
        // The secure read is what the files and the sums hold.
        {"track 2 read wrong once",
         knowsAll.address(),
         true,
         {1, 3, 1},
         "1 accurate (confidence 3)|2 accurate (confidence 3)|3 accurate (confidence 3)",
         "  Read: once, not confirmed (not accurate); secure re-read: 0 sectors re-read, 0 "
         "unreadable; "},
        {"no database",
         QStringLiteral("127.0.0.1:%1").arg(closedPort),
         false,
         {2, 2, 2},
         "1 not checked|2 not checked|3 not checked",
         "Read mode: verify first, secure for the whole disc: the AccurateRip database gave no "
         "answer ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.filePath(c.name);
        auto reads = std::make_shared<std::map<int, int>>();
        const bool spoil = c.spoilTrack2;
        const TSectorRead counting = [reads, spoil](HCDROM handle, TTrackBuf* buf) {
            const int rc = ReadCDAudioLBA(handle, buf);
            for (uint32_t i = 0; rc == 1 && i < buf->NumFrames; ++i) {
                const int sector = int(buf->StartFrame + i);
                if (spoil && sector == 22 && (*reads)[sector] == 0)
                    buf->data()[buf->StartOffset + i * CdSectorBytes + 9] ^= 0x21;
                ++(*reads)[sector];
            }
            return rc;
        };
        TAppOptions options = AppOptions;
        options.OutputFolder = out;
        options.OutputFormat = 4; // FLAC: each track is encoded while the next one is read
        options.ReadMode = "verify-first";
        options.IsNormalize = false;
        options.IsKeepWav = false;
        options.AccurateRipServer = c.server;
        TRipJob job(h, PlanOf({"01One", "02Two", "03Three"}, options), options);
        job.SetPace(0);
        job.SetSectorRead(counting);
        QStringList verdicts, warnings;
        QEventLoop loop;
        QObject::connect(&job, &TRipJob::trackVerdict,
                         [&](int n, const QString&, const QString& v) {
                             verdicts << QStringLiteral("%1 %2").arg(n).arg(v);
                         });
        QObject::connect(&job, &TJob::message, [&](TJobSeverity s, const QString& text) {
            if (s != TJobSeverity::Info)
                warnings << text;
        });
        QObject::connect(&job, &TJob::question, &job, [&job] { job.Answer(TJobAnswer::Yes); });
        QObject::connect(&job, &TJob::finished, &loop, &QEventLoop::quit);
        const int asked = int(knowsAll.requests().size());
        job.Start();
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!job.IsFinished())
            loop.exec();
        ASSERT_TRUE(job.IsFinished());
        EXPECT_EQ(job.Outcome(), TJobOutcome::Done);
        EXPECT_EQ(verdicts.join('|'), c.verdicts);
        const int first[] = {0, 20, 29, 43};
        for (int track = 0; track < 3; ++track)
            for (int sector = first[track]; sector < first[track + 1]; ++sector)
                EXPECT_EQ((*reads)[sector], c.readsPerTrack[size_t(track)])
                    << "track " << track + 1 << " sector " << sector;
        if (c.server == knowsAll.address()) {
            EXPECT_EQ(knowsAll.requests().size(), asked + 1); // asked once, before the first read
            EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
        } else {
            EXPECT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
            EXPECT_TRUE(warnings.value(0).endsWith("so every track is read in secure mode."))
                << warnings.value(0).toStdString();
        }
        const QByteArray log = ReadWholeFile(QDir(out).filePath("rip.log"));
        EXPECT_TRUE(log.contains(c.logHas)) << log.constData();
        EXPECT_EQ(FfmpegDecode(QDir(out).filePath("Two.flac")), disc.TrackBytes(1));
        EXPECT_EQ(
            QDir(out).entryList(QDir::Files, QDir::Name),
            QStringList({"One.flac", "Three.flac", "Two.flac", "rip.cue", "rip.log", "rip.m3u8"}));
    }
    CloseCDHandle(h);
}

} // namespace
