// The encoders on their own, writing files that ffmpeg, flac and mutagen then check.
#include "codecs/CodecError.h"
#include "codecs/CodecLibraries.h"
#include "codecs/FileSink.h"
#include "codecs/FlacEncoder.h"
#include "codecs/LameEncoder.h"
#include "codecs/LameLibrary.h"
#include "codecs/VorbisEncoder.h"
#include "tests/common/TestAudio.h"
#include "tests/common/TestUtil.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int Rate = 44100;

// A sink that cannot seek, like a pipe.
class TPipeSink : public TByteSink {
public:
    QByteArray Bytes;
    void Write(const void* data, qint64 count) override {
        Bytes.append(static_cast<const char*>(data), count);
    }
    bool Seek(qint64) override { return false; }
    qint64 Position() override { return -1; }
    bool CanSeek() override { return false; }
};

class EncoderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    static void SetUpTestSuite() {
        LoadCodecLibraries();
        LameLibrary().Acquire();
    }
    static void TearDownTestSuite() { LameLibrary().Unacquire(); }
    QString path(const char* name) const { return dir.filePath(name); }

    // Feeds `pcm` to `encode` in blocks of `block` bytes.
    template <class F> static void InBlocks(const QByteArray& pcm, int block, F encode) {
        for (qsizetype at = 0; at < pcm.size(); at += block)
            encode(pcm.constData() + at, int(std::min<qsizetype>(block, pcm.size() - at)));
    }

    std::vector<short> EncodeMp3(const QString& file, const QByteArray& pcm, int channels,
                                 TLameSettings s, bool* header = nullptr) {
        TFileSink sink(file);
        TLameEncoder enc(sink);
        s.InChannels = channels;
        s.NumSamples = pcm.size() / 2 / channels;
        enc.Start(s);
        InBlocks(pcm, 40001, [&](const char* p, int n) { EXPECT_TRUE(enc.Encode(p, n)); });
        enc.Finish();
        sink.Close();
        if (header)
            *header = enc.HeaderFrameWritten();
        int decodedChannels = 0;
        std::vector<short> out = DecodeWithFfmpeg(file, &decodedChannels);
        EXPECT_EQ(decodedChannels, channels);
        return out;
    }
};

// A lossy codec at these rates on tonal music keeps the waveform: 128 kbit/s MP3 and quality-2
// Vorbis measure about 20 to 30 dB on this signal. Under 12 dB the output is audibly broken
// (a shifted, dropped or doubled block drops the figure below 3 dB); the lag must be 0, since
// the decoder trims the encoder's delay exactly.
constexpr double MinLossySnrDb = 12.0;

// Prints the vendor string and the comments in file order, as mutagen reads them.
const char* const ListTagsScript =
    "import sys, mutagen\n"
    "f = mutagen.File(sys.argv[1])\n"
    "print(f.tags.vendor + '|' + ';'.join('%s=%s' % kv for kv in f.tags))";

TEST_F(EncoderTest, Mp3DecodesToTheSameSamplesThroughItsHeaderFrame) {
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    struct Case {
        const char* name;
        int channels;
        int frames;
        bool vbr;
    };
    const Case cases[] = {{"stereo", 2, Rate * 3 + 123, false},
                          {"mono", 1, Rate * 2 + 7, false},
                          {"vbr", 2, Rate * 2 + 999, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray pcm = MusicPcm(c.frames, c.channels, Rate, 16);
        TLameSettings s;
        s.Mode = c.channels == 1 ? 3 : 1;
        s.Vbr = c.vbr;
        s.VbrHeader = true;
        s.VbrQuality = 4;
        bool header = false;
        const QString file = path("a.mp3");
        const std::vector<short> out = EncodeMp3(file, pcm, c.channels, s, &header);
        EXPECT_TRUE(header);
        const QByteArray bytes = ReadWholeFile(file);
        EXPECT_TRUE(bytes.left(200).contains(c.vbr ? "Xing" : "Info"));
        EXPECT_TRUE(bytes.left(200).contains("LAME"));
        EXPECT_FALSE(bytes.right(128).startsWith("TAG")) << "the encoder writes no tag";
        ASSERT_EQ(out.size(), size_t(c.frames) * c.channels);
        int lag = 99;
        const double snr = SnrDb(ToSamples(pcm), out, c.channels, 20, &lag);
        EXPECT_EQ(lag, 0);
        EXPECT_GT(snr, MinLossySnrDb);
    }
}

TEST_F(EncoderTest, Mp3WithoutSeekableTargetOrHeaderHasNoHeaderFrame) {
    const QByteArray pcm = MusicPcm(Rate, 2, Rate, 16);
    TPipeSink pipe;
    TLameEncoder enc(pipe);
    TLameSettings s;
    s.NumSamples = Rate;
    enc.Start(s);
    InBlocks(pcm, 16384, [&](const char* p, int n) { enc.Encode(p, n); });
    enc.Finish();
    EXPECT_FALSE(enc.HeaderFrameWritten());
    EXPECT_FALSE(pipe.Bytes.left(400).contains("Info"));
    EXPECT_FALSE(pipe.Bytes.left(400).contains("Xing"));
    EXPECT_GT(pipe.Bytes.size(), 10000);

    // VBR with the header switched off: none either, and ffmpeg still decodes it.
    s.Vbr = true;
    s.VbrHeader = false;
    bool header = true;
    const QString file = path("novbrheader.mp3");
    const std::vector<short> out = EncodeMp3(file, pcm, 2, s, &header);
    EXPECT_FALSE(header);
    EXPECT_FALSE(ReadWholeFile(file).left(400).contains("Xing"));
    EXPECT_GE(out.size(), size_t(Rate) * 2);
}

TEST_F(EncoderTest, Mp3EncodeErrorIsReported) {
    TPipeSink pipe;
    TLameEncoder enc(pipe);
    EXPECT_FALSE(enc.Encode("\0\0\0\0", 4)) << "not set up";
    EXPECT_FALSE(enc.ErrorText().isEmpty());
    enc.Finish(); // harmless without an encoder
    EXPECT_TRUE(pipe.Bytes.isEmpty());
}

TEST_F(EncoderTest, VorbisDecodesToTheSameSamplesAndCarriesItsComments) {
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    const int frames = Rate * 3 + 321;
    const std::pair<int, int> formats[] = {{2, 16}, {1, 16}, {2, 24}, {1, 8}};
    for (const auto& [channels, bits] : formats) {
        SCOPED_TRACE(QString("%1 ch %2 bit").arg(channels).arg(bits).toStdString());
        const QByteArray pcm = MusicPcm(frames, channels, Rate, bits);
        const QString file = path("a.ogg");
        {
            TFileSink sink(file);
            TVorbisEncoder enc(sink);
            TVorbisSettings s;
            s.Channels = channels;
            s.Comments = {
                {"artist", "Die Ärzte"}, {"title", ""}, {"album", "Album"}, {"tracknumber", "7"}};
            for (auto& [n, v] : s.Comments)
                v = QString::fromUtf8(v).toUtf8();
            enc.Start(s);
            InBlocks(pcm, 32768, [&](const char* p, int n) { enc.Encode(p, n, bits); });
            EXPECT_FALSE(enc.EndOfStream());
            enc.Encode(nullptr, 0, bits);
            EXPECT_TRUE(enc.EndOfStream());
            enc.Clear();
            sink.Close();
        }
        int decodedChannels = 0;
        const std::vector<short> out = DecodeWithFfmpeg(file, &decodedChannels);
        EXPECT_EQ(decodedChannels, channels);
        ASSERT_EQ(out.size(), size_t(frames) * channels);
        int lag = 99;
        // Compared with the same music at 16 bits: each width is scaled to full range.
        const QByteArray reference = MusicPcm(frames, channels, Rate, 16);
        EXPECT_GT(SnrDb(ToSamples(reference), out, channels, 20, &lag), MinLossySnrDb);
        EXPECT_EQ(lag, 0);
        const QStringList tags = Mutagen(ListTagsScript, file).split('|');
        ASSERT_EQ(tags.size(), 2);
        EXPECT_TRUE(tags[0].startsWith("Xiph.Org libVorbis")) << "libvorbis's own vendor";
        EXPECT_EQ(tags[1].toStdString(), "artist=Die Ärzte;album=Album;tracknumber=7")
            << "an empty title is left out";
    }
}

TEST_F(EncoderTest, VorbisSetUpRefusalsBecomeErrors) {
    TPipeSink pipe;
    {
        TVorbisEncoder enc(pipe);
        TVorbisSettings s;
        s.Channels = 1;
        s.SampleRate = 8000;
        s.NominalBitRate = 499000;
        s.MaxBitRate = 499000;
        s.MinBitRate = 499000;
        try {
            enc.Start(s);
            FAIL() << "an impossible bit rate was accepted";
        } catch (const ECodecError& e) {
            EXPECT_STREQ(
                e.what(),
                "Vorbis codec setup with the requested bitrate failed. Try a lower bitrate.");
        }
    }
    {
        TVorbisEncoder enc(pipe);
        TVorbisSettings s;
        s.SampleRate = 300000; // above anything the encoder has modes for
        try {
            enc.Start(s);
            FAIL() << "a 300 kHz quality set-up was accepted";
        } catch (const ECodecError& e) {
            EXPECT_TRUE(QString(e.what()).startsWith("Vorbis codec setup")) << e.what();
        }
    }
    EXPECT_TRUE(pipe.Bytes.isEmpty());
}

TEST_F(EncoderTest, FlacSetUpRefusalNamesTheReason) {
    TPipeSink pipe;
    TFlacEncoder enc(pipe);
    TFlacSettings s;
    s.Channels = 9; // FLAC holds 1 to 8
    try {
        enc.Start(s);
        FAIL() << "nine channels were accepted";
    } catch (const ECodecError& e) {
        EXPECT_STREQ(e.what(), "Failed to initialize FLAC encoder. (FLAC cannot hold 9 channels)");
    }
}

TEST_F(EncoderTest, FlacRoundTripsBitExactly) {
    if (!HaveProgram("flac"))
        GTEST_SKIP() << "flac is missing";
    struct Case {
        int channels, bits, level;
    };
    for (const Case c : {Case{2, 16, 2}, Case{1, 16, 5}, Case{2, 24, -1}, Case{2, 8, 0}}) {
        SCOPED_TRACE(QString("%1 ch %2 bit level %3")
                         .arg(c.channels)
                         .arg(c.bits)
                         .arg(c.level)
                         .toStdString());
        const int frames = Rate * 2 + 17;
        const QByteArray pcm = MusicPcm(frames, c.channels, Rate, c.bits);
        const QString file = path("a.flac");
        {
            TFileSink sink(file);
            TFlacEncoder enc(sink);
            TFlacSettings s;
            s.Channels = c.channels;
            s.BitsPerSample = c.bits;
            s.CompressionLevel = c.level;
            s.MaxLpcOrder = 8;
            s.QlpCoeffPrecision = 0;
            s.TotalSamplesEstimate = frames;
            s.Comments = {"title=Track", "tracknumber=3"};
            enc.Start(s);
            // Blocks that end inside frames: each split frame is put together again.
            InBlocks(pcm, 10007, [&](const char* p, int n) { enc.Encode(p, n); });
            enc.Finish();
            sink.Close();
        }
        const TProcessResult test = RunProgram("flac", {"-t", "-s", file});
        EXPECT_EQ(test.ExitCode, 0) << test.Err.toStdString();
        const QString raw = path("a.raw");
        const TProcessResult dec = RunProgram(
            "flac", {"-d", "-s", "-f", "--force-raw-format", "--endian=little",
                     c.bits == 8 ? "--sign=unsigned" : "--sign=signed", "-o", raw, file});
        ASSERT_EQ(dec.ExitCode, 0) << dec.Err.toStdString();
        EXPECT_TRUE(ReadWholeFile(raw) == pcm) << "flac -d gives back the input";
    }
}

TEST_F(EncoderTest, FlacCommentBlockIsReplaced) {
    const QByteArray pcm = MusicPcm(Rate / 2, 2, Rate, 16);
    const QString file = path("tags.flac");
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty);
        {
            TFileSink sink(file);
            TFlacEncoder enc(sink);
            TFlacSettings s;
            s.CompressionLevel = 2;
            if (!empty)
                s.Comments = {QString("title=Ça va").toUtf8(), "artist=A", "tracknumber=12"};
            enc.Start(s);
            enc.Encode(pcm.constData(), int(pcm.size()));
            enc.Finish();
            sink.Close();
        }
        EXPECT_EQ(RunProgram("flac", {"-t", "-s", file}).ExitCode, 0);
        EXPECT_EQ(Mutagen(ListTagsScript, file).toStdString(),
                  empty ? "VENDOR=Hacked|" : "VENDOR=Hacked|title=Ça va;artist=A;tracknumber=12");
    }
}

// A length that was over-estimated (a converted file's header can promise more than it holds)
// leaves seek points without a frame: they become placeholders, not pointers to the start.
TEST_F(EncoderTest, FlacSeekPointsPastTheRealEndBecomePlaceholders) {
    const int frames = Rate * 12;
    const QByteArray pcm = MusicPcm(frames, 2, Rate, 16);
    const QString file = path("over.flac");
    {
        TFileSink sink(file);
        TFlacEncoder enc(sink);
        TFlacSettings s;
        s.CompressionLevel = 0;
        s.TotalSamplesEstimate = frames * 3;
        enc.Start(s);
        enc.Encode(pcm.constData(), int(pcm.size()));
        enc.Finish();
        sink.Close();
    }
    EXPECT_EQ(RunProgram("flac", {"-t", "-s", file}).ExitCode, 0);
    const QString list = RunProgram("metaflac", {"--list", "--block-type=SEEKTABLE", file}).Out;
    EXPECT_TRUE(list.contains("seek points: 4")) << list.toStdString();
    EXPECT_TRUE(list.contains("point 0: sample_number=0, stream_offset=0, frame_samples=1152"));
    // The frame holding sample 441000 (10 s) starts at 382 * 1152.
    EXPECT_TRUE(list.contains(QRegularExpression(
        "point 1: sample_number=440064, stream_offset=[1-9][0-9]*, frame_samples=1152")));
    EXPECT_TRUE(list.contains("point 2: PLACEHOLDER")) << list.toStdString();
    EXPECT_TRUE(list.contains("point 3: PLACEHOLDER"));
}

TEST(FlacCommentBlockTest, LayoutAndLength) {
    const std::vector<QByteArray> comments = {"title=ab", "genre=Rock"};
    const QByteArray block = TFlacEncoder::CommentBlock(comments, true);
    ASSERT_GE(block.size(), 4);
    EXPECT_EQ(quint8(block[0]), 0x84);
    const int length = (quint8(block[1]) << 16) | (quint8(block[2]) << 8) | quint8(block[3]);
    EXPECT_EQ(length, 4 + 13 + 4 + (4 + 8) + (4 + 10));
    EXPECT_EQ(block.size(), 4 + length);
    EXPECT_EQ(block.mid(4, 17), QByteArray("\x0d\0\0\0VENDOR=Hacked", 17));
    EXPECT_EQ(block.mid(21, 4), QByteArray("\x02\0\0\0", 4));
    EXPECT_EQ(quint8(TFlacEncoder::CommentBlock({}, false)[0]), 0x04);
    EXPECT_EQ(TFlacEncoder::CommentBlock({}, false).size(), 4 + 4 + 13 + 4);
}

} // namespace
