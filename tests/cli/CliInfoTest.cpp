// sondrel-cli info on files made by sox and ffmpeg: type, format and sample count as ffprobe
// and soxi see them, and the exit status.
#include "tests/common/TestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TProcessResult cli(const QStringList& args) {
    return RunProgram(BuiltProgram("cli/sondrel-cli"), args);
}

// The "  key: value" lines printed for `file`.
QMap<QString, QString> block(const QByteArray& out, const QString& file) {
    QMap<QString, QString> m;
    bool in = false;
    for (const QString& line : QString::fromUtf8(out).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("  "))) {
            in = line == file;
            continue;
        }
        if (in)
            m.insert(line.trimmed().section(QLatin1String(": "), 0, 0),
                     line.trimmed().section(QLatin1String(": "), 1));
    }
    return m;
}

bool make(const QString& tool, const QStringList& args) {
    return RunProgram(tool, args).ExitCode == 0;
}

} // namespace

TEST(CliInfo, ReportsTypeFormatAndSampleCountOfToolMadeFiles) {
    QTemporaryDir dir;
    const QString ima = dir.filePath("ima.wav"), ms = dir.filePath("ms.wav"),
                  mp3 = dir.filePath("mp3.wav"), pcm = dir.filePath("pcm.wav");
    ASSERT_TRUE(make("sox", {"-D", "-r", "22050", "-c", "1", "-n", "-e", "ima-adpcm", ima, "synth",
                             "0.75", "sine", "300"}));
    ASSERT_TRUE(make("ffmpeg", {"-v", "error", "-y", "-fflags", "+bitexact", "-f", "lavfi", "-i",
                                "sine=d=1.5:sample_rate=44100", "-ac", "2", "-flags:a", "+bitexact",
                                "-map_metadata", "-1", "-c:a", "adpcm_ms", ms}));
    ASSERT_TRUE(make("ffmpeg", {"-v", "error", "-y", "-fflags", "+bitexact", "-f", "lavfi", "-i",
                                "sine=d=1:sample_rate=32000", "-flags:a", "+bitexact",
                                "-map_metadata", "-1", "-c:a", "libmp3lame", "-f", "wav", mp3}));
    ASSERT_TRUE(make("sox", {"-D", "-r", "48000", "-c", "2", "-n", "-b", "24", pcm, "synth",
                             "12345s", "sine", "440"}));

    const auto r = cli({"info", ima, ms, mp3, pcm});
    ASSERT_EQ(r.ExitCode, 0) << r.Out.toStdString() << r.Err.toStdString();

    auto b = block(r.Out, ima);
    EXPECT_EQ(b["valid"], "yes");
    EXPECT_EQ(b["type"], "DVI/IMA ADPCM");
    EXPECT_EQ(b["channels"], "1");
    EXPECT_EQ(b["sample rate"], "22050");
    EXPECT_EQ(b["bits per sample"], "16");
    EXPECT_EQ(b["samples"], "16538"); // 0.75 s at 22050 Hz, as in the "fact" chunk
    EXPECT_EQ(b["duration"], "0:00.750");

    b = block(r.Out, ms);
    EXPECT_EQ(b["type"], "Microsoft ADPCM");
    EXPECT_EQ(b["channels"], "2");
    const QString msCount =
        QString::fromUtf8(RunProgram("ffprobe", {"-v", "error", "-show_entries",
                                                 "stream=duration_ts", "-of", "csv=p=0", ms})
                              .Out.trimmed());
    EXPECT_EQ(b["samples"], msCount);

    b = block(r.Out, mp3);
    EXPECT_EQ(b["type"], "MPEG Layer-3");
    EXPECT_EQ(b["sample rate"], "32000");
    EXPECT_EQ(b["bits per sample"], "16");
    // Every decoded sample, as ffmpeg's own decoder gives them.
    const QByteArray decoded =
        RunProgram("ffmpeg", {"-v", "error", "-c:a", "mp3", "-i", mp3, "-f", "s16le", "-"}).Out;
    EXPECT_EQ(b["samples"], QString::number(decoded.size() / 2));

    b = block(r.Out, pcm);
    EXPECT_EQ(b["type"], "PCM");
    EXPECT_EQ(b["bits per sample"], "24");
    EXPECT_EQ(b["samples"], "12345");
}

TEST(CliInfo, RefusesFilesThatAreNotWav) {
    QTemporaryDir dir;
    const QString text = dir.filePath("notes.wav");
    WriteWholeFile(text, "just some text, not RIFF at all\n");
    const QString missing = dir.filePath("missing.wav");
    const QString good = dir.filePath("good.wav");
    ASSERT_TRUE(make("sox", {"-D", "-n", "-r", "8000", good, "synth", "0.1", "sine", "300"}));

    auto r = cli({"info", good, text, missing});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(block(r.Out, good)["valid"], "yes");
    EXPECT_EQ(block(r.Out, text)["valid"], "no");
    EXPECT_EQ(block(r.Out, text)["type"], "Unsupported");
    EXPECT_EQ(block(r.Out, missing)["valid"], "no");
    EXPECT_EQ(block(r.Out, missing)["error"], "Cannot open file " + missing);

    r = cli({"info"});
    EXPECT_EQ(r.ExitCode, 2);
}
