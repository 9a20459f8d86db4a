// sondrel-cli rip into the encoded formats as a user runs it: the files, the MP3 tag from the
// disc fields on the command line, the fields kept in cd.dat for the next rip, --keep-wav, the
// OutputFormat setting as the default, and a truncated image.
#include "settings/IniFile.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CliRipFormats : public ::testing::Test {
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
    // The audio files; the rip log beside them has tests of its own.
    QStringList files(const QString& folder) const {
        QStringList audio = QDir(folder).entryList(QDir::Files, QDir::Name);
        audio.removeIf([](const QString& name) { return name.endsWith(".log"); });
        return audio;
    }
    QTemporaryDir dir;
};

TEST_F(CliRipFormats, Mp3TaggedFromTheCommandLineAndTheFieldsAreKeptForTheNextRip) {
    TTestDisc disc(dir.path(), {90, 60});
    const QString out = dir.filePath("mp3");
    auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "mp3", "--out", out, "--artist",
                  "Night Band", "--album", "Live", "--year", "2004", "--genre", "hip-hop",
                  "--comment", "from the CLI", "--title", "2=Encore"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, (out + "/Track01.mp3\n" + out + "/Encore.mp3\n").toUtf8());
    EXPECT_TRUE(r.Err.contains("encoding to " + out.toUtf8() + "/Encore.mp3"))
        << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("Ripped 2 of 2 tracks")) << r.Err.toStdString();
    EXPECT_EQ(files(out), (QStringList{"Encore.mp3", "Track01.mp3"}));
    const QByteArray tag = ReadWholeFile(out + "/Encore.mp3").right(128);
    ASSERT_EQ(tag.left(3), "TAG");
    EXPECT_EQ(tag.mid(3, 30), QByteArray("Encore").leftJustified(30, '\0'));
    EXPECT_EQ(tag.mid(33, 30), QByteArray("Night Band").leftJustified(30, '\0'));
    EXPECT_EQ(tag.mid(93, 4), "2004");
    EXPECT_EQ(tag.mid(97, 12), "from the CLI");
    EXPECT_EQ(tag.at(126), 2);
    EXPECT_EQ(quint8(tag.at(127)), 7); // Hip-Hop

    // The fields went to cd.dat with the titles; the next rip takes them from there.
    const QString ogg = dir.filePath("ogg");
    r = cli(
        {"--disc-image", disc.CuePath, "rip", "--format", "ogg", "--out", ogg, "--tracks", "2"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(files(ogg), QStringList{"Encore.ogg"});
    const auto probe = RunProgram("ffprobe", {"-v", "error", "-show_entries", "stream_tags", "-of",
                                              "default=nw=1", ogg + "/Encore.ogg"});
    const QByteArray tags = probe.Out.toLower();
    EXPECT_TRUE(tags.contains("tag:artist=night band")) << probe.Out.toStdString();
    EXPECT_TRUE(tags.contains("tag:genre=hip-hop")) << probe.Out.toStdString();
    EXPECT_TRUE(tags.contains("tag:title=encore")) << probe.Out.toStdString();
}

TEST_F(CliRipFormats, KeepWavAndTheDefaultFormatFromTheSettings) {
    TTestDisc disc(dir.path(), {40});
    QDir().mkpath(dir.filePath("config"));
    WriteWholeFile(dir.filePath("config/options.ini"),
                   QByteArray(NoLookup) + "[CommonOptions]\nOutputFormat=5\n");
    const QString out = dir.filePath("out");
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--out", out, "--keep-wav"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(files(out), (QStringList{"Track01.ape", "Track01.wav"}));
    EXPECT_EQ(ReadWholeFile(out + "/Track01.wav").mid(44), disc.TrackBytes(0));
    const auto d =
        RunProgram("ffmpeg", {"-v", "error", "-i", out + "/Track01.ape", "-f", "s16le", "-"});
    EXPECT_EQ(d.Out, disc.TrackBytes(0));
}

TEST_F(CliRipFormats, ATruncatedImageFailsItsTrackAndGivesStatusOne) {
    // Track 2 ends past the end of the BIN and track 3 lies beyond it: both fail to read.
    TTestDisc disc(dir.path(), {30, 30, 30});
    disc.TruncateBin(45);
    const QString out = dir.filePath("out");
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "flac", "--out", out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("sondrel-cli: Error while reading CD information!"))
        << r.Err.toStdString();
    EXPECT_EQ(r.Err.count("sondrel-cli: Error while reading CD information!"), 2);
    EXPECT_TRUE(r.Err.contains("Ripped 1 of 3 tracks")) << r.Err.toStdString();
    EXPECT_EQ(r.Out, (out + "/Track01.flac\n").toUtf8());
    // The partial WAV of the failed track stays as one; nothing was encoded from it.
    const QStringList left = files(out);
    EXPECT_TRUE(left.contains("Track02.partial.wav"));
    EXPECT_FALSE(left.contains("Track01.wav"));
    EXPECT_FALSE(left.contains("Track02.flac"));
    EXPECT_FALSE(left.contains("Track03.flac"));
}

} // namespace
