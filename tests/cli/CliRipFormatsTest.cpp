// sondrel-cli rip into the encoded formats as a user runs it: the files, the MP3 tag from the
// disc fields on the command line, the fields kept in cd.dat for the next rip, Opus, AAC and
// ALAC with their tags, --keep-wav, the OutputFormat setting as the default, a truncated image,
// and several formats from one read.
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
        // The rip's log, playlist and cue sheet.
        audio.removeIf([](const QString& name) {
            return name.endsWith(".log") || name.endsWith(".m3u8") || name.endsWith(".cue");
        });
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

// Opus, AAC (also called m4a) and ALAC from the command line: the files, their codecs and tags
// as ffprobe reads them, ALAC's samples exact.
TEST_F(CliRipFormats, OpusAacAndAlacAreRippedAndTagged) {
    TTestDisc disc(dir.path(), {90, 60});
    const std::pair<const char*, const char*> formats[] = {
        {"opus", "opus"}, {"m4a", "aac"}, {"alac", "alac"}};
    for (const auto& [format, codec] : formats) {
        SCOPED_TRACE(format);
        const QString out = dir.filePath(format);
        const QString ext = codec == QString("opus") ? ".opus" : ".m4a";
        const auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", format, "--out", out,
                            "--artist", "Sigur Rós", "--album", "Ágætis byrjun", "--title",
                            "2=Svefn-g-englar", "--disc", "1/2"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        EXPECT_EQ(files(out), (QStringList{"Svefn-g-englar" + ext, "Track01" + ext}));
        const QString file = out + "/Svefn-g-englar" + ext;
        const auto probe = RunProgram(
            "ffprobe", {"-v", "error", "-select_streams", "a", "-show_entries",
                        "stream=codec_name:format_tags:stream_tags", "-of", "default=nw=1", file});
        const QString tags = QString::fromUtf8(probe.Out).toLower();
        EXPECT_TRUE(tags.contains(QString("codec_name=") + codec)) << probe.Out.toStdString();
        for (const char* tag : {"title=svefn-g-englar", "artist=sigur rós", "album=ágætis byrjun",
                                "track=2/2", "disc=1/2"}) {
            // Vorbis comments keep the numbers and the totals apart.
            QString want = QString::fromUtf8(tag);
            if (codec == QString("opus"))
                want.replace("track=2/2", "track=2").replace("disc=1/2", "disc=1");
            EXPECT_TRUE(tags.contains("tag:" + want)) << tag << "\n" << probe.Out.toStdString();
        }
        if (codec == QString("alac")) {
            for (int t = 0; t < 2; ++t) {
                const QString f = out + (t ? "/Svefn-g-englar.m4a" : "/Track01.m4a");
                const auto d = RunProgram("ffmpeg", {"-v", "error", "-i", f, "-f", "s16le", "-"});
                EXPECT_TRUE(d.Out == disc.TrackBytes(t)) << f.toStdString() << " not bit-exact";
            }
        }
    }
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "mp4"});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(r.Err.contains("--format needs mp3, wav, ogg, wma, flac, ape, opus, aac (or m4a) "
                               "or alac, or several such as flac,mp3, got 'mp4'"))
        << r.Err.toStdString();
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

TEST_F(CliRipFormats, SheetsOfOneFlacOrOneBinPerTrackListTheirCdTextAndRipBitExact) {
    TTestDisc disc(dir.path(), {90, 60, 45});
    const QByteArray texts = "PERFORMER \"The Band\"\nTITLE \"Live\"\n";
    for (const QString& cue :
         {disc.WriteFlacSheet("album", texts), disc.WritePerTrackSheet("split", texts)}) {
        SCOPED_TRACE(cue.toStdString());
        QByteArray sheet = ReadWholeFile(cue);
        sheet.replace("TRACK 01 AUDIO\n", "TRACK 01 AUDIO\n    TITLE \"Alpha\"\n");
        sheet.replace("TRACK 03 AUDIO\n", "TRACK 03 AUDIO\n    TITLE \"Gamma\"\n");
        WriteWholeFile(cue, sheet);
        QFile::remove(dir.filePath("config/cd.dat")); // the discs share their key
        auto r = cli({"--disc-image", cue, "tracks"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        EXPECT_EQ(r.Out, "No.\tTitle\tStart Time\tLength(min)\n1\tAlpha\t00:02\t00:01\n"
                         "2\tTrack02\t00:03\t00:01\n3\tGamma\t00:04\t00:00\n");
        const QString out = dir.filePath(QFileInfo(cue).baseName());
        r = cli({"--disc-image", cue, "rip", "--format", "flac", "--out", out});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        const QStringList names = {"Alpha", "Track02", "Gamma"};
        for (int t = 0; t < 3; ++t) {
            const QString file = out + "/" + names[t] + ".flac";
            const auto d = RunProgram("ffmpeg", {"-v", "error", "-i", file, "-f", "s16le", "-"});
            EXPECT_EQ(d.Out, disc.TrackBytes(t)) << file.toStdString();
        }
        EXPECT_TRUE(ReadWholeFile(dir.filePath("config/cd.dat")).contains("CDArtist=The Band"));
    }
    // Audio before track 1 is reported, not offered.
    TTestDisc hidden(dir.path(), {30, 25}, 150, QStringLiteral("hidden"));
    const auto r = cli({"--disc-image", hidden.CuePath, "tracks"});
    EXPECT_TRUE(r.Out.endsWith("\nHidden track before track 1: 00:02.00 (not ripped)\n"))
        << r.Out.toStdString();
}

TEST_F(CliRipFormats, EveryLayoutOfADiscListsTheSameTracks) {
    // Tracks of 72, 31 and 33 sectors; the first 32, 5 and 8 are each track's gap.
    TTestDisc disc(dir.path(), {72, 31, 33});
    const QStringList images = disc.WriteGapLayouts(QStringLiteral("gapped"), {32, 5, 8},
                                                    {"The Band", "Live", "One", "Two", "Three"});
    ASSERT_EQ(images.size(), 5);
    QByteArray first;
    for (const QString& image : images) {
        SCOPED_TRACE(image.toStdString());
        QFile::remove(dir.filePath("config/cd.dat")); // the layouts share their key
        const auto r = cli({"--disc-image", image, "tracks"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        if (first.isEmpty())
            first = r.Out;
        EXPECT_EQ(r.Out, first);
    }
    // Track 1 starts 32 sectors (0.43 s) after 00:02:00; the titles come from the CD-Text.
    EXPECT_TRUE(first.startsWith("No.\tTitle\tStart Time\tLength(min)\n1\tOne\t00:02\t"));
    EXPECT_TRUE(first.contains("\n3\tThree\t"));
    EXPECT_TRUE(first.endsWith("\nHidden track before track 1: 00:00.42 (not ripped)\n"))
        << first.toStdString();
}

TEST_F(CliRipFormats, AnImageCutShortIsRefusedAtOnceNamingTheTrack) {
    // Track 3 would start past the end of the BIN: the image is no drive at all.
    TTestDisc disc(dir.path(), {30, 30, 30});
    disc.TruncateBin(45);
    const QString out = dir.filePath("out");
    const auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "flac", "--out", out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(QString::fromUtf8(r.Err),
              "sondrel-cli: Track 3 is cut: " + disc.BinPath +
                  " ends at 00:00:45, before the track starts at 00:00:60 as " + disc.CuePath +
                  " says\n");
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace

namespace {

TEST_F(CliRipFormats, SeveralFormatsFromOneReadEqualSeparateRipsEachInAFolderOfItsOwn) {
    TTestDisc disc(dir.path(), {90, 60, 45});
    const QString both = dir.filePath("both");
    auto r = cli({"--disc-image", disc.CuePath, "rip", "--format", "flac,wav", "--out", both});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    for (const QString format : {"flac", "wav"}) {
        const QString alone = dir.filePath("alone-" + format);
        r = cli({"--disc-image", disc.CuePath, "rip", "--format", format, "--out", alone});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        // Without {format} in the template each format has its folder, log and playlist.
        const QString folder = both + "/" + format;
        EXPECT_EQ(files(folder), files(alone));
        ASSERT_EQ(files(folder).size(), 3);
        for (const QString& name : files(alone))
            EXPECT_EQ(ReadWholeFile(folder + "/" + name), ReadWholeFile(alone + "/" + name))
                << name.toStdString();
        EXPECT_TRUE(ReadWholeFile(folder + "/rip.m3u8").contains("Track03." + format.toUtf8()));
        EXPECT_TRUE(QFileInfo::exists(folder + "/rip.log"));
    }
    EXPECT_EQ(QDir(both).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"flac", "wav"}));
    EXPECT_EQ(cli({"--disc-image", disc.CuePath, "rip", "--format", "flac,ogv"}).ExitCode, 2);
}

} // namespace
