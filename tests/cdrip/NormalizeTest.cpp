// The normalisation arithmetic and the pass over a file, including a write that fails midway.
#include "cdrip/Normalize.h"
#include "tests/common/TestUtil.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

QByteArray samples(const std::vector<int16_t>& values) {
    QByteArray b;
    for (int16_t v : values) {
        b.append(char(uint16_t(v) & 0xFF));
        b.append(char(uint16_t(v) >> 8));
    }
    return b;
}

TEST(Normalize, SamplesRoundTiesToEvenAndClamp) {
    EXPECT_EQ(NormalizeSample(3, 0.5f), 2);
    EXPECT_EQ(NormalizeSample(5, 0.5f), 2);
    EXPECT_EQ(NormalizeSample(-3, 0.5f), -2);
    EXPECT_EQ(NormalizeSample(7, 0.5f), 4);
    EXPECT_EQ(NormalizeSample(100, 0.95f), 95);
    for (int16_t x : {int16_t(-32768), int16_t(32767), int16_t(0), int16_t(-1), int16_t(12345)})
        EXPECT_EQ(NormalizeSample(x, 1.0f), x);
    // Beyond full scale the sample clamps instead of wrapping round.
    EXPECT_EQ(NormalizeSample(20000, 2.0f), 32767);
    EXPECT_EQ(NormalizeSample(-20000, 2.0f), -32768);
    EXPECT_EQ(NormalizeSample(-32768, 1.5f), -32768);
}

TEST(Normalize, FilePassScalesSamplesKeepsTheHeaderAndReportsProgress) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("a.wav");
    const QByteArray header(44, 'H');
    std::vector<int16_t> values;
    for (int i = 0; i < 3000; ++i)
        values.push_back(int16_t((i * 37) % 65536 - 32768));
    WriteWholeFile(wav, header + samples(values));
    std::vector<int> progress;
    QString error;
    ASSERT_TRUE(NormalizeWavFile(
        wav, 50, [&](int p) { progress.push_back(p); }, &error));
    const QByteArray result = ReadWholeFile(wav);
    ASSERT_EQ(result.size(), 44 + 6000);
    EXPECT_EQ(result.left(44), header);
    std::vector<int16_t> expected;
    for (int16_t v : values)
        expected.push_back(int16_t(std::nearbyint(v * 0.5)));
    EXPECT_EQ(result.mid(44), samples(expected));
    // One report before each 2048-byte block and one at the end: 0 %, 34 %, 68 %, 100 %.
    EXPECT_EQ(progress, (std::vector<int>{0, 34, 68, 100}));
    EXPECT_FALSE(QFile::exists(dir.filePath("a.nor")));
}

TEST(Normalize, AWriteThatFailsMidwayRemovesTheTempFileAndKeepsTheWav) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("b.wav");
    const QByteArray content = QByteArray(44, 'H') + QByteArray(20000, '\x40');
    WriteWholeFile(wav, content);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit lim = old;
    lim.rlim_cur = 8000; // the .nor cannot grow past this
    setrlimit(RLIMIT_FSIZE, &lim);
    QString error;
    const bool ok = NormalizeWavFile(wav, 50, nullptr, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith("Cannot write " + dir.filePath("b.nor"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("b.nor")));
    EXPECT_EQ(ReadWholeFile(wav), content);
}

TEST(Normalize, AFileShorterThanAHeaderIsAnError) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("c.wav");
    WriteWholeFile(wav, "RIFF");
    QString error;
    EXPECT_FALSE(NormalizeWavFile(wav, 50, nullptr, &error));
    EXPECT_TRUE(error.contains("too short")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("c.nor")));
    EXPECT_EQ(ReadWholeFile(wav), "RIFF");
}

} // namespace
