// The WAV input against files made by sox and ffmpeg: the decoded PCM must equal what the
// tool that made the file decodes from it. Also damaged and unusual headers.
#include "tests/common/AudioTestUtil.h"

#include "audio/ACS_Wave.h"
#include "tests/common/TestUtil.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <memory>
#include <random>

namespace {

QTemporaryDir* g_dir = nullptr;

QString fixture(const QString& name) {
    return g_dir->filePath(name);
}

struct TFixture {
    const char* Name;
    const char* Tool; // "sox" or "ffmpeg"
    TWavType Type;
    int Channels;
    int Rate;
    int BlockSize; // ffmpeg only; 0 = the tool's default
};

const TFixture Fixtures[] = {
    {"ff_ima_mono_256.wav", "ffmpeg", wtDVIADPCM, 1, 22050, 256},
    {"ff_ima_mono_1024.wav", "ffmpeg", wtDVIADPCM, 1, 44100, 1024},
    {"ff_ima_stereo_512.wav", "ffmpeg", wtDVIADPCM, 2, 44100, 512},
    {"ff_ima_stereo_2048.wav", "ffmpeg", wtDVIADPCM, 2, 48000, 2048},
    {"ff_ms_mono_256.wav", "ffmpeg", wtMSADPCM, 1, 22050, 256},
    {"ff_ms_mono_2048.wav", "ffmpeg", wtMSADPCM, 1, 44100, 2048},
    {"ff_ms_stereo_1024.wav", "ffmpeg", wtMSADPCM, 2, 44100, 1024},
    {"ff_ms_stereo_512.wav", "ffmpeg", wtMSADPCM, 2, 8000, 512},
    {"sox_ima_mono.wav", "sox", wtDVIADPCM, 1, 22050, 0},
    {"sox_ima_stereo.wav", "sox", wtDVIADPCM, 2, 44100, 0},
    {"sox_ms_mono.wav", "sox", wtMSADPCM, 1, 11025, 0},
    {"sox_ms_stereo.wav", "sox", wtMSADPCM, 2, 44100, 0},
    {"sox_pcm_stereo.wav", "sox", wtPCM, 2, 44100, 0},
    {"sox_pcm_mono8.wav", "sox", wtPCM, 1, 8000, 0},
    {"ff_mp3_stereo.wav", "ffmpeg", wtACM, 2, 44100, 0},
    {"ff_mp3_mono.wav", "ffmpeg", wtACM, 1, 22050, 0},
};

bool makeFixture(const TFixture& f) {
    const QString out = fixture(QString::fromLatin1(f.Name));
    const QString rate = QString::number(f.Rate);
    const QString ch = QString::number(f.Channels);
    const QString name = QString::fromLatin1(f.Name);
    if (QLatin1String(f.Tool) == QLatin1String("sox")) {
        QStringList enc;
        if (f.Type == wtDVIADPCM)
            enc << QStringLiteral("-e") << QStringLiteral("ima-adpcm");
        else if (f.Type == wtMSADPCM)
            enc << QStringLiteral("-e") << QStringLiteral("ms-adpcm");
        else if (name.contains(QLatin1String("mono8")))
            enc << QStringLiteral("-b") << QStringLiteral("8");
        else
            enc << QStringLiteral("-b") << QStringLiteral("16");
        // Two tones and noise, loud enough to exercise the adaptation, over 1.3 s.
        return RunSox(QStringList{QStringLiteral("-r"), rate, QStringLiteral("-c"), ch,
                                  QStringLiteral("-n")} +
                      enc +
                      QStringList{out, QStringLiteral("synth"), QStringLiteral("1.3"),
                                  QStringLiteral("sine"), QStringLiteral("300-3000"),
                                  QStringLiteral("synth"), QStringLiteral("1.3"),
                                  QStringLiteral("pinknoise"), QStringLiteral("mix"),
                                  QStringLiteral("vol"), QStringLiteral("0.7")});
    }
    QStringList args{
        QStringLiteral("-f"),  QStringLiteral("lavfi"),
        QStringLiteral("-i"),  QStringLiteral("sine=f=440:d=1.2:sample_rate=%1,volume=6").arg(rate),
        QStringLiteral("-ac"), ch};
    if (f.Type == wtDVIADPCM)
        args << QStringLiteral("-c:a") << QStringLiteral("adpcm_ima_wav");
    else if (f.Type == wtMSADPCM)
        args << QStringLiteral("-c:a") << QStringLiteral("adpcm_ms");
    else
        args << QStringLiteral("-c:a") << QStringLiteral("libmp3lame") << QStringLiteral("-f")
             << QStringLiteral("wav");
    if (f.BlockSize)
        args << QStringLiteral("-block_size") << QString::number(f.BlockSize);
    args << out;
    return RunFfmpeg(args);
}

class WaveInFormats : public ::testing::TestWithParam<TFixture> {
public:
    static void SetUpTestSuite() {
        g_dir = new QTemporaryDir; // each case makes its own file: they run as separate processes
    }
    static void TearDownTestSuite() {
        delete g_dir;
        g_dir = nullptr;
    }
};

} // namespace

TEST_P(WaveInFormats, DecodesLikeTheToolThatMadeTheFile) {
    const TFixture f = GetParam();
    ASSERT_TRUE(makeFixture(f)) << f.Name;
    const QString file = fixture(QString::fromLatin1(f.Name));
    TWaveIn in;
    in.SetFileName(file);
    ASSERT_TRUE(in.IsValid());
    EXPECT_EQ(in.WavType(), f.Type);
    EXPECT_EQ(in.Channels(), f.Channels);
    EXPECT_EQ(in.SampleRate(), f.Rate);
    const bool pcm8 = QByteArray(f.Name).contains("mono8");
    EXPECT_EQ(in.BitsPerSample(), pcm8 ? 8 : 16);
    const int frame = f.Channels * in.BitsPerSample() / 8;
    const int64_t count = in.SampleCount();

    const QByteArray ours = ReadAllFrom(in, 7777);
    ASSERT_EQ(ours.size(), count * frame);
    if (pcm8) {
        // sox hands out 8-bit as 16; our input delivers the file's own unsigned bytes.
        const QByteArray raw = ReadWholeFile(file);
        EXPECT_EQ(ours, raw.mid(raw.indexOf("data") + 8, ours.size()));
        return;
    }
    // The oracle is a decoder that uses the reference arithmetic of the format: sox for IMA
    // (ffmpeg computes the IMA difference with a multiplication that rounds differently) and
    // ffmpeg for Microsoft ADPCM (sox floors the prediction where the reference truncates).
    // Each decodes the files of both tools.
    QByteArray theirs;
    if (f.Type == wtACM)
        theirs = FfmpegDecode(file, QStringLiteral("mp3")); // the same fixed-point decoder
    else if (f.Type == wtMSADPCM)
        theirs = FfmpegDecode(file);
    else
        theirs = SoxDecode(file);
    // The tools decode the padding of the last block too; we stop at the count in "fact".
    ASSERT_GT(ours.size(), 0);
    ASSERT_GE(theirs.size(), ours.size());
    EXPECT_EQ(ours, theirs.left(ours.size()));
    if (f.Type == wtACM) {
        // A run that starts inside the data gives exactly the samples from there on.
        in.SetStartSample(count / 3 + 5);
        EXPECT_EQ(ReadAllFrom(in), ours.mid((count / 3 + 5) * frame));
    }
    if (f.Type == wtDVIADPCM || f.Type == wtMSADPCM) {
        // ...but not more than one block's worth of it.
        QFile raw(file);
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        const int blockAlign = TWaveHeaderReader::Read(raw).BlockAlign;
        EXPECT_LE(theirs.size() - ours.size(), blockAlign * 2 * 2);
    }
}

INSTANTIATE_TEST_SUITE_P(SoxAndFfmpeg, WaveInFormats, ::testing::ValuesIn(Fixtures),
                         [](const auto& info) {
                             QString n = QString::fromLatin1(info.param.Name);
                             n.chop(4);
                             return n.toStdString();
                         });

namespace {

// A 16-bit stereo PCM file by sox, 2000 samples.
QByteArray soxPcm(QTemporaryDir& dir) {
    const QString file = dir.filePath(QStringLiteral("base.wav"));
    EXPECT_TRUE(RunSox({QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                        QStringLiteral("2"), QStringLiteral("-n"), QStringLiteral("-b"),
                        QStringLiteral("16"), file, QStringLiteral("synth"),
                        QStringLiteral("2000s"), QStringLiteral("sine"), QStringLiteral("1000")}));
    return ReadWholeFile(file);
}

QByteArray le32(uint32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

// Reads the file through a TWaveIn.
QByteArray readFile(const QString& file, TWavType* type = nullptr, bool* valid = nullptr) {
    TWaveIn in;
    in.SetFileName(file);
    const bool ok = in.IsValid();
    if (valid)
        *valid = ok;
    if (type)
        *type = in.WavType();
    return ok ? ReadAllFrom(in) : QByteArray();
}

} // namespace

TEST(WaveIn, UnusualButValidHeaders) {
    QTemporaryDir dir;
    const QByteArray base = soxPcm(dir);
    const int dataAt = base.indexOf("data");
    ASSERT_GT(dataAt, 0);
    const QByteArray pcm = base.mid(dataAt + 8);
    ASSERT_EQ(pcm.size(), 8000);

    // A big, odd-sized LIST chunk before "data" (larger than the working buffer), with its
    // pad byte, and an odd-sized chunk between "fmt " and it.
    QByteArray big = base.left(dataAt);
    big += "LIST" + le32(20001) + QByteArray(20001, 'L') + QByteArray(1, '\0');
    big += "junk" + le32(3) + QByteArray("abc") + QByteArray(1, '\0');
    big += base.mid(dataAt);
    big.replace(4, 4, le32(uint32_t(big.size() - 8)));
    WriteWholeFile(dir.filePath(QStringLiteral("list.wav")), big);
    bool valid = false;
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("list.wav")), nullptr, &valid), pcm);
    EXPECT_TRUE(valid);

    // Lower-case chunk ids.
    QByteArray lower = base;
    for (const char* id : {"RIFF", "WAVE", "fmt ", "data"}) {
        const int at = lower.indexOf(id);
        lower.replace(at, 4, QByteArray(id).toLower());
    }
    WriteWholeFile(dir.filePath(QStringLiteral("lower.wav")), lower);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("lower.wav"))), pcm);

    // Bytes before "RIFF" and between the RIFF size and "WAVE".
    QByteArray junk = QByteArray(300, '\x55') + base.left(8) + QByteArray("xyz") + base.mid(8);
    WriteWholeFile(dir.filePath(QStringLiteral("junk.wav")), junk);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("junk.wav"))), pcm);

    // A data size larger than the file (a cut-off file): what is there is read.
    QByteArray cut = base.left(base.size() - 1000);
    WriteWholeFile(dir.filePath(QStringLiteral("cut.wav")), cut);
    TWaveIn in;
    in.SetFileName(dir.filePath(QStringLiteral("cut.wav")));
    EXPECT_EQ(in.SampleCount(), 1750);
    EXPECT_EQ(ReadAllFrom(in), pcm.left(7000));

    // A stream the caller supplies, read from its current position and left to the caller.
    QBuffer buffer;
    buffer.setData(QByteArray("prefix") + base);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    TWaveIn fromStream;
    fromStream.SetStream(&buffer);
    EXPECT_TRUE(fromStream.IsValid());
    EXPECT_EQ(ReadAllFrom(fromStream), pcm);
    EXPECT_TRUE(buffer.isOpen());
}

TEST(WaveIn, RefusesWhatItCannotRead) {
    QTemporaryDir dir;
    const QByteArray base = soxPcm(dir);
    struct TCase {
        const char* Name;
        QByteArray Bytes;
    };
    QByteArray noData = base.left(base.indexOf("data"));
    QByteArray unknownTag = base;
    unknownTag[20] = char(0x50);
    QByteArray noRiff = base;
    noRiff.replace(0, 4, "RIFX");
    QByteArray zeroChannels = base;
    zeroChannels[22] = 0;
    const TCase cases[] = {
        {"empty.wav", QByteArray()},
        {"text.wav", QByteArray("hello, this is not a wave file\n").repeated(50)},
        {"nodata.wav", noData},
        {"tag.wav", unknownTag},
        {"norifff.wav", noRiff},
        {"zerochannels.wav", zeroChannels},
        {"riffonly.wav", QByteArray("RIFF\x10\0\0\0WAVE", 12)},
    };
    for (const TCase& c : cases) {
        const QString file = dir.filePath(QString::fromLatin1(c.Name));
        WriteWholeFile(file, c.Bytes);
        TWaveIn in;
        in.SetFileName(file);
        EXPECT_FALSE(in.IsValid()) << c.Name;
        // Reading it through Open leaves the input empty, not stuck.
        in.Open();
        EXPECT_FALSE(in.OpenFailure().isEmpty()) << c.Name;
        EXPECT_FALSE(in.InUse()) << c.Name;
    }

    // A missing file.
    TWaveIn missing;
    missing.SetFileName(dir.filePath(QStringLiteral("nope.wav")));
    try {
        missing.IsValid();
        FAIL() << "no exception for a missing file";
    } catch (const EAuException& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Cannot open file ") + dir.filePath(QStringLiteral("nope.wav")));
    }

    // An ADPCM file without "fact".
    const QString ima = dir.filePath(QStringLiteral("ima.wav"));
    ASSERT_TRUE(
        RunSox({QStringLiteral("-r"), QStringLiteral("8000"), QStringLiteral("-n"),
                QStringLiteral("-e"), QStringLiteral("ima-adpcm"), ima, QStringLiteral("synth"),
                QStringLiteral("0.1"), QStringLiteral("sine"), QStringLiteral("300")}));
    QByteArray noFact = ReadWholeFile(ima);
    const int fact = noFact.indexOf("fact");
    ASSERT_GT(fact, 0);
    noFact.replace(fact, 4, "FACX");
    WriteWholeFile(ima, noFact);
    TWaveIn in;
    in.SetFileName(ima);
    EXPECT_FALSE(in.IsValid());
    EXPECT_EQ(in.WavType(), wtUnsupported);
}

TEST(WaveIn, SubRangeSeekAndOddRequests) {
    QTemporaryDir dir;
    const QByteArray base = soxPcm(dir);
    const QByteArray pcm = base.mid(base.indexOf("data") + 8);
    const QString file = dir.filePath(QStringLiteral("base.wav"));
    TWaveIn in;
    in.SetFileName(file);
    EXPECT_EQ(in.SampleCount(), 2000);
    EXPECT_EQ(in.TotalTime(), 0);

    in.SetStartSample(100);
    in.SetEndSample(199);
    EXPECT_EQ(ReadAllFrom(in), pcm.mid(400, 400));
    EXPECT_EQ(ReadAllFrom(in), pcm); // the range was for one run

    // Seek before a run sets its start; during a run it counts from the start.
    ASSERT_TRUE(in.Seek(1500));
    EXPECT_EQ(ReadAllFrom(in), pcm.mid(6000));
    EXPECT_FALSE(in.Seek(5000)); // beyond the end
    in.Open();
    ASSERT_TRUE(in.Seek(10));
    char* buffer = nullptr;
    int bytes = 8;
    in.ReadData(buffer, bytes);
    ASSERT_EQ(bytes, 8);
    EXPECT_EQ(QByteArray(buffer, 8), pcm.mid(40, 8));
    EXPECT_EQ(in.ReadPosition(), 48);

    // Requests for an odd number of bytes are rounded down to whole frames.
    bytes = 7;
    in.ReadData(buffer, bytes);
    EXPECT_EQ(bytes, 4);
    in.Close();

    // Reading without a run is refused.
    try {
        in.ReadBlock(buffer, bytes);
        FAIL() << "ReadBlock outside a run succeeded";
    } catch (const EAuException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("The Stream is not opened"));
    }
}

TEST(WaveIn, AdpcmSeekGoesToWholeBlocks) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ms.wav"));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=f=440:d=1"), QStringLiteral("-c:a"),
                           QStringLiteral("adpcm_ms"), QStringLiteral("-block_size"),
                           QStringLiteral("256"), file}));
    TWaveIn in;
    in.SetFileName(file);
    const QByteArray all = ReadAllFrom(in);
    const int spb = (256 - 7) * 2 + 2; // samples per mono block
    in.SetStartSample(spb * 3 + 10);   // inside the fourth block: starts at its beginning
    const QByteArray part = ReadAllFrom(in);
    ASSERT_GT(part.size(), 1000);
    EXPECT_EQ(part.left(1000), all.mid(spb * 3 * 2, 1000));
}

TEST(WaveIn, DamagedAdpcmBlocksAreSafe) {
    QTemporaryDir dir;
    const QString ms = dir.filePath(QStringLiteral("ms.wav"));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=f=440:d=0.5"), QStringLiteral("-c:a"),
                           QStringLiteral("adpcm_ms"), QStringLiteral("-block_size"),
                           QStringLiteral("256"), ms}));
    TWaveIn in;
    in.SetFileName(ms);
    const QByteArray good = ReadAllFrom(in);
    QByteArray bytes = ReadWholeFile(ms);
    const int data = bytes.indexOf("data") + 8;
    // The predictor index of the second block points past the 7 coefficient pairs.
    bytes[data + 256] = char(200);
    WriteWholeFile(ms, bytes);
    in.SetFileName(ms);
    const QByteArray bad = ReadAllFrom(in);
    ASSERT_EQ(bad.size(), good.size());
    const int spbBytes = ((256 - 7) * 2 + 2) * 2;
    EXPECT_EQ(bad.left(spbBytes), good.left(spbBytes));
    EXPECT_EQ(bad.mid(spbBytes, spbBytes), QByteArray(spbBytes, '\0'));
    EXPECT_EQ(bad.mid(2 * spbBytes), good.mid(2 * spbBytes));

    // An IMA block header whose step index is far past the table.
    const QString ima = dir.filePath(QStringLiteral("ima.wav"));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=f=440:d=0.5"), QStringLiteral("-c:a"),
                           QStringLiteral("adpcm_ima_wav"), ima}));
    bytes = ReadWholeFile(ima);
    bytes[bytes.indexOf("data") + 8 + 2] = char(250);
    WriteWholeFile(ima, bytes);
    in.SetFileName(ima);
    EXPECT_GT(ReadAllFrom(in).size(), 0);
}

TEST(WaveIn, RandomDamageNeverBreaksTheReader) {
    // Flipped bytes and cut-offs of real files: the reader either refuses the file or reads
    // it; it never crashes or hangs (run under the address sanitizer by the fuzz build too).
    QTemporaryDir dir;
    const QString ima = dir.filePath(QStringLiteral("ima.wav"));
    const QString ms = dir.filePath(QStringLiteral("ms.wav"));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=d=0.2"), QStringLiteral("-ac"), QStringLiteral("2"),
                           QStringLiteral("-c:a"), QStringLiteral("adpcm_ima_wav"), ima}));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=d=0.2"), QStringLiteral("-c:a"),
                           QStringLiteral("adpcm_ms"), ms}));
    std::mt19937 rng(7);
    for (const QString& src : {ima, ms}) {
        const QByteArray original = ReadWholeFile(src);
        for (int i = 0; i < 300; ++i) {
            QByteArray b =
                original.left(int(rng() % 200) == 0 ? rng() % original.size() : original.size());
            for (int k = int(rng() % 4); k >= 0 && !b.isEmpty(); --k)
                b[int(rng() % std::min<int>(b.size(), 120))] = char(rng());
            QBuffer buf;
            buf.setData(b);
            buf.open(QIODevice::ReadOnly);
            TWaveIn in;
            in.SetStream(&buf);
            if (in.IsValid()) {
                const QByteArray pcm = ReadAllFrom(in);
                EXPECT_LE(pcm.size(), in.SampleCount() * in.Channels() * 2 + 0);
            }
        }
    }
}

TEST(WaveIn, Mp3DataIsDecodedInBoundedMemory) {
    // An MP3-inside-WAV whose data chunk runs on for 384 MiB after a second of frames: a hole
    // (a sparse file, no disk used). The frames decode as in the small file; the rest holds
    // none. The address space is capped at 256 MiB above what the process has, which a
    // decoder that holds the chunk (or the bytes after its last frame) whole runs into.
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.wav"));
    ASSERT_TRUE(RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=f=440:d=1"), QStringLiteral("-c:a"),
                           QStringLiteral("libmp3lame"), QStringLiteral("-f"),
                           QStringLiteral("wav"), small}));
    const QByteArray expected = readFile(small);
    ASSERT_GT(expected.size(), 0);
    QByteArray bytes = ReadWholeFile(small);
    const int data = bytes.indexOf("data");
    ASSERT_GT(data, 0);
    const uint32_t chunk = 384u << 20;
    bytes.replace(data + 4, 4, le32(chunk));
    bytes.replace(4, 4, le32(uint32_t(data + 8 + chunk - 8)));
    const QString big = dir.filePath(QStringLiteral("big.wav"));
    WriteWholeFile(big, bytes);
    ASSERT_TRUE(QFile::resize(big, qint64(data) + 8 + chunk));

#if !defined(__SANITIZE_ADDRESS__)
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    ASSERT_TRUE(statm.open(QIODevice::ReadOnly));
    const rlim_t pages = statm.readAll().split(' ').value(0).toULongLong();
    rlimit capped = old;
    capped.rlim_cur = pages * rlim_t(getpagesize()) + (rlim_t(256) << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &capped), 0);
#endif
    TWaveIn in;
    in.SetFileName(big);
    bool valid = false;
    EXPECT_NO_THROW(valid = in.IsValid());
    QByteArray got;
    if (valid) {
        EXPECT_EQ(in.SampleCount() * in.Channels() * 2, expected.size());
        got = ReadAllFrom(in);
    }
#if !defined(__SANITIZE_ADDRESS__)
    setrlimit(RLIMIT_AS, &old);
#endif
    EXPECT_TRUE(valid);
    EXPECT_EQ(got, expected);
}
