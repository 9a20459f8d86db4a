// The WAV output: header sizes, stopped runs, inputs of unknown or overstated size, failures.
#include "tests/common/AudioTestUtil.h"
#include "tests/common/TestComponents.h"

#include "audio/ACS_Wave.h"
#include "tests/common/TestUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs `out` once and waits for its done event; returns the failure text.
QString RunToEnd(TWaveOut& out) {
    bool done = false;
    out.SetOnDone([&](TAuOutput*) { done = true; });
    out.Start();
    EXPECT_TRUE(WaitFor([&] { return done; }, 60000));
    out.SetOnDone(nullptr);
    return out.FailureText();
}

QString MakeSoxPcm(const QTemporaryDir& dir, const QString& name, const QString& length,
                   int channels = 2) {
    const QString file = dir.filePath(name);
    EXPECT_TRUE(
        RunSox({QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                QString::number(channels), QStringLiteral("-n"), QStringLiteral("-b"),
                QStringLiteral("16"), file, QStringLiteral("synth"), length, QStringLiteral("sine"),
                QStringLiteral("440"), QStringLiteral("vol"), QStringLiteral("0.5")}));
    return file;
}

} // namespace

TEST(WaveOut, MillionBytesGiveTheDocumentedSizesAndTheSameData) {
    QTemporaryDir dir;
    const QString src = MakeSoxPcm(dir, QStringLiteral("in.wav"), QStringLiteral("250000s"));
    TWaveIn in;
    in.SetFileName(src);
    TWaveOut out;
    out.SetInput(&in);
    const QString dst = dir.filePath(QStringLiteral("out.wav"));
    out.SetFileName(dst);
    ASSERT_EQ(RunToEnd(out), QString());
    const QByteArray w = ReadWholeFile(dst);
    ASSERT_EQ(w.size(), 1000044);
    EXPECT_EQ(w.left(4), QByteArray("RIFF"));
    EXPECT_EQ(Le32(w, 4), 1000036u);
    EXPECT_EQ(w.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(Le32(w, 24), 44100u);
    EXPECT_EQ(Le32(w, 28), 44100u * 4);
    EXPECT_EQ(w.mid(36, 4), QByteArray("data"));
    EXPECT_EQ(Le32(w, 40), 1000000u);
    EXPECT_EQ(w.mid(44), SoxDecode(src));
    // sox reads it back as the same audio.
    EXPECT_EQ(SoxDecode(dst), SoxDecode(src));
}

TEST(WaveOut, StoppedRunHeaderDescribesTheBytesWritten) {
    QTemporaryDir dir;
    const QString src = MakeSoxPcm(dir, QStringLiteral("long.wav"), QStringLiteral("20"));
    TWaveIn in;
    in.SetFileName(src);
    TWaveOut out;
    out.SetInput(&in);
    const QString dst = dir.filePath(QStringLiteral("stopped.wav"));
    out.SetFileName(dst);
    ASSERT_TRUE(RunAndStopAt(out, 3));
    const QByteArray w = ReadWholeFile(dst);
    ASSERT_GT(w.size(), 44);
    EXPECT_LT(w.size(), 44 + 20 * 44100 * 4);
    EXPECT_EQ(Le32(w, 4), uint32_t(w.size() - 8));
    EXPECT_EQ(Le32(w, 40), uint32_t(w.size() - 44));
    EXPECT_EQ((w.size() - 44) % 4, 0);
    // What was written is the start of the source.
    EXPECT_EQ(w.mid(44), SoxDecode(src).left(w.size() - 44));

    // A synchronous stop writes a consistent header as well (and no done event).
    bool done = false;
    out.SetOnDone([&](TAuOutput*) { done = true; });
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return out.Progress() >= 2; }));
    out.Stop(false);
    const QByteArray w2 = ReadWholeFile(dst);
    EXPECT_EQ(Le32(w2, 4), uint32_t(w2.size() - 8));
    EXPECT_EQ(Le32(w2, 40), uint32_t(w2.size() - 44));
    ProcessEventsFor(400);
    EXPECT_FALSE(done);
}

// A size not known to fit leaves room for 64-bit sizes (a JUNK chunk), used only when the data
// outgrows the 32-bit header: then the file is RF64. Driven past a small RIFF limit here; FFmpeg
// and sox read each file as the audio written, never a wrapped length.
TEST(WaveOut, SizesBeyondTheHeaderMakeAnRf64File) {
    QTemporaryDir dir;
    struct TCase {
        const char* Name;
        int64_t Total, Announced;
        const char* Riff;
        int Header;
    };
    const TCase cases[] = {{"fits", 123456, 123456, "RIFF", 44},
                           {"unknown", 123456, -1, "RIFF", 80},
                           {"unknown-large", 300000, -1, "RF64", 80},
                           {"large", 300000, 300000, "RF64", 80}};
    TWaveOut::SetRiffLimitForTests(200000);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPatternInput in(c.Total);
        in.Announced = c.Announced;
        TWaveOut out;
        out.SetInput(&in);
        const QString dst = dir.filePath(QString("%1.wav").arg(c.Name));
        out.SetFileName(dst);
        ASSERT_EQ(RunToEnd(out), QString());
        const QByteArray w = ReadWholeFile(dst);
        ASSERT_EQ(w.size(), c.Total + c.Header);
        EXPECT_EQ(w.left(4), QByteArray(c.Riff));
        QByteArray pattern(int(c.Total), '\0');
        for (int i = 0; i < pattern.size(); ++i)
            pattern[i] = TPatternInput::ByteAt(i);
        EXPECT_TRUE(w.mid(c.Header) == pattern);
        const auto probe = RunProgram("ffprobe", {"-v", "error", "-show_entries",
                                                  "stream=duration_ts", "-of", "csv=p=0", dst});
        EXPECT_EQ(probe.Out.trimmed(), QByteArray::number(c.Total / 4)) << probe.Err.toStdString();
        EXPECT_TRUE(FfmpegDecode(dst) == pattern);
        EXPECT_TRUE(SoxDecode(dst) == pattern);
    }
    TWaveOut::SetRiffLimitForTests(0);
}

TEST(WaveOut, ShortInputIsPaddedWithSilence) {
    QTemporaryDir dir;
    TPatternInput in(100000);
    in.Announced = 200000;
    TWaveOut out;
    out.SetInput(&in);
    const QString dst = dir.filePath(QStringLiteral("short.wav"));
    out.SetFileName(dst);
    ASSERT_EQ(RunToEnd(out), QString());
    const QByteArray w = ReadWholeFile(dst);
    ASSERT_EQ(w.size(), 200044);
    EXPECT_EQ(Le32(w, 40), 200000u);
    EXPECT_EQ(w[44 + 99999], TPatternInput::ByteAt(99999));
    EXPECT_EQ(w.mid(44 + 100000), QByteArray(100000, '\0'));
}

TEST(WaveOut, FailedRunsReleaseFileAndInput) {
    QTemporaryDir dir;
    const QString src = MakeSoxPcm(dir, QStringLiteral("src.wav"), QStringLiteral("1"));
    TWaveIn in;
    in.SetFileName(src);
    TWaveOut out;
    out.SetInput(&in);

    // No file name.
    EXPECT_EQ(RunToEnd(out), QStringLiteral("File name is not assigned."));

    // A file that cannot be created.
    const QString bad = dir.filePath(QStringLiteral("missing/out.wav"));
    out.SetFileName(bad);
    QString seen;
    out.SetOnThreadException([&](TAuOutput* o) { seen = o->FailureText(); });
    EXPECT_EQ(RunToEnd(out), QStringLiteral("Cannot create file ") + bad);
    EXPECT_EQ(seen, QStringLiteral("Cannot create file ") + bad);
    EXPECT_FALSE(in.InUse());

    // A failure in the middle of a run: the next run creates the same file and opens the
    // same input.
    TPatternInput failing(1 << 20);
    failing.FailAfter = 3;
    const QString dst = dir.filePath(QStringLiteral("out.wav"));
    out.SetFileName(dst);
    out.SetInput(&failing);
    EXPECT_EQ(RunToEnd(out), QStringLiteral("Pattern input failed"));
    EXPECT_EQ(out.Stream(), nullptr);
    EXPECT_FALSE(failing.InUse());
    failing.FailAfter = -1;
    EXPECT_EQ(RunToEnd(out), QString());
    EXPECT_EQ(ReadWholeFile(dst).size(), (1 << 20) + 44);

    out.SetInput(&in);
    EXPECT_EQ(RunToEnd(out), QString());
    EXPECT_EQ(ReadWholeFile(dst).mid(44), SoxDecode(src));
}

TEST(WaveOut, InputThatIsNotAWavFailsTheRun) {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.wav"));
    WriteWholeFile(junk, QByteArray(5000, 'x'));
    TWaveIn in;
    in.SetFileName(junk);
    TWaveOut out;
    out.SetInput(&in);
    out.SetFileName(dir.filePath(QStringLiteral("out.wav")));
    const QString failure = RunToEnd(out);
    EXPECT_TRUE(failure.contains(QStringLiteral("not in a format that can be read")))
        << failure.toStdString();
    EXPECT_FALSE(in.InUse());
}

TEST(WaveOut, SubRangeOfTheInputIsWrittenExactly) {
    QTemporaryDir dir;
    const QString src = MakeSoxPcm(dir, QStringLiteral("src.wav"), QStringLiteral("1"));
    TWaveIn in;
    in.SetFileName(src);
    in.SetStartSample(1000);
    in.SetEndSample(2999);
    TWaveOut out;
    out.SetInput(&in);
    const QString dst = dir.filePath(QStringLiteral("part.wav"));
    out.SetFileName(dst);
    ASSERT_EQ(RunToEnd(out), QString());
    const QByteArray w = ReadWholeFile(dst);
    EXPECT_EQ(Le32(w, 40), 2000u * 4);
    EXPECT_EQ(w.mid(44), SoxDecode(src).mid(1000 * 4, 2000 * 4));
    // The range applied to that run only.
    EXPECT_EQ(in.StartSample(), 0);
    EXPECT_EQ(in.EndSample(), -1);
}

namespace {

// A PCM WAV file of `frames` frames in the given format, each byte its position * 3.
QString MakeWav(const QTemporaryDir& dir, const QString& name, int channels, uint32_t rate,
                int bits, int frames) {
    const int align = channels * bits / 8;
    const QByteArray data = [&] {
        QByteArray d(align * frames, '\0');
        for (int i = 0; i < d.size(); ++i)
            d[i] = char(i * 3);
        return d;
    }();
    auto le = [](uint32_t v, int n) {
        QByteArray b(n, '\0');
        for (int i = 0; i < n; ++i)
            b[i] = char(v >> (8 * i));
        return b;
    };
    const QByteArray wav = "RIFF" + le(36 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
                           le(channels, 2) + le(rate, 4) + le(rate * uint32_t(align), 4) +
                           le(align, 2) + le(bits, 2) + "data" + le(data.size(), 4) + data;
    const QString file = dir.filePath(name);
    WriteWholeFile(file, wav);
    return file;
}

} // namespace

TEST(WaveOut, FormatsAWavHeaderCannotHoldAreRefused) {
    QTemporaryDir dir;
    struct TCase {
        int Channels;
        uint32_t Rate;
        int Bits;
    };
    // A byte rate beyond 32 bits, and a frame beyond the header's 16-bit block alignment.
    for (const TCase c : {TCase{2, 2147483647u, 16}, TCase{65535, 8000, 16}}) {
        const QString src = MakeWav(dir, QStringLiteral("in.wav"), c.Channels, c.Rate, c.Bits, 1);
        TWaveIn in;
        in.SetFileName(src);
        TWaveOut out;
        out.SetInput(&in);
        out.SetFileName(dir.filePath(QStringLiteral("out.wav")));
        const QString failure = RunToEnd(out);
        EXPECT_TRUE(failure.contains(QStringLiteral("cannot hold"))) << failure.toStdString();
        EXPECT_TRUE(failure.contains(dir.filePath(QStringLiteral("out.wav"))))
            << failure.toStdString();
    }
}

TEST(WaveOut, FramesLargerThanABlockAreCopiedWhole) {
    QTemporaryDir dir;
    // 8200 channels of 16 bits: one frame is 16400 bytes, more than a block of 16 KiB.
    const QString src = MakeWav(dir, QStringLiteral("wide.wav"), 8200, 8000, 16, 3);
    TWaveIn in;
    in.SetFileName(src);
    TWaveOut out;
    out.SetInput(&in);
    const QString dst = dir.filePath(QStringLiteral("out.wav"));
    out.SetFileName(dst);
    ASSERT_EQ(RunToEnd(out), QString());
    EXPECT_EQ(ReadWholeFile(dst), ReadWholeFile(src));

    // An input asked for less than one frame cannot deliver anything: it fails rather than
    // report the end of its data.
    in.Open();
    char* buffer = nullptr;
    int bytes = 16384;
    EXPECT_THROW(in.ReadData(buffer, bytes), EAuException);
    in.Close();
}
