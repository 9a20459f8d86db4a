// The APE output component over the framework: WAV in, APE out, checked with FFmpeg; its
// properties, error texts and failures.
#include "tests/common/AudioTestUtil.h"
#include "tests/common/TestComponents.h"

#include "audio/ACS_Wave.h"
#include "codecs/ACS_MAC.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs `out` once and waits for its done event; returns the failure text.
QString RunToEnd(TAuOutput& out) {
    bool done = false;
    out.SetOnDone([&](TAuOutput*) { done = true; });
    out.Start();
    EXPECT_TRUE(WaitFor([&] { return done; }, 120000));
    out.SetOnDone(nullptr);
    return out.FailureText();
}

// FFmpeg's decoding of an APE file with a CRC mismatch fatal; empty when it failed.
QByteArray StrictDecode(const QString& file) {
    const auto r =
        RunProgram(QStringLiteral("ffmpeg"), {"-v", "error", "-err_detect", "crccheck+explode",
                                              "-i", file, "-f", "s16le", "-"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return r.ExitCode == 0 ? r.Out : QByteArray();
}

// A WAV of music-like sound: plucked and sine tones with tremolo, different per channel.
QString MakeWav(const QTemporaryDir& dir, const QString& name, int channels,
                const QString& length) {
    const QString file = dir.filePath(name);
    QStringList args{"-r",    "44100", "-c",    QString::number(channels),
                     "-n",    "-b",    "16",    file,
                     "synth", length,  "pluck", "220"};
    if (channels == 2)
        args << "sine"
             << "331";
    args << "tremolo"
         << "3"
         << "40"
         << "vol"
         << "0.6";
    EXPECT_TRUE(RunSox(args));
    return file;
}

// 16-bit stereo pattern input that can claim another bit depth.
class TDepthInput : public TPatternInput {
public:
    TDepthInput(int64_t total, int bits) : TPatternInput(total), m_bits(bits) {}
    int BitsPerSample() override { return m_bits; }

private:
    int m_bits;
};

} // namespace

TEST(MacOut, WavThroughEveryLevelDecodesExactly) {
    QTemporaryDir dir;
    for (int channels : {1, 2}) {
        const QString src =
            MakeWav(dir, QStringLiteral("in%1.wav").arg(channels), channels, "200000s");
        const QByteArray pcm = SoxDecode(src);
        ASSERT_EQ(pcm.size(), 200000 * 2 * channels);
        for (int level : {1000, 2000, 3000, 4000, 5000}) {
            SCOPED_TRACE(
                QStringLiteral("level %1, %2 channel(s)").arg(level).arg(channels).toStdString());
            TWaveIn in;
            in.SetFileName(src);
            TMACOut out;
            out.SetInput(&in);
            out.SetCompressionLevel(level);
            const QString dst =
                dir.filePath(QStringLiteral("out-%1-%2.ape").arg(level).arg(channels));
            out.SetFileName(dst);
            ASSERT_EQ(RunToEnd(out), QString());
            const QByteArray f = ReadWholeFile(dst);
            ASSERT_GT(f.size(), 76);
            EXPECT_EQ(f.left(4), QByteArray("MAC "));
            EXPECT_EQ(int(uint8_t(f[52])) | int(uint8_t(f[53])) << 8, level);
            EXPECT_TRUE(StrictDecode(dst) == pcm);
            EXPECT_FALSE(in.InUse()) << "the input is closed after the run";
        }
    }
}

TEST(MacOut, InputEndingMidBufferIsCompressedWhole) {
    QTemporaryDir dir;
    // Two whole 64 KiB blocks and a partial third, delivered in small reads.
    const int64_t total = 2 * 65536 + 4 * 1234;
    TPatternInput in(total);
    TMACOut out;
    out.SetInput(&in);
    out.SetCompressionLevel(1000);
    const QString dst = dir.filePath(QStringLiteral("pattern.ape"));
    out.SetFileName(dst);
    ASSERT_EQ(RunToEnd(out), QString());
    QByteArray expected(int(total), Qt::Uninitialized);
    for (int64_t i = 0; i < total; ++i)
        expected[int(i)] = TPatternInput::ByteAt(i);
    EXPECT_TRUE(StrictDecode(dst) == expected);
    EXPECT_EQ(in.Starts, 1);
    EXPECT_EQ(in.Finishes, 1);
}

TEST(MacOut, StoppedRunLeavesAFinishedShorterFile) {
    QTemporaryDir dir;
    const QString src = MakeWav(dir, QStringLiteral("long.wav"), 2, "20");
    const QByteArray pcm = SoxDecode(src);
    TWaveIn in;
    in.SetFileName(src);
    TMACOut out;
    out.SetInput(&in);
    const QString dst = dir.filePath(QStringLiteral("stopped.ape"));
    out.SetFileName(dst);
    ASSERT_TRUE(RunAndStopAt(out, 3));
    EXPECT_EQ(out.FailureText(), QString());
    const QByteArray decoded = StrictDecode(dst);
    ASSERT_GT(decoded.size(), 0);
    EXPECT_LT(decoded.size(), pcm.size());
    EXPECT_TRUE(decoded == pcm.left(decoded.size()));
}

TEST(MacOut, Properties) {
    TMACOut out;
    EXPECT_EQ(out.CompressionLevel(), 2000);
    EXPECT_EQ(out.MaxAudioBytes(), -1);
    out.SetCompressionLevel(5000);
    EXPECT_EQ(out.CompressionLevel(), 5000);
    for (int level : {0, 1500, 6000, -1000, 10000}) {
        out.SetCompressionLevel(1000);
        out.SetCompressionLevel(level);
        EXPECT_EQ(out.CompressionLevel(), 2000) << level;
    }
    out.SetMaxAudioBytes(123456);
    EXPECT_EQ(out.MaxAudioBytes(), 123456);
}

TEST(MacOut, ErrorTexts) {
    EXPECT_EQ(MacErrorText(0), QStringLiteral("OK"));
    EXPECT_EQ(MacErrorText(1004), QStringLiteral("input file file too large"));
    EXPECT_EQ(MacErrorText(4001), QStringLiteral("skipped..."));
    EXPECT_EQ(MacErrorText(6000), QStringLiteral("APE compress too much data"));
    EXPECT_EQ(MacErrorText(7), QStringLiteral("undefined (7)"));
    EXPECT_EQ(MacErrorText(-1), QStringLiteral("undefined (-1)"));
    const EAPEException e(1003);
    EXPECT_EQ(e.Message(), QStringLiteral("MACDll error: invalid output file"));
    EXPECT_STREQ(e.what(), "MACDll error: invalid output file");
    EXPECT_EQ(EAPEException(7).Message(), QStringLiteral("MACDll error: undefined (7)"));
}

TEST(MacOut, FailuresBecomeTheRunsFailureText) {
    QTemporaryDir dir;
    TPatternInput in(40000);
    TMACOut out;
    out.SetInput(&in);

    EXPECT_EQ(RunToEnd(out), QStringLiteral("File name is not assigned."));

    const QString missing = dir.filePath(QStringLiteral("missing/folder/x.ape"));
    out.SetFileName(missing);
    EXPECT_EQ(RunToEnd(out), QStringLiteral("Error starting APECompress.\r\ninvalid output file\r\n"
                                            "Cannot write file %1: No such file or directory")
                                 .arg(missing));
    EXPECT_FALSE(in.InUse()) << "the input is released after a failed start";

    // The next run on a good name works.
    const QString good = dir.filePath(QStringLiteral("good.ape"));
    out.SetFileName(good);
    EXPECT_EQ(RunToEnd(out), QString());
    EXPECT_EQ(StrictDecode(good).size(), 40000);

    // 24-bit input is refused by the compressor; nothing is left behind.
    TDepthInput deep(65532 * 3, 24);
    TMACOut deepOut;
    deepOut.SetInput(&deep);
    deepOut.SetFileName(dir.filePath(QStringLiteral("deep.ape")));
    EXPECT_EQ(RunToEnd(deepOut),
              QStringLiteral("Error starting APECompress.\r\ninput file unsupported bit depth"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("deep.ape"))));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "only good.ape";
}

TEST(MacOut, AFullDiskFailsTheRunAndLeavesNoFile) {
    QTemporaryDir dir;
    TPatternInput in(2000000);
    TMACOut out;
    out.SetInput(&in);
    out.SetFileName(dir.filePath(QStringLiteral("full.ape")));
    QString failure;
    {
        // No file of this process may grow past 512 bytes while the run lasts.
        TFileSizeLimit full(512);
        failure = RunToEnd(out);
    }
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Error finishing APECompress.\r\n")) ||
                failure.startsWith(QStringLiteral("APECompress.UnlockBuffer Error: ")))
        << failure.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "neither the APE file nor its scratch file is left";
    EXPECT_FALSE(in.InUse());

    // With room again the same output writes the whole file.
    EXPECT_EQ(RunToEnd(out), QString());
    EXPECT_EQ(StrictDecode(dir.filePath(QStringLiteral("full.ape"))).size(), 2000000);
}
