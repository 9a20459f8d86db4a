// sondrel-cli's disc commands run as a user would run them, over images the tests write:
// drives, tracks and rip, their files, saved titles and exit codes.
#include "disc/CdAccess.h"
#include "settings/IniFile.h"
#include "tests/common/ArOracle.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class CliDisc : public ::testing::Test {
protected:
    // No AccurateRip lookup: the tests must not reach for the network.
    void SetUp() override {
        QDir().mkpath(dir.filePath("config"));
        WriteWholeFile(dir.filePath("config/options.ini"), NoLookup);
    }
    static constexpr const char* NoLookup = "[AccurateRip]\nServer=\n";
    TProcessResult cli(const QStringList& args) {
        return RunProgram(BuiltProgram("cli/sondrel-cli"),
                          QStringList{"--config-dir", dir.filePath("config")} + args);
    }
    QTemporaryDir dir;
};

TEST_F(CliDisc, DrivesListsTheImagesInOrder) {
    TTestDisc a(dir.path(), {20}, 0, "alpha");
    TTestDisc b(dir.path(), {20}, 0, "beta");
    const auto r = cli({"--disc-image", b.CuePath, "--disc-image", a.CuePath, "drives"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.startsWith("0\tImage   beta.cue\n1\tImage   alpha.cue\n"))
        << r.Out.toStdString();
    EXPECT_EQ(cli({"drives", "--bogus"}).ExitCode, 2);
}

TEST_F(CliDisc, TracksListsTheTrackListRows) {
    TTestDisc disc(dir.path(), {1650, 1950, 75});
    const auto r = cli({"--disc-image", disc.CuePath, "tracks"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, "No.\tTitle\tStart Time\tLength(min)\n"
                     "1\tTrack01\t00:02\t00:22\n"
                     "2\tTrack02\t00:24\t00:26\n"
                     "3\tTrack03\t00:50\t00:01\n");

    // A track performed by someone other than the disc artist adds a last column, Artist.
    const QString cue = disc.WritePerTrackSheet("guest", "PERFORMER \"The Band\"\n");
    QByteArray sheet = ReadWholeFile(cue);
    sheet.replace("TRACK 02 AUDIO\n", "TRACK 02 AUDIO\n    TITLE \"Duet\"\n"
                                      "    PERFORMER \"A Guest\"\n");
    WriteWholeFile(cue, sheet);
    const auto guest = cli({"--disc-image", cue, "tracks"});
    ASSERT_EQ(guest.ExitCode, 0) << guest.Err.toStdString();
    EXPECT_EQ(guest.Out, "No.\tTitle\tStart Time\tLength(min)\tArtist\n"
                         "1\tTrack01\t00:02\t00:22\t\n"
                         "2\tDuet\t00:24\t00:26\tA Guest\n"
                         "3\tTrack03\t00:50\t00:01\t\n");
}

TEST_F(CliDisc, LibcdioWarningsDoNotReachTheTerminal) {
    // A first track that starts late makes libcdio warn about a short pregap.
    TTestDisc disc(dir.path(), {30, 20}, 150);
    const auto r = cli({"--disc-image", disc.CuePath, "tracks"});
    ASSERT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Err, "");
    EXPECT_TRUE(r.Out.contains("\n1\tTrack01\t00:04\t00:00\n")) << r.Out.toStdString();
}

TEST_F(CliDisc, WithoutAnyDriveDrivesSaysSo) {
    const auto r = cli({"drives"});
    if (r.ExitCode == 0)
        GTEST_SKIP() << "this machine has a CD drive";
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "sondrel-cli: No CD drive found.\n");
    EXPECT_EQ(r.Out, "");
}

TEST_F(CliDisc, RipWritesEachTrackAsAWavAndKeepsTheTitles) {
    TTestDisc disc(dir.path(), {25, 40, 13});
    const QString out = dir.filePath("out");
    auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "wav", "--out", out, "--title",
                  "2=Second Song"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QStringList names = {"Track01", "Second Song", "Track03"};
    QByteArray expectedOut;
    for (int i = 0; i < 3; ++i) {
        const QString path = out + "/" + names[i] + ".wav";
        const QByteArray file = ReadWholeFile(path);
        ASSERT_EQ(file.size(), 44 + disc.Sectors[size_t(i)] * CdSectorBytes) << i;
        EXPECT_EQ(file.left(4), "RIFF");
        EXPECT_EQ(file.mid(36, 4), "data");
        EXPECT_EQ(file.mid(44), disc.TrackBytes(i)) << i;
        expectedOut += path.toUtf8() + "\n";
    }
    EXPECT_EQ(r.Out, expectedOut);
    EXPECT_TRUE(r.Err.contains("Ripped 3 of 3 tracks into " + out.toUtf8()));
    // The three WAVs, rip.log, rip.m3u8 and rip.cue.
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 6);

    // The title was saved to cd.dat and comes back.
    r = cli({"--disc-image", disc.CuePath, "tracks"});
    EXPECT_TRUE(r.Out.contains("\n2\tSecond Song\t")) << r.Out.toStdString();
}

TEST_F(CliDisc, RipChosenTracksNormalisedIntoTheOutputFolderSetting) {
    TTestDisc disc(dir.path(), {10, 10, 10, 10});
    const QString out = dir.filePath("setting-out");
    QDir().mkpath(dir.filePath("config"));
    WriteWholeFile(dir.filePath("config/options.ini"),
                   NoLookup +
                       ("[CommonOptions]\nOutputFolder=" + out.toUtf8() + "\nOutputFormat=1\n"));
    const auto r =
        cli({"--disc-image", disc.CuePath, "rip", "--tracks", "1,3-4", "--normalize", "50"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{"rip.cue", "rip.log", "rip.m3u8", "Track01.wav", "Track03.wav",
                           "Track04.wav"}));
    // The log's sums are of the audio as read, before the scaling, and it says so.
    const QByteArray log = ReadWholeFile(out + "/rip.log");
    EXPECT_TRUE(log.contains("Normalisation: 50 %; the files differ from the checked data"));
    const uint32_t crc = OracleSums(disc.TrackBytes(2), false, false).Crc32;
    const QString hex = QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
    EXPECT_TRUE(log.contains(("Track 03\n  File: Track03.wav\n  CRC32: " + hex).toUtf8()))
        << log.constData();
    const QByteArray file = ReadWholeFile(out + "/Track03.wav");
    const QByteArray raw = disc.TrackBytes(2);
    ASSERT_EQ(file.size(), 44 + raw.size());
    for (int i = 0; i < 200; i += 2) {
        const int x = qint16(quint8(raw[i]) | (quint8(raw[i + 1]) << 8));
        const int y = qint16(quint8(file[44 + i]) | (quint8(file[44 + i + 1]) << 8));
        ASSERT_EQ(y, int(std::nearbyint(x * 0.5)));
    }
}

TEST_F(CliDisc, FilesThatExistAreSkippedWithoutATerminalAndReplacedOnRequest) {
    TTestDisc disc(dir.path(), {10, 10});
    const QString out = dir.filePath("out");
    QDir().mkpath(out);
    WriteWholeFile(out + "/Track01.wav", "mine");
    const QStringList rip{"--disc-image", disc.CuePath, "rip", "--format", "wav", "--out", out};
    auto r = cli(rip);
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("their tracks are skipped")) << r.Err.toStdString();
    EXPECT_EQ(ReadWholeFile(out + "/Track01.wav"), "mine");
    EXPECT_EQ(ReadWholeFile(out + "/Track02.wav").mid(44), disc.TrackBytes(1));
    r = cli(rip + QStringList{"--overwrite"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(ReadWholeFile(out + "/Track01.wav").mid(44), disc.TrackBytes(0));
    // Replacing covers the log, playlist and cue sheet of the rip as well.
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{"rip.cue", "rip.log", "rip.m3u8", "Track01.wav", "Track02.wav"}));
    EXPECT_TRUE(ReadWholeFile(out + "/rip.log").contains("File: Track01.wav"));
}

// What mutagen reads of a file's artist, album artist and title: "artist|albumartist|title".
QString MutagenArtists(const QString& path) {
    const TProcessResult r = RunProgram(
        "/usr/bin/python3",
        {"-c",
         "import sys, mutagen\n"
         "f = mutagen.File(sys.argv[1], easy=True)\n"
         "print('|'.join((f.get(k) or [''])[0] for k in ('artist', 'albumartist', 'title')))\n",
         path});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return QString::fromUtf8(r.Out).trimmed();
}

TEST_F(CliDisc, ACompilationIsFiledByItsNameTemplateWithTrackArtistsPlaylistAndCueSheet) {
    TTestDisc disc(dir.path(), {40, 40, 40});
    // CD-Text names a performer per track; track 2's title has a slash, track 3's is given on
    // the command line: 100 CJK characters, 300 bytes.
    const QString cue =
        disc.WritePerTrackSheet("comp", "PERFORMER \"Various Artists\"\nTITLE \"Hits / Misses\"\n");
    QByteArray sheet = ReadWholeFile(cue);
    sheet.replace("TRACK 01 AUDIO\n", "TRACK 01 AUDIO\n    TITLE \"Intro\"\n"
                                      "    PERFORMER \"Singer A\"\n");
    // Track 2 starts with a gap of 10 sectors (INDEX 00): the rip puts it at the end of track
    // 1's file, and the cue sheet says where.
    sheet.replace("TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
                  "TRACK 02 AUDIO\n    TITLE \"AC/DC Cover\"\n    PERFORMER \"Band B\"\n"
                  "    INDEX 00 00:00:00\n    INDEX 01 00:00:10\n");
    sheet.replace("TRACK 03 AUDIO\n", "TRACK 03 AUDIO\n    PERFORMER \"Singer A\"\n");
    WriteWholeFile(cue, sheet);
    const QString longTitle(100, QChar(0x97F3));
    const QString tmpl = "{albumartist}/{album}/{track} {title}";
    // An unknown field is a usage error before anything is read or kept.
    auto r = cli({"--disc-image", cue, "rip", "--out", dir.filePath("none"), "--name-template",
                  "{albumartist}/{albm}"});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(r.Err.contains("unknown field {albm}")) << r.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("none")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("config/cd.dat")));

    for (const QString format : {"flac", "mp3"}) {
        const QString out = dir.filePath("lib-" + format);
        // The second rip takes the texts the first kept in cd.dat.
        r = cli({"--disc-image", cue, "rip", "--format", format, "--out", out, "--name-template",
                 tmpl, "--title", "3=" + longTitle});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        const QString album = out + "/Various Artists/Hits - Misses";
        const QStringList files = QDir(album).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(files.size(), 6) << files.join(", ").toStdString();
        EXPECT_EQ(files.mid(0, 2), (QStringList{"01 Intro." + format, "02 AC-DC Cover." + format}));
        // "03 " and as many whole characters (3 bytes each) as leave room for " (NN).partial"
        // and the longest extension within 255 bytes.
        EXPECT_EQ(files[2], "03 " + longTitle.left(78) + "." + format);
        EXPECT_EQ(files.mid(3),
                  (QStringList{"Hits - Misses.cue", "Hits - Misses.log", "Hits - Misses.m3u8"}));
        EXPECT_EQ(MutagenArtists(album + "/01 Intro." + format), "Singer A|Various Artists|Intro");
        EXPECT_EQ(MutagenArtists(album + "/02 AC-DC Cover." + format),
                  "Band B|Various Artists|AC/DC Cover");
        EXPECT_EQ(MutagenArtists(album + "/" + files[2]), "Singer A|Various Artists|" + longTitle);
        const QByteArray list = ReadWholeFile(album + "/Hits - Misses.m3u8");
        EXPECT_TRUE(list.startsWith("#EXTM3U\n#EXTINF:1,Singer A - Intro\n01 Intro." +
                                    format.toUtf8() + "\n#EXTINF:0,Band B - AC/DC Cover\n"))
            << list.constData();
        const QByteArray cueOut = ReadWholeFile(album + "/Hits - Misses.cue");
        EXPECT_TRUE(cueOut.contains("PERFORMER \"Various Artists\"\nTITLE \"Hits / Misses\"\n"
                                    "FILE \"01 Intro." +
                                    format.toUtf8() + (format == "mp3" ? "\" MP3\n" : "\" WAVE\n") +
                                    "  TRACK 01 AUDIO\n    TITLE \"Intro\"\n"
                                    "    PERFORMER \"Singer A\"\n    INDEX 01 00:00:00\n"
                                    "  TRACK 02 AUDIO\n    TITLE \"AC/DC Cover\"\n"
                                    "    PERFORMER \"Band B\"\n    INDEX 00 00:00:40\n"
                                    "FILE \"02 AC-DC Cover." +
                                    format.toUtf8() + (format == "mp3" ? "\" MP3\n" : "\" WAVE\n") +
                                    "    INDEX 01 00:00:00\n"))
            << cueOut.constData();
        // The log names its files relative to its own folder, which verify reads them from.
        EXPECT_TRUE(ReadWholeFile(album + "/Hits - Misses.log")
                        .contains("  File: 02 AC-DC Cover." + format.toUtf8() + "\n"));
    }
    const auto verify = cli({"verify", dir.filePath("lib-flac/Various Artists/Hits - Misses")});
    EXPECT_TRUE(verify.Err.contains("0 of 3 tracks accurate")) << verify.Err.toStdString();
}

TEST_F(CliDisc, TwoDiscsRippedIntoOneFolderLandInTheirOwnAlbumFolders) {
    TTestDisc one(dir.path(), {10, 10}, 0, "one");
    TTestDisc two(dir.path(), {10, 10}, 0, "two");
    const QString out = dir.filePath("out");
    for (const auto& [disc, album] : {std::pair{&one, "First"}, std::pair{&two, "Second"}}) {
        const auto r = cli({"--disc-image", disc->CuePath, "rip", "--format", "wav", "--out", out,
                            "--album", album, "--name-template", "{album}/{track} {title}"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    }
    for (const auto& [disc, album] : {std::pair{&one, "First"}, std::pair{&two, "Second"}}) {
        EXPECT_EQ(QDir(out + "/" + album).entryList(QDir::Files, QDir::Name),
                  (QStringList{"01 Track01.wav", "02 Track02.wav", QString(album) + ".cue",
                               QString(album) + ".log", QString(album) + ".m3u8"}));
        EXPECT_EQ(ReadWholeFile(out + "/" + album + "/02 Track02.wav").mid(44),
                  disc->TrackBytes(1));
    }
    // A log that names a file outside its folder is not used.
    const QString log = out + "/First/First.log";
    QByteArray text = ReadWholeFile(log);
    text.replace("File: 01 Track01.wav", "File: ../Second/01 Track01.wav");
    WriteWholeFile(log, text);
    const auto r = cli({"verify", out + "/First"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("../Second/01 Track01.wav, which is not in its folder"))
        << r.Err.toStdString();
}

TEST_F(CliDisc, ATerminationRequestStopsTheRipWithACorrectHeader) {
    // A long disc over a sparse BIN: the rip is stopped long before its end.
    const QString cue = dir.filePath("long.cue");
    TTestDisc::WriteSparse(cue, {0}, 300000);
    const QString out = dir.filePath("out");
    QProcess p;
    p.setReadChannel(QProcess::StandardError);
    p.start(BuiltProgram("cli/sondrel-cli"),
            {"--config-dir", dir.filePath("config"), "--disc-image", cue, "rip", "--format", "wav",
             "--out", out});
    ASSERT_TRUE(p.waitForStarted());
    QByteArray err;
    while (!err.contains("Track 01") && p.waitForReadyRead(10000))
        err += p.readAllStandardError();
    ASSERT_TRUE(err.contains("Track 01")) << err.toStdString();
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(20000));
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains("Stopped.")) << err.toStdString();
    // What was read stays under a name that says it is incomplete.
    EXPECT_FALSE(QFileInfo::exists(out + "/Track01.wav"));
    const QByteArray head = ReadWholeFile(out + "/Track01.partial.wav").left(44);
    const qint64 size = QFileInfo(out + "/Track01.partial.wav").size();
    ASSERT_EQ(head.size(), 44);
    EXPECT_LT(size, 44 + qint64(300000) * CdSectorBytes);
    const quint32 dataSize = quint8(head[40]) | quint8(head[41]) << 8 | quint8(head[42]) << 16 |
                             quint32(quint8(head[43])) << 24;
    EXPECT_EQ(qint64(dataSize), size - 44);
}

TEST_F(CliDisc, DriveProblemsAreFailuresAndBadArgumentsUsageErrors) {
    TTestDisc disc(dir.path(), {10});
    auto r = cli({"--disc-image", disc.CuePath, "tracks", "--drive", "3"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("CD device information error in your configuration!"));
    // A missing image is refused naming it, by drives too.
    for (const char* command : {"tracks", "drives"}) {
        r = cli({"--disc-image", dir.filePath("missing.cue"), command});
        EXPECT_EQ(r.ExitCode, 1);
        EXPECT_TRUE(
            QString::fromUtf8(r.Err).contains(dir.filePath("missing.cue") +
                                              ": No such file or directory") ||
            QString::fromUtf8(r.Err).contains(dir.filePath("missing.cue") +
                                              " cannot be opened: No such file or directory"))
            << r.Err.toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
    }

    const QString image = disc.CuePath;
    const QList<QStringList> bad = {
        {"rip", "--tracks", "0"},     {"rip", "--tracks", "2-1"},
        {"rip", "--tracks", "x"},     {"rip", "--tracks", "2"},
        {"rip", "--format", "aiff"},  {"rip", "--genre", "Not A Genre"},
        {"rip", "--artist"},          {"rip", "--title", "nothing"},
        {"rip", "--title", "5=Five"}, {"rip", "--normalize", "0"},
        {"rip", "--drive", "x"},      {"rip", "--out"},
        {"rip", "--bogus"},           {"tracks", "--drive"},
    };
    for (const QStringList& args : bad) {
        r = cli(QStringList{"--disc-image", image} + args);
        EXPECT_EQ(r.ExitCode, 2) << args.join(' ').toStdString() << r.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("config/cd.dat")));
}

} // namespace
