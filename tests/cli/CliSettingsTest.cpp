// sondrel-cli run as a user would run it: exit codes, printed settings, saved files.
#include "settings/IniFile.h"
#include "tests/common/TestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TProcessResult cli(const QStringList& args) {
    return RunProgram(BuiltProgram("cli/sondrel-cli"), args);
}

QString valueOf(const QByteArray& out, const QString& name) {
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith((name + "=").toUtf8()))
            return QString::fromUtf8(line.mid(name.size() + 1));
    return QStringLiteral("<missing>");
}

TEST(CliSettings, PrintsDefaultsFromAnEmptyFolder) {
    QTemporaryDir dir;
    const auto r = cli({"--config-dir", dir.path(), "settings"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QList<QByteArray> lines = r.Out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 54);
    EXPECT_EQ(lines.first(), "CommonOptions.OutputFolder=" +
                                 valueOf(r.Out, "CommonOptions.OutputFolder").toUtf8());
    EXPECT_TRUE(valueOf(r.Out, "CommonOptions.OutputFolder").endsWith("/Sondrel"));
    EXPECT_EQ(valueOf(r.Out, "CommonOptions.OutputFormat"), "0");
    EXPECT_EQ(valueOf(r.Out, "CommonOptions.IsKeepWav"), "0");
    EXPECT_EQ(valueOf(r.Out, "CommonOptions.NameTemplate"), "{title}");
    EXPECT_EQ(valueOf(r.Out, "CommonOptions.WriteCueSheet"), "1");
    EXPECT_EQ(valueOf(r.Out, "Mp3Options.ConstantBitRate"), "5");
    EXPECT_EQ(valueOf(r.Out, "WMAOptions.FormatIndex"), "29");
    EXPECT_EQ(valueOf(r.Out, "OggOptions.IsUseCompress"), "1");
    EXPECT_EQ(valueOf(r.Out, "OpusOptions.Bitrate"), "128");
    EXPECT_EQ(valueOf(r.Out, "OpusOptions.Complexity"), "10");
    EXPECT_EQ(valueOf(r.Out, "AacOptions.Bitrate"), "192");
    EXPECT_EQ(valueOf(r.Out, "QueryCDDB.Port"), "80");
    EXPECT_EQ(valueOf(r.Out, "ReplayGain.Mode"), "off");
    EXPECT_EQ(valueOf(r.Out, "Converter.Jobs"), "0");
    EXPECT_EQ(valueOf(r.Out, "Lookup.Source"), "cddb");
    EXPECT_EQ(valueOf(r.Out, "Lookup.MusicBrainzServer"), "https://musicbrainz.org");
    EXPECT_EQ(valueOf(r.Out, "Lookup.CoverArt"), "1");
    EXPECT_EQ(valueOf(r.Out, "Lookup.CoverArtServer"), "https://coverartarchive.org");
    EXPECT_EQ(valueOf(r.Out, "Ripping.ReadMode"), "plain");
    EXPECT_EQ(lines.last(), "AccurateRip.Server=www.accuraterip.com");
    EXPECT_EQ(valueOf(r.Out, "QueryCDDB.Server"), "gnudb.gnudb.org");
    // Printing alone writes nothing.
    EXPECT_FALSE(QFile::exists(dir.filePath("options.ini")));
}

TEST(CliSettings, SetSavesAndTheClampHappensOnLoad) {
    QTemporaryDir dir;
    WriteWholeFile(dir.filePath("options.ini"),
                   "[Mine]\nKeep=me\n[OggOptions]\nOwn=1\nCompressPosition=250\n");
    auto r = cli({"--config-dir", dir.path(), "settings", "--set", "commonoptions.iskeepwav=1",
                  "--set", "APEOptions.Compression=10000"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(valueOf(r.Out, "OggOptions.CompressPosition"), "100");
    TIniFile saved(dir.filePath("options.ini"));
    EXPECT_EQ(saved.value("OggOptions", "CompressPosition").value(), "100");
    EXPECT_EQ(saved.value("APEOptions", "Compression").value(), "10000");
    EXPECT_EQ(saved.value("Mine", "Keep").value(), "me");
    EXPECT_EQ(saved.value("OggOptions", "Own").value(), "1");

    r = cli({"--config-dir", dir.path(), "settings"});
    ASSERT_EQ(r.ExitCode, 0);
    EXPECT_EQ(valueOf(r.Out, "CommonOptions.IsKeepWav"), "1");

    // An APE level the encoder lacks is stored, with a note of what will be written.
    r = cli({"--config-dir", dir.path(), "settings", "--set", "APEOptions.Compression=1500"});
    ASSERT_EQ(r.ExitCode, 0);
    EXPECT_EQ(valueOf(r.Out, "APEOptions.Compression"), "1500");
    EXPECT_TRUE(r.Err.contains("APEOptions.Compression=1500 is no level of the APE encoder, so "
                               "APE files are written at 2000"))
        << r.Err.toStdString();
    r = cli({"--config-dir", dir.path(), "settings", "--set", "APEOptions.Compression=5000"});
    EXPECT_EQ(r.Err, "");
}

TEST(CliSettings, ValuesTheOutputsCannotUseAreRefusedWithTheAllowedOnes) {
    QTemporaryDir dir;
    struct TCase {
        const char* Set;
        const char* Allowed; // part of the message
    };
    const TCase cases[] = {
        {"CommonOptions.OutputFormat=9", "takes 0..8,"},
        {"CommonOptions.NormalizePercent=0", "takes 1..100,"},
        {"Mp3Options.BitRate=33", "takes 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, "
                                  "320,"},
        {"Mp3Options.MaxBitRate=384", "takes 32, 40,"},
        {"Mp3Options.VBRQuality=10", "takes 0..9,"},
        {"Mp3Options.StereoMode=-1", "takes 0..3,"},
        {"Mp3Options.CPU=0", "takes 1..3,"},
        {"Mp3Options.ConstantBitRate=9", "takes 0..8,"},
        {"OggOptions.CompressPosition=250", "takes 30..100,"},
        {"OggOptions.NomalBitRate=15", "takes 0..14,"},
        {"FLACOptions.Compression=9", "takes 0..8,"},
        {"APEOptions.Compression=1250", "takes 1000..10000 in steps of 500,"},
        {"APEOptions.CPU=4", "takes 1..3,"},
        {"OpusOptions.Bitrate=5", "takes 6..256,"},
        {"OpusOptions.Complexity=11", "takes 0..10,"},
        {"AacOptions.Bitrate=384", "takes 32..320,"},
        {"WMAOptions.CodecIndex=99", "(the WMA codecs), got '99'"},
        {"WMAOptions.FormatIndex=999", "(the formats of WMA codec 0, see wma-formats), got '999'"},
        {"WMAOptions.VBR=1", "WMA codec 0 has no VBR formats"},
        {"Lookup.Source=freedb", "takes cddb, musicbrainz or musicbrainz,cddb, got 'freedb'"},
        {"Ripping.ReadMode=paranoid", "takes plain, secure or verify-first, got 'paranoid'"},
    };
    for (const TCase& c : cases) {
        const auto r = cli({"--config-dir", dir.path(), "settings", "--set", c.Set});
        EXPECT_EQ(r.ExitCode, 2) << c.Set;
        EXPECT_TRUE(r.Err.contains(c.Allowed)) << c.Set << ": " << r.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("options.ini")));

    // The WMA format is checked against the codec set with it.
    const auto r = cli({"--config-dir", dir.path(), "settings", "--set", "WMAOptions.CodecIndex=1",
                        "--set", "WMAOptions.FormatIndex=0"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
}

TEST(CliSettings, UsageErrorsExitWithTwoAndSaveNothing) {
    QTemporaryDir dir;
    const QStringList bad[] = {
        {"--config-dir", dir.path(), "settings", "--set", "Nope.Key=1"},
        {"--config-dir", dir.path(), "settings", "--set", "Mp3Options.BitRate=fast"},
        {"--config-dir", dir.path(), "settings", "--set"},
        {"--config-dir", dir.path(), "settings", "--bogus"},
        {"--config-dir", dir.path(), "frobnicate"},
        {"--config-dir"},
        {},
    };
    for (const QStringList& args : bad) {
        const auto r = cli(args);
        EXPECT_EQ(r.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
    }
    EXPECT_TRUE(cli({"--config-dir", dir.path(), "settings", "--set", "Nope.Key=1"})
                    .Err.contains("Nope.Key"));
    EXPECT_FALSE(QFile::exists(dir.filePath("options.ini")));
}

TEST(CliSettings, HelpAndVersion) {
    const auto help = cli({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.contains("settings [--set Section.Key=Value]"));
    const auto version = cli({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_TRUE(version.Out.startsWith("sondrel-cli "));
}

} // namespace
