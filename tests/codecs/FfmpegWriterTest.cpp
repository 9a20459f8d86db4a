#include "codecs/FfmpegWriter.h"
#include "codecs/FfmpegReader.h"
#include "codecs/WmaFormats.h"
#include "tests/common/TestUtil.h"
#include "tests/common/WmaTestAudio.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TWmaFormat FormatAt(int index) {
    std::vector<TWmaFormat> formats;
    TWmaFormats::Enumerate(0, false, formats);
    return formats.at(size_t(index));
}

TWmaFormat Format(uint32_t bitrate, uint32_t rate, uint16_t channels) {
    std::vector<TWmaFormat> formats;
    TWmaFormats::Enumerate(0, false, formats);
    for (const TWmaFormat& f : formats)
        if (f.Bitrate == bitrate && f.SampleRate == rate && f.Channels == channels)
            return f;
    ADD_FAILURE() << "no format " << bitrate << "/" << rate << "/" << channels;
    return formats.front();
}

// Writes `pcm` in blocks of a hundredth of a second, as the WMA output does.
bool WritePcm(TFfmpegWriter& w, const QByteArray& pcm, int rate, int channels, int bits) {
    const int block = channels * bits / 8 * rate / 100;
    int64_t time = 0;
    for (int at = 0; at < pcm.size(); at += block) {
        const int n = std::min<int>(block, int(pcm.size()) - at);
        time += llround(double(n) / w.InputBytesPerSecond() * 1e7);
        if (!w.WriteSample(pcm.constData() + at, n, time))
            return false;
    }
    return true;
}

class FfmpegWriterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void Write(const QString& path, const TWmaFormat& format, const QByteArray& pcm, int rate,
               int channels, int bits) {
        TFfmpegWriter w;
        ASSERT_TRUE(w.Create(path)) << w.ErrorText().toStdString();
        ASSERT_TRUE(w.SetProfile("wmav2", format)) << w.ErrorText().toStdString();
        ASSERT_TRUE(w.SetInput(channels, rate, bits)) << w.ErrorText().toStdString();
        ASSERT_TRUE(w.BeginWriting()) << w.ErrorText().toStdString();
        ASSERT_TRUE(WritePcm(w, pcm, rate, channels, bits)) << w.ErrorText().toStdString();
        ASSERT_TRUE(w.EndWriting()) << w.ErrorText().toStdString();
    }
};

TEST_F(FfmpegWriterTest, CdAudioPlaysInFfmpegWithItsLengthAndAttributes) {
    const int frames = 44100 * 2 + 123;
    const QByteArray pcm = MakeTone(frames, 44100, 2);
    const QString path = Path("cd.wma");
    TFfmpegWriter w;
    ASSERT_TRUE(w.Create(path));
    ASSERT_TRUE(w.SetProfile("wmav2", FormatAt(29)));
    ASSERT_TRUE(w.SetInput(2, 44100, 16));
    EXPECT_EQ(w.InputBytesPerSecond(), 176400);
    w.SetAttribute("Author", "Ärtist");
    w.SetAttribute("WM/AlbumTitle", "The Album");
    w.SetAttribute("WM/Genre", "Rock");
    w.SetAttribute("WM/Year", "1999");
    w.SetAttribute("WM/Track", "7");
    w.SetAttribute("Title", "Tïtle");
    w.SetAttribute("Copyright", "a comment");
    ASSERT_TRUE(w.BeginWriting());
    ASSERT_TRUE(WritePcm(w, pcm, 44100, 2, 16));
    EXPECT_NEAR(double(w.SampleTime()), frames / 44100.0 * 1e7, 200.0);
    ASSERT_TRUE(w.EndWriting());

    const QJsonObject probe = Probe(path);
    ASSERT_FALSE(probe.isEmpty());
    const QJsonObject stream = probe["streams"].toArray()[0].toObject();
    EXPECT_EQ(stream["codec_name"].toString(), "wmav2");
    EXPECT_EQ(stream["sample_rate"].toString(), "44100");
    EXPECT_EQ(stream["channels"].toInt(), 2);
    EXPECT_EQ(probe["format"].toObject()["format_name"].toString(), "asf");
    // The file carries the audio plus at most three frames of padding; ffmpeg decodes all of
    // the audio and at most two frames of silence after it.
    const double duration = probe["format"].toObject()["duration"].toString().toDouble();
    EXPECT_GE(duration, frames / 44100.0 - 0.01);
    EXPECT_LE(duration, (frames + 3 * 2048) / 44100.0 + 0.01);
    const int64_t decoded = FfmpegDecode(path).size() / 4;
    EXPECT_GE(decoded, frames);
    EXPECT_LE(decoded, frames + 2 * 2048);

    const QJsonObject tags = MutagenAsfTags(path);
    EXPECT_EQ(tags["Author"].toString(), "Ärtist");
    EXPECT_EQ(tags["WM/AlbumTitle"].toString(), "The Album");
    EXPECT_EQ(tags["WM/Genre"].toString(), "Rock");
    EXPECT_EQ(tags["WM/Year"].toString(), "1999");
    EXPECT_EQ(tags["WM/Track"].toString(), "7");
    EXPECT_EQ(tags["Title"].toString(), "Tïtle");
    EXPECT_EQ(tags["Copyright"].toString(), "a comment");
}

TEST_F(FfmpegWriterTest, RoundTripKeepsTheAudioAfterTheCodecDelay) {
    const int frames = 44100;
    const QByteArray pcm = MakeSweep(frames, 44100, 2);
    const QString path = Path("rt.wma");
    Write(path, FormatAt(29), pcm, 44100, 2, 16);

    TFfmpegReader r;
    ASSERT_TRUE(r.Open(path));
    QByteArray out;
    const uint8_t* data = nullptr;
    for (int n; (n = r.Read(data, 16384)) > 0;)
        out.append(reinterpret_cast<const char*>(data), n);
    const std::vector<int16_t> want = Samples(pcm), got = Samples(out);
    // All of the audio comes back in place, from the first sample to the last, followed by at
    // most two frames of silence.
    ASSERT_GE(int64_t(got.size()) / 2, frames);
    EXPECT_LE(int64_t(got.size()) / 2, frames + 2 * 2048);
    EXPECT_GT(SnrDb(want, got, 2, 0, frames, 0), 20.0);
    EXPECT_GT(SnrDb(want, got, 2, 0, 1024, 0), 20.0);
    EXPECT_GT(SnrDb(want, got, 2, frames - 1024, 1024, 0), 20.0);
    EXPECT_LT(SnrDb(want, got, 2, 0, frames, 2048), 3.0); // a frame off is audibly wrong
    // What follows is silence, once the codec's ringing after the abrupt end has died away.
    for (size_t i = size_t(frames + 1024) * 2; i < got.size(); ++i)
        ASSERT_LT(std::abs(got[i]), 600) << "not silent at " << i / 2;
}

TEST_F(FfmpegWriterTest, HighBitrateFilesAreNotPaddedOut) {
    const int seconds = 5;
    const QByteArray pcm = MakeTone(44100 * seconds, 44100, 2);
    for (uint32_t bitrate : {384000u, 320000u, 128000u, 32000u}) {
        const QString path = Path("rate.wma");
        Write(path, Format(bitrate, 44100, 2), pcm, 44100, 2, 16);
        const double ideal = bitrate / 8.0 * seconds;
        EXPECT_LT(QFileInfo(path).size(), ideal * 1.12 + 2048) << bitrate; // + the header
        EXPECT_GT(QFileInfo(path).size(), ideal * 0.95) << bitrate;
    }
}

TEST_F(FfmpegWriterTest, ConvertsOtherInputsToTheChosenFormat) {
    struct Case {
        int rate, channels, bits;
        TWmaFormat format;
    };
    const Case cases[] = {
        {22050, 1, 16, Format(128000, 44100, 2)}, // mono 22 kHz into CD-like stereo
        {44100, 2, 16, Format(64000, 22050, 1)},  // and down
        {48000, 2, 8, Format(128000, 48000, 2)},  // 8-bit unsigned
        {44100, 2, 24, Format(128000, 44100, 2)}, // packed 24-bit
    };
    for (const Case& c : cases) {
        const int frames = c.rate; // one second
        QByteArray pcm16 = MakeTone(frames, c.rate, c.channels);
        QByteArray pcm;
        const std::vector<int16_t> s = Samples(pcm16);
        for (int16_t v : s) {
            if (c.bits == 8)
                pcm.append(char(uint8_t((v >> 8) + 128)));
            else if (c.bits == 24)
                pcm.append('\0').append(char(v & 0xff)).append(char(v >> 8));
            else
                pcm.append(char(v & 0xff)).append(char(v >> 8));
        }
        const QString path = Path("conv.wma");
        Write(path, c.format, pcm, c.rate, c.channels, c.bits);
        const QJsonObject stream = Probe(path)["streams"].toArray()[0].toObject();
        EXPECT_EQ(stream["sample_rate"].toString().toUInt(), c.format.SampleRate);
        EXPECT_EQ(stream["channels"].toInt(), c.format.Channels);
        const int64_t decoded = FfmpegDecode(path).size() / (2 * c.format.Channels);
        EXPECT_GE(decoded, int64_t(c.format.SampleRate) - 64) << c.bits << " " << c.rate;
        EXPECT_LE(decoded, int64_t(c.format.SampleRate) + 4 * 2048);
        // The tone survives: the first channel's decoded level is about the input's.
        const std::vector<int16_t> got = Samples(FfmpegDecode(path));
        double sum = 0;
        for (size_t i = 4096 * c.format.Channels; i < got.size() / 2; i += c.format.Channels)
            sum += double(got[i]) * got[i];
        const double rms = std::sqrt(sum / (got.size() / 2.0 / c.format.Channels - 4096));
        EXPECT_GT(rms, 12000 / std::sqrt(2.0) * 0.7) << c.bits << " " << c.rate;
    }
}

// .m4a files: the edit list drops the AAC encoder's delay and gives the length to the sample,
// so the decoded audio over that length is the input's, in place; ALAC keeps 24-bit input
// exactly.
TEST_F(FfmpegWriterTest, M4aHoldsTheInputsLengthAndAudio) {
    const int frames = 44100 * 2 + 123; // not a whole number of AAC frames
    const QByteArray pcm = MakeSweep(frames, 44100, 2);
    const QString aac = Path("sweep.m4a");
    TFfmpegWriter w;
    ASSERT_TRUE(w.Create(aac, TFfmpegContainer::Mp4));
    ASSERT_TRUE(w.SetStream("aac", 44100, 2, 192000, 16)) << w.ErrorText().toStdString();
    ASSERT_TRUE(w.SetInput(2, 44100, 16));
    w.SetAttribute("title", "Tïtle");
    ASSERT_TRUE(w.BeginWriting()) << w.ErrorText().toStdString();
    ASSERT_TRUE(WritePcm(w, pcm, 44100, 2, 16)) << w.ErrorText().toStdString();
    ASSERT_TRUE(w.EndWriting()) << w.ErrorText().toStdString();
    const QJsonObject probe = Probe(aac);
    const QJsonObject stream = probe["streams"].toArray()[0].toObject();
    EXPECT_EQ(stream["codec_name"].toString(), "aac");
    EXPECT_EQ(stream["profile"].toString(), "LC");
    EXPECT_EQ(stream["time_base"].toString(), "1/44100");
    EXPECT_EQ(stream["duration_ts"].toInt(), frames);
    EXPECT_EQ(probe["format"].toObject()["tags"].toObject()["major_brand"].toString(), "M4A ");
    EXPECT_EQ(probe["format"].toObject()["tags"].toObject()["title"].toString(), "Tïtle");
    // ffmpeg decodes the last frame whole; the container's length is what counts.
    const std::vector<int16_t> want = Samples(pcm), got = Samples(FfmpegDecode(aac));
    ASSERT_GE(int64_t(got.size()) / 2, frames);
    EXPECT_GT(SnrDb(want, got, 2, 0, frames, 0), 20.0);
    EXPECT_GT(SnrDb(want, got, 2, frames - 1024, 1024, 0), 20.0);
    EXPECT_LT(SnrDb(want, got, 2, 0, frames, 1024), 3.0); // the delay left in would show

    // 24-bit samples: the low byte of each differs from the high ones.
    QByteArray pcm24;
    for (int16_t v : want)
        pcm24.append(char(v * 7 & 0xff)).append(char(v & 0xff)).append(char(v >> 8));
    const QString alac = Path("deep.m4a");
    ASSERT_TRUE(w.Create(alac, TFfmpegContainer::Mp4));
    ASSERT_TRUE(w.SetStream("alac", 44100, 2, 0, 24)) << w.ErrorText().toStdString();
    ASSERT_TRUE(w.SetInput(2, 44100, 24));
    ASSERT_TRUE(w.BeginWriting());
    ASSERT_TRUE(WritePcm(w, pcm24, 44100, 2, 24));
    ASSERT_TRUE(w.EndWriting());
    const TProcessResult d = RunProgram("ffmpeg", {"-v", "error", "-i", alac, "-f", "s32le", "-"});
    ASSERT_EQ(d.Out.size(), int64_t(frames) * 2 * 4);
    QByteArray top24;
    for (qsizetype i = 0; i < d.Out.size(); i += 4)
        top24.append(d.Out.mid(i + 1, 3));
    EXPECT_TRUE(top24 == pcm24) << "24-bit ALAC is not bit-exact";
    EXPECT_EQ(Probe(alac)["streams"].toArray()[0].toObject()["bits_per_raw_sample"].toString(),
              "24");
}

TEST_F(FfmpegWriterTest, FailuresAreReported) {
    TFfmpegWriter w;
    EXPECT_FALSE(w.Create(Path("no/such/folder/x.wma")));
    EXPECT_FALSE(w.Created());
    ASSERT_TRUE(w.Create(Path("np.wma")));
    EXPECT_FALSE(w.SetInput(2, 44100, 16)); // no stream yet
    EXPECT_FALSE(w.BeginWriting());
    EXPECT_FALSE(w.WriteSample("abcd", 4, 100));
    EXPECT_TRUE(w.EndWriting()); // nothing begun: the file stays empty
    EXPECT_EQ(QFileInfo(Path("np.wma")).size(), 0);
    ASSERT_TRUE(w.Create(Path("bad.wma")));
    TWmaFormat tooFast = FormatAt(0);
    tooFast.SampleRate = 96000;
    EXPECT_FALSE(w.SetProfile("wmav2", tooFast));
    EXPECT_FALSE(w.ErrorText().isEmpty());
    EXPECT_FALSE(w.SetProfile("nosuchcodec", FormatAt(0)));
}

} // namespace
