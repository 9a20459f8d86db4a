// Secure rips and verification from the command line against a local AccurateRip database:
// the FLAC files, the rip log with each track's sums, and the verdicts of rip and verify; a
// disc with a data track, a silent track and an answer with pressings that must not count;
// files changed after the rip; and a database that cannot be reached.
#include "tests/common/ArOracle.h"
#include "tests/common/CddbTestServer.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class CliAccurateRip : public ::testing::Test {
protected:
    TProcessResult cli(const QStringList& args) {
        return RunProgram(BuiltProgram("cli/sondrel-cli"),
                          QStringList{"--config-dir", dir.filePath("config")} + args);
    }
    QTemporaryDir dir;
};

QString hex8(uint32_t v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

TEST_F(CliAccurateRip, SecureRipToFlacIsAccurateAndVerifiesFromItsLog) {
    // Tracks at sectors 0, 20 and 29, lead-out at 43: id1 = 92 (0x5c), id2 = 1 + 20·2 + 29·3
    // + 43·4 = 300 (0x12c), freedb id 06000003 (digit sums 2+2+2, 0 seconds, 3 tracks).
    TTestDisc disc(dir.path(), {20, 9, 14});
    std::vector<TOracleSums> sums;
    std::vector<std::pair<int, uint32_t>> v1, v2;
    for (int i = 0; i < 3; ++i) {
        sums.push_back(OracleSums(disc.TrackBytes(i), i == 0, i == 2));
        v1.push_back({3, sums.back().V1});
        v2.push_back({5, sums.back().V2});
    }
    const QByteArray answer =
        DbarPressing(92, 300, 0x06000003, v1) + DbarPressing(92, 300, 0x06000003, v2);
    TCddbTestServer server([answer](const TCddbTestServer::Request& r) {
        return r.RequestLine.startsWith(
                   "GET /accuraterip/c/5/0/dBAR-003-0000005c-0000012c-06000003.bin ")
                   ? TCddbTestServer::ok(answer)
                   : QByteArray("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    });
    ASSERT_TRUE(server.isListening());
    ASSERT_EQ(cli({"settings", "--set", "AccurateRip.Server=" + server.address()}).ExitCode, 0);

    const QString out = dir.filePath("out");
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--secure", "--format", "flac",
                        "--out", out, "--album", "Test: Album"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(QFile::exists(QDir(out).filePath(QStringLiteral("Track0%1.flac").arg(n))));
        EXPECT_TRUE(
            r.Err.contains(QStringLiteral("Track 0%1: accurate (confidence 8)\n").arg(n).toUtf8()))
            << r.Err.toStdString();
    }
    QFile log(QDir(out).filePath("Test: Album.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << r.Err.toStdString();
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("Read mode: secure")) << text.toStdString();
    for (int i = 0; i < 3; ++i) {
        const QString block =
            QStringLiteral("Track 0%1\n  File: Track0%1.flac\n  CRC32: %2\n  AccurateRip v1: "
                           "%3\n  AccurateRip v2: %4\n  AccurateRip: accurate (confidence 8)\n"
                           "  Re-read sectors: 0\n  Unreadable sectors: 0\n")
                .arg(i + 1)
                .arg(hex8(sums[size_t(i)].Crc32), hex8(sums[size_t(i)].V1),
                     hex8(sums[size_t(i)].V2));
        EXPECT_TRUE(text.contains(block)) << text.toStdString();
    }

    // The FLAC files decode to the same sums, with the table the log holds. Newer logs that
    // this program did not write, or too large to be one of its own, are passed over.
    QByteArray foreign = text.toUtf8();
    foreign.replace(hex8(sums[0].Crc32).toUtf8(), "00000000");
    WriteWholeFile(out + "/other.log", "Another program's log\n" + foreign);
    QFile huge(out + "/huge.log");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(foreign);
    ASSERT_TRUE(huge.resize(300 << 20)); // sparse: no 300 MB are written
    huge.close();
    const auto fromFiles = cli({"verify", out});
    EXPECT_EQ(fromFiles.ExitCode, 0) << fromFiles.Err.toStdString();
    EXPECT_TRUE(fromFiles.Err.contains("Log: " + out.toUtf8() + "/Test: Album.log\n"))
        << fromFiles.Err.toStdString();
    EXPECT_EQ(fromFiles.Out.count("accurate (confidence 8)"), 3) << fromFiles.Out.toStdString();
    const auto fromImage = cli({"--disc-image", disc.CuePath, "verify"});
    EXPECT_EQ(fromImage.ExitCode, 0) << fromImage.Err.toStdString();
    EXPECT_TRUE(fromImage.Out.contains(QStringLiteral("Track 02: accurate (confidence 8)  CRC32 %1")
                                           .arg(hex8(sums[1].Crc32))
                                           .toUtf8()))
        << fromImage.Out.toStdString();

    // Verify-first: every track is confirmed by its one read; the two modes exclude each other.
    const QString once = dir.filePath("once");
    const auto v = cli({"--disc-image", disc.CuePath, "rip", "--speed", "16", "--verify-first",
                        "--format", "flac", "--out", once, "--album", "Once"});
    ASSERT_EQ(v.ExitCode, 0) << v.Err.toStdString();
    EXPECT_EQ(v.Err.count(": accurate (confidence 8)\n"), 3) << v.Err.toStdString();
    const QByteArray onceLog = ReadWholeFile(QDir(once).filePath("Once.log"));
    EXPECT_TRUE(onceLog.contains("Read mode: verify first (")) << onceLog.constData();
    EXPECT_EQ(onceLog.count("  Read: once, accurate (confidence 8); "), 3) << onceLog.constData();
    EXPECT_EQ(cli({"rip", "--secure", "--verify-first"}).ExitCode, 2);

    // A disc the database does not know.
    TTestDisc other(dir.path(), {15, 15}, 0, "other");
    const auto unknown = cli(
        {"--disc-image", other.CuePath, "rip", "--format", "wav", "--out", dir.filePath("other")});
    EXPECT_EQ(unknown.ExitCode, 0) << unknown.Err.toStdString();
    EXPECT_TRUE(unknown.Err.contains("Track 01: not in database\nTrack 02: not in database\n"))
        << unknown.Err.toStdString();
}

TEST_F(CliAccurateRip, DataTrackSilenceAndFilesChangedAfterTheRip) {
    // Audio at sectors 0, 20 and 29, a data track at 43, lead-out at 53; track 2 is silence.
    TTestDisc disc(dir.path(), {20, 9, 14, 10});
    QByteArray sheet = ReadWholeFile(disc.CuePath);
    ASSERT_TRUE(sheet.contains("TRACK 04 AUDIO"));
    WriteWholeFile(disc.CuePath, sheet.replace("TRACK 04 AUDIO", "TRACK 04 MODE1/2352"));
    QByteArray bin = ReadWholeFile(disc.BinPath);
    bin.replace(20 * 2352, 9 * 2352, QByteArray(9 * 2352, '\0'));
    WriteWholeFile(disc.BinPath, bin);
    // The name counts the three audio tracks and ends at the disc's lead-out; the freedb id
    // counts all four. The last audio track is the last one the sums leave the end off.
    const QString name = OracleArName({0, 20, 29}, 53, OracleCddbId({150, 170, 179, 193}, 203));
    const QString id1 = name.mid(9, 8);
    const QByteArray path = QStringLiteral("/accuraterip/%1/%2/%3/%4")
                                .arg(id1[7])
                                .arg(id1[6])
                                .arg(id1[5])
                                .arg(name)
                                .toUtf8();
    const TOracleSums first = OracleSums(disc.TrackBytes(0), true, false);
    const TOracleSums silent = OracleSums(QByteArray(9 * 2352, '\0'), false, false);
    const TOracleSums last = OracleSums(disc.TrackBytes(2), false, true);
    ASSERT_EQ(silent.V1 | silent.V2, 0u);
    // The v1 pressing holds the zero-confidence zero sum real answers hold for silence; the v2
    // pressing a zero sum that rips agreed on; a 99-track pressing matches every track.
    std::vector<std::pair<int, uint32_t>> other(99, {200, 1});
    other[0] = {200, first.V1};
    other[1] = {200, 0};
    other[2] = {200, last.V1};
    const QByteArray answer = DbarPressing(1, 2, 3, {{3, first.V1}, {0, 0}, {3, last.V1}}) +
                              DbarPressing(1, 2, 3, {{2, first.V2}, {4, 0}, {2, last.V2}}) +
                              DbarPressing(1, 2, 3, other);
    TCddbTestServer server([answer, path](const TCddbTestServer::Request& r) {
        return r.RequestLine.startsWith("GET " + path + " ")
                   ? TCddbTestServer::ok(answer)
                   : QByteArray("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    });
    ASSERT_TRUE(server.isListening());
    ASSERT_EQ(cli({"settings", "--set", "AccurateRip.Server=" + server.address()}).ExitCode, 0);

    const QString out = dir.filePath("out");
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "wav", "--out", out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("Track 01: accurate (confidence 5)\nTrack 02: silent: cannot be "
                               "verified\nTrack 03: accurate (confidence 5)\n"))
        << r.Err.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(out).filePath("Track04.wav")));
    const QByteArray log = ReadWholeFile(QDir(out).filePath("rip.log"));
    EXPECT_TRUE(log.contains("  Track 03  start 179  length 14\n  Track 04  start 193  length 10"
                             "  data\n  Lead-out  203\n"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("1 silent (cannot be verified)")) << log.toStdString();

    const QByteArray verdicts = "Track 01: accurate (confidence 5)  CRC32 " +
                                hex8(first.Crc32).toUtf8() + "  AR v1 " + hex8(first.V1).toUtf8();
    for (const QStringList& verify :
         {QStringList{"verify", out}, QStringList{"--disc-image", disc.CuePath, "verify"}}) {
        const auto v = cli(verify);
        EXPECT_EQ(v.ExitCode, 1) << v.Err.toStdString(); // silence is not accurate
        EXPECT_TRUE(v.Out.startsWith("Disc: " + name.toUtf8() + "\n")) << v.Out.toStdString();
        EXPECT_TRUE(v.Out.contains(verdicts)) << v.Out.toStdString();
        EXPECT_TRUE(v.Out.contains("Track 02: silent: cannot be verified  CRC32 ") &&
                    v.Out.contains("Track 03: accurate (confidence 5)"))
            << v.Out.toStdString();
    }

    // A second of noise after track 1; a byte changed in the last 5 sectors of track 3, which
    // the AccurateRip sums leave out; track 2 gone.
    const QString track1 = QDir(out).filePath("Track01.wav");
    const QString noise = dir.filePath("noise.wav");
    const QString longer = dir.filePath("longer.wav");
    ASSERT_EQ(RunProgram("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", noise, "synth", "1",
                                 "whitenoise"})
                  .ExitCode,
              0);
    ASSERT_EQ(RunProgram("sox", {track1, noise, longer}).ExitCode, 0);
    ASSERT_TRUE(QFile::remove(track1) && QFile::rename(longer, track1));
    const QString track3 = QDir(out).filePath("Track03.wav");
    QByteArray wav = ReadWholeFile(track3);
    wav[wav.size() - 1000] = char(wav[wav.size() - 1000] ^ 0x40);
    WriteWholeFile(track3, wav);
    ASSERT_TRUE(QFile::remove(QDir(out).filePath("Track02.wav")));
    const auto changed = cli({"verify", out});
    EXPECT_EQ(changed.ExitCode, 1);
    EXPECT_TRUE(changed.Out.contains("Track 01: changed since the rip  CRC32 ") &&
                changed.Out.contains("Track 02: unreadable\n") &&
                changed.Out.contains("Track 03: changed since the rip  CRC32 "))
        << changed.Out.toStdString();
    EXPECT_TRUE(changed.Err.contains((track1 + " holds " + QString::number(20 * 588 + 44100) +
                                      " samples, the table of "
                                      "contents says 11760")
                                         .toUtf8()))
        << changed.Err.toStdString();
    EXPECT_TRUE(
        changed.Err.contains((QDir(out).filePath("Track02.wav") + ": No such file").toUtf8()))
        << changed.Err.toStdString();
    EXPECT_TRUE(changed.Err.contains((track3 + " has the CRC32 " +
                                      hex8(OracleSums(wav.mid(44), false, true).Crc32) +
                                      ", the rip log recorded " + hex8(last.Crc32))
                                         .toUtf8()))
        << changed.Err.toStdString();
}

TEST_F(CliAccurateRip, AnUnreachableDatabaseLeavesTracksNotCheckedAndAReplacingRipReplacesTheLog) {
    TTestDisc disc(dir.path(), {12, 10});
    quint16 closedPort = 0;
    {
        TCddbTestServer gone([](const TCddbTestServer::Request&) { return QByteArray(); });
        closedPort = gone.port();
    }
    ASSERT_EQ(cli({"settings", "--set",
                   QStringLiteral("AccurateRip.Server=127.0.0.1:%1").arg(closedPort)})
                  .ExitCode,
              0);
    const QString out = dir.filePath("out");
    const QStringList rip{"--disc-image", disc.CuePath, "rip", "--format",
                          "wav",          "--out",      out,   "--overwrite"};
    const auto first = cli(rip);
    ASSERT_EQ(first.ExitCode, 0) << first.Err.toStdString();
    EXPECT_TRUE(first.Err.contains("Track 01: not checked\nTrack 02: not checked\n"))
        << first.Err.toStdString();
    const auto second = cli(rip);
    ASSERT_EQ(second.ExitCode, 0) << second.Err.toStdString();
    // Without an album the log is rip.log; the second rip replaced the first one's files, and
    // its log replaces the first log with them.
    EXPECT_TRUE(QFile::exists(QDir(out).filePath("rip.log")));
    EXPECT_FALSE(QFile::exists(QDir(out).filePath("rip (2).log")));
    EXPECT_EQ(cli({"verify", out}).ExitCode, 1);
    // A file the log names that has become a FIFO is refused, not waited on.
    const QString fifo = QDir(out).filePath("Track01.wav");
    QFile::remove(fifo);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto refused = cli({"verify", out});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains((fifo + " cannot be read: it is not a file").toUtf8()))
        << refused.Err.toStdString();

    // --offset 6 takes each track's audio 6 samples (24 bytes) later on the disc.
    const QString shifted = dir.filePath("shifted");
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "wav", "--out", shifted,
                        "--offset", "6", "--tracks", "1"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QByteArray wav = ReadWholeFile(QDir(shifted).filePath("Track01.wav"));
    EXPECT_TRUE(wav.mid(44) == (disc.TrackBytes(0) + disc.TrackBytes(1)).mid(24, 12 * 2352));
    EXPECT_TRUE(
        ReadWholeFile(QDir(shifted).filePath("rip.log")).contains("Read offset: +6 samples\n"));
    EXPECT_EQ(cli({"rip", "--offset", "six"}).ExitCode, 2);
}

} // namespace
