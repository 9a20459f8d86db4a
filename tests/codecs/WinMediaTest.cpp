// The Windows Media components in runs of the framework: WAV to WMA with the chosen or the
// automatic format and the tags as attributes, WMA and MP3 back to PCM with their texts, and
// the converter's hand-over of the texts between an input and the WMA output.
#include "audio/ACS_Tags.h"
#include "audio/ACS_Wave.h"
#include "codecs/ACS_WinMedia.h"
#include "codecs/ACS_smpeg.h"
#include "encode/EncoderConfig.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TestUtil.h"
#include "tests/common/WmaTestAudio.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Runs `out` once and waits (handling the GUI thread's events) for its done event; returns
// the failure text.
QString RunToEnd(TAuOutput& out) {
    bool done = false;
    out.SetOnDone([&](TAuOutput*) { done = true; });
    out.Start();
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    EXPECT_TRUE(done) << "no done event";
    out.SetOnDone(nullptr);
    return out.FailureText();
}

QByteArray ReadAllFrom(TAuInput& input) {
    QByteArray all;
    input.Open();
    EXPECT_EQ(input.OpenFailure(), QString());
    for (;;) {
        char* buffer = nullptr;
        int bytes = 16384;
        input.ReadData(buffer, bytes);
        if (bytes <= 0 || !buffer)
            break;
        all.append(buffer, bytes);
    }
    input.Close();
    return all;
}

void SetTags(TId3v2Tags& t) {
    t.SetArtist("The Ärtist");
    t.SetAlbum("The Album");
    t.SetGenre("Rock");
    t.SetYear("1999");
    t.SetTrack("7");
    t.SetTitle("The Tïtle");
    t.SetComment("A comment");
}

class WinMediaTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }

    QString MakeWavFile(const QString& name, const QByteArray& pcm, int rate, int channels) {
        const QString path = Path(name);
        WriteWholeFile(path, MakeWav(pcm, rate, channels, 16));
        return path;
    }
    // WAV -> WMA through the components with `setUp` applied to the output; returns the
    // failure text.
    QString Encode(const QString& wav, const QString& wma,
                   const std::function<void(TWMAOut&)>& setUp, TWMAOut* keep = nullptr) {
        TWaveIn in;
        in.SetFileName(wav);
        TWMAOut local;
        TWMAOut& out = keep ? *keep : local;
        out.SetInput(&in);
        out.SetFileName(wma);
        setUp(out);
        const QString failure = RunToEnd(out);
        out.SetInput(nullptr);
        return failure;
    }
};

TEST_F(WinMediaTest, CodecAndFormatListsForTheOptionsDialog) {
    TWMAOut out;
    ASSERT_EQ(out.Codecs().size(), 2);
    EXPECT_EQ(out.CodecIndex(), -1);
    const QStringList formats = out.Formats(0);
    ASSERT_GT(formats.size(), 29);
    EXPECT_EQ(formats[29], "128 kbps, 44 kHz, stereo CBR");
    EXPECT_TRUE(out.Formats(2).isEmpty());
    EXPECT_EQ(out.Formats(1).size(), formats.size());
    out.SetVBR(true); // no VBR formats: the dialog shows an empty list
    EXPECT_TRUE(out.Formats(0).isEmpty());
    out.SetVBR(false);
    out.SetLossless(true);
    EXPECT_TRUE(out.Formats(0).isEmpty());
}

TEST_F(WinMediaTest, ConfigureWmaOutCopiesTheThreeSettings) {
    TAppOptions options;
    options.CodecIndex = 1;
    options.FormatIndex = 12;
    options.WmaVBR = true;
    TWMAOut out;
    out.SetDesiredBitrate(64);
    ConfigureWmaOut(out, options);
    EXPECT_EQ(out.CodecIndex(), 1);
    EXPECT_EQ(out.FormatIndex(), 12);
    EXPECT_TRUE(out.VBR());
    EXPECT_EQ(out.DesiredBitrate(), 64u); // nothing else is touched
    EXPECT_FALSE(out.Lossless());
}

TEST_F(WinMediaTest, DefaultSettingsWriteCdAudioWithItsAttributes) {
    const int frames = 44100 * 2 + 777;
    const QString wav = MakeWavFile("cd.wav", MakeSweep(frames, 44100, 2), 44100, 2);
    const QString wma = Path("cd.wma");
    TWMAOut out;
    const QString failure = Encode(
        wav, wma,
        [](TWMAOut& o) {
            ConfigureWmaOut(o, TAppOptions()); // codec 0, format 29, no VBR
            TId3v2Tags tags;
            SetTags(tags);
            tags.SetGenre(QString()); // an empty tag writes no attribute
            o.SetId3v2Tags(tags);
        },
        &out);
    ASSERT_EQ(failure, QString());
    EXPECT_EQ(out.ChosenCodec(), 0);
    EXPECT_EQ(out.ChosenFormat().Description, "128 kbps, 44 kHz, stereo CBR");
    EXPECT_EQ(out.BufferSize(), 14112);
    EXPECT_NEAR(double(out.SampleTime()), frames / 44100.0 * 1e7, 100.0);

    const QJsonObject probe = Probe(wma);
    const QJsonObject stream = probe["streams"].toArray()[0].toObject();
    EXPECT_EQ(stream["codec_name"].toString(), "wmav2");
    EXPECT_EQ(stream["sample_rate"].toString(), "44100");
    const double duration = probe["format"].toObject()["duration"].toString().toDouble();
    EXPECT_GE(duration, frames / 44100.0 - 0.01);
    EXPECT_LE(duration, (frames + 3 * 2048) / 44100.0 + 0.01);

    const QJsonObject tags = MutagenAsfTags(wma);
    EXPECT_EQ(tags["Author"].toString(), "The Ärtist");
    EXPECT_EQ(tags["WM/AlbumTitle"].toString(), "The Album");
    EXPECT_EQ(tags["WM/Year"].toString(), "1999");
    EXPECT_EQ(tags["Title"].toString(), "The Tïtle");
    EXPECT_EQ(tags["Copyright"].toString(), "A comment");
    EXPECT_EQ(tags["WM/TrackNumber"].toString(), "7"); // what players read
    // Each attribute once, nothing of the muxer's own (WM/EncodingSettings), and no WM/Track:
    // it counts from 0, and one written as the number would show a second track number.
    EXPECT_EQ(tags.keys(), QStringList({"Author", "Copyright", "Title", "WM/AlbumTitle",
                                        "WM/TrackNumber", "WM/Year"}));

    // Back through the input: the same audio in place, the texts in its ID3v2 object.
    TWMIn in;
    in.SetFileName(wma);
    ASSERT_TRUE(in.IsValid());
    EXPECT_EQ(in.Channels(), 2);
    EXPECT_EQ(in.SampleRate(), 44100);
    EXPECT_EQ(in.BitsPerSample(), 16);
    EXPECT_NEAR(in.Duration(), duration * 100, 1.0);
    const TId3v2Tags* t = in.Id3v2Tags();
    EXPECT_EQ(t->Artist(), "The Ärtist");
    EXPECT_EQ(t->Album(), "The Album");
    EXPECT_EQ(t->Year(), "1999");
    EXPECT_EQ(t->Track(), "7");
    EXPECT_EQ(t->Title(), "The Tïtle");
    EXPECT_EQ(t->Comment(), "A comment");
    EXPECT_EQ(t->Genre(), QString());
    const std::vector<int16_t> want = Samples(MakeSweep(frames, 44100, 2));
    const std::vector<int16_t> got = Samples(ReadAllFrom(in));
    ASSERT_GE(got.size() / 2, size_t(frames));
    EXPECT_GT(SnrDb(want, got, 2, 0, frames, 0), 20.0);
}

TEST_F(WinMediaTest, AutomaticChoiceFollowsTheDesiredBitrate) {
    const QString wav = MakeWavFile("a.wav", MakeTone(22050, 44100, 2), 44100, 2);
    for (uint32_t desired : {128u, 128000u, 100u}) {
        TWMAOut out;
        ASSERT_EQ(Encode(
                      wav, Path("a.wma"), [&](TWMAOut& o) { o.SetDesiredBitrate(desired); }, &out),
                  QString());
        const uint32_t want = desired == 100u ? 96000u : 128000u; // 100 kbit/s: closest is 96
        EXPECT_EQ(out.ChosenFormat().Bitrate, want) << desired;
        EXPECT_EQ(out.ChosenFormat().SampleRate, 44100u);
        EXPECT_EQ(out.ChosenFormat().Channels, 2);
        EXPECT_EQ(Probe(Path("a.wma"))["streams"].toArray()[0].toObject()["bit_rate"].toString(),
                  QString::number(want));
    }
    // A mono 22 kHz input gets a mono 22 kHz format.
    const QString mono = MakeWavFile("m.wav", MakeTone(22050, 22050, 1), 22050, 1);
    TWMAOut out;
    ASSERT_EQ(Encode(
                  mono, Path("m.wma"), [](TWMAOut& o) { o.SetDesiredBitrate(32); }, &out),
              QString());
    EXPECT_EQ(out.ChosenFormat().Description, "32 kbps, 22 kHz, mono CBR");
}

TEST_F(WinMediaTest, ImpossibleChoicesFailWithoutLeavingAFile) {
    const QString wav = MakeWavFile("f.wav", MakeTone(4410, 44100, 2), 44100, 2);
    struct Case {
        std::function<void(TWMAOut&)> setUp;
        const char* failure;
    };
    // The library's text, then the reason.
    const Case cases[] = {
        {[](TWMAOut& o) { o.SetCodecIndex(2); },
         "Failed to init codec\r\nWMAOptions.CodecIndex is 2: there is no such WMA codec (0..1)."},
        {[](TWMAOut& o) { o.SetCodecIndex(0), o.SetVBR(true); },
         "Failed to init codec\r\nWMAOptions.VBR is 1: WMA codec 0 has no VBR formats."},
        {[](TWMAOut& o) { o.SetVBR(true), o.SetVBRQuality(90); }, "Failed to init codec"},
        {[](TWMAOut& o) { o.SetLossless(true); }, "Failed to init codec"},
        // automatic with no bitrate wanted
        {[](TWMAOut&) {}, "Failed to init codec\r\nNo WMA format suits 2 channels of 16 bits"},
        {[](TWMAOut& o) { o.SetCodecIndex(0), o.SetFormatIndex(-1); },
         "fff\r\nWMAOptions.FormatIndex is -1: WMA codec 0 has no such format (0.."},
        {[](TWMAOut& o) { o.SetCodecIndex(1), o.SetFormatIndex(100000); },
         "fff\r\nWMAOptions.FormatIndex is 100000: WMA codec 1 has no such format (0.."},
    };
    for (const Case& c : cases) {
        const QString wma = Path("f.wma");
        const QString failure = Encode(wav, wma, c.setUp);
        EXPECT_TRUE(failure.startsWith(QString::fromLatin1(c.failure))) << failure.toStdString();
        EXPECT_FALSE(QFileInfo::exists(wma)) << c.failure;
    }
    EXPECT_EQ(Encode(wav, QString(), [](TWMAOut& o) { o.SetCodecIndex(0); }),
              "File name is not assigned.");
    EXPECT_EQ(Encode(wav, Path("no/folder/x.wma"), [](TWMAOut& o) { o.SetCodecIndex(0); }),
              "Cannot create file " + Path("no/folder/x.wma") + ": No such file or directory");
    // The same output runs again after a failure.
    TWMAOut out;
    EXPECT_EQ(
        Encode(
            wav, Path("g.wma"), [](TWMAOut& o) { o.SetCodecIndex(5); }, &out),
        "Failed to init codec\r\nWMAOptions.CodecIndex is 5: there is no such WMA codec (0..1).");
    EXPECT_EQ(Encode(
                  wav, Path("g.wma"), [](TWMAOut& o) { o.SetCodecIndex(0); }, &out),
              QString());
    EXPECT_TRUE(QFileInfo::exists(Path("g.wma")));
}

TEST_F(WinMediaTest, AFullDiskFailsTheRunAndLeavesNoBrokenFile) {
    const QString wav = MakeWavFile("big.wav", MakeTone(44100 * 5, 44100, 2), 44100, 2);
    const QString wma = Path("big.wma");
    QString failure;
    {
        TFileSizeLimit limit(20000); // 5 s at 128 kbit/s need 80 kB
        failure = Encode(wav, wma, [](TWMAOut& o) { ConfigureWmaOut(o, TAppOptions()); });
    }
    EXPECT_TRUE(failure.contains("File too large")) << failure.toStdString();
    EXPECT_FALSE(QFileInfo::exists(wma));
}

TEST_F(WinMediaTest, Mp3InputIsGaplessAndCarriesItsTagsIntoWma) {
    const int frames = 66151;
    const QString wav = MakeWavFile("s.wav", MakeSweep(frames, 44100, 2), 44100, 2);
    const QString mp3 = Path("s.mp3");
    ASSERT_EQ(RunProgram("lame", {"--quiet", "-b", "192", "--tt", "Song", "--ta", "Singer", "--tl",
                                  "Record", "--ty", "2004", "--tn", "3", "--tg", "Jazz", wav, mp3})
                  .ExitCode,
              0);
    TMP3In in;
    in.SetFileName(mp3);
    ASSERT_TRUE(in.IsValid());
    EXPECT_EQ(in.SampleCount(), frames);
    EXPECT_EQ(in.TotalTime(), 2); // 1.5 s rounds to 2
    const QByteArray pcm = ReadAllFrom(in);
    EXPECT_EQ(pcm.size(), frames * 4);
    EXPECT_GT(SnrDb(Samples(MakeSweep(frames, 44100, 2)), Samples(pcm), 2, 0, frames, 0), 15.0);
    EXPECT_EQ(in.ReadPosition(), frames * 4);

    // Converter kind 9: MP3 to WMA with the MP3's texts.
    TWMAOut out;
    out.SetInput(&in);
    out.SetFileName(Path("s.wma"));
    out.SetCodecIndex(0);
    out.SetFormatIndex(29);
    out.SetId3v2Tags(*in.Id3v2Tags());
    ASSERT_EQ(RunToEnd(out), QString());
    const QJsonObject tags = MutagenAsfTags(Path("s.wma"));
    EXPECT_EQ(tags["Title"].toString(), "Song");
    EXPECT_EQ(tags["Author"].toString(), "Singer");
    EXPECT_EQ(tags["WM/AlbumTitle"].toString(), "Record");
    EXPECT_EQ(tags["WM/Year"].toString(), "2004");
    EXPECT_EQ(tags["WM/TrackNumber"].toString(), "3");
    EXPECT_EQ(tags["WM/Genre"].toString(), "Jazz");
    const double duration =
        Probe(Path("s.wma"))["format"].toObject()["duration"].toString().toDouble();
    EXPECT_NEAR(duration, frames / 44100.0, 0.15);
}

TEST_F(WinMediaTest, WmaFromFfmpegGivesItsTextsToTheTagWriters) {
    const QString wav = MakeWavFile("w.wav", MakeTone(44100, 44100, 2), 44100, 2);
    const QString wma = Path("w.wma");
    ASSERT_EQ(RunProgram("ffmpeg", {"-v",
                                    "error",
                                    "-y",
                                    "-i",
                                    wav,
                                    "-c:a",
                                    "wmav2",
                                    "-metadata",
                                    "title=T",
                                    "-metadata",
                                    "artist=A",
                                    "-metadata",
                                    "WM/AlbumTitle=B",
                                    "-metadata",
                                    "WM/Year=1971",
                                    "-metadata",
                                    "WM/Genre=Blues",
                                    "-metadata",
                                    "WM/TrackNumber=9",
                                    "-metadata",
                                    "WM/Track=8", // counts from 0
                                    "-metadata",
                                    "copyright=C",
                                    wma})
                  .ExitCode,
              0);
    TWMIn in;
    in.SetFileName(wma);
    const TId3v2Tags* t = in.Id3v2Tags(); // opens the file
    EXPECT_TRUE(in.HeaderValid());
    EXPECT_EQ(t->Title(), "T");
    EXPECT_EQ(t->Artist(), "A");
    EXPECT_EQ(t->Album(), "B");
    EXPECT_EQ(t->Year(), "1971");
    EXPECT_EQ(t->Genre(), "Blues");
    EXPECT_EQ(t->Track(), "9");
    EXPECT_EQ(t->Comment(), "C");
    // Converter kind 10 (WMA to MP3) hands these to the ID3v1 writer through an ID3v1 object.
    TId3v1Tags v1;
    v1.SetTitle(t->Title());
    v1.SetYear(quint16(t->Year().toUInt()));
    v1.SetGenre(t->Genre());
    EXPECT_EQ(v1.GenreId(), 0); // "Blues"
    EXPECT_EQ(v1.Year(), 1971);
    // The texts of one file do not linger when the next has none.
    const QString bare = Path("bare.wma");
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "wmav2",
                                    "-map_metadata", "-1", bare})
                  .ExitCode,
              0);
    in.SetFileName(bare);
    EXPECT_EQ(in.Id3v2Tags()->Title(), QString());
    EXPECT_EQ(in.Id3v2Tags()->Artist(), QString());
    // A file with only the 0-based WM/Track: its track number is one more.
    const QString old = Path("old.wma");
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "wmav2",
                                    "-map_metadata", "-1", "-metadata", "WM/Track=8", old})
                  .ExitCode,
              0);
    in.SetFileName(old);
    EXPECT_EQ(in.Id3v2Tags()->Track(), "9");
}

TEST_F(WinMediaTest, InputFailuresAndStreams) {
    TWMIn in;
    EXPECT_FALSE(in.IsValid()); // no name, no stream
    try {
        in.OpenFile();
        ADD_FAILURE() << "no exception";
    } catch (const EAuException& e) {
        EXPECT_EQ(e.Message(), "File name is not assigned");
    }
    WriteWholeFile(Path("junk.wma"), QByteArray(5000, 'x'));
    in.SetFileName(Path("junk.wma"));
    EXPECT_FALSE(in.IsValid());
    // A name that does not open at all reports the framework's file error.
    in.SetFileName(Path("missing.wma"));
    EXPECT_THROW(in.IsValid(), EAuException);

    // A caller's stream is read and left open, positioned at its start.
    const QString mp3 = Path("st.mp3");
    const QString wav = MakeWavFile("st.wav", MakeTone(20000, 44100, 1), 44100, 1);
    ASSERT_EQ(RunProgram("lame", {"--quiet", "-b", "64", wav, mp3}).ExitCode, 0);
    QFile file(mp3);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TMP3In byStream;
    byStream.SetStream(&file);
    ASSERT_TRUE(byStream.IsValid());
    EXPECT_EQ(byStream.Channels(), 1);
    EXPECT_EQ(ReadAllFrom(byStream).size(), 20000 * 2);
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(file.pos(), 0);
}

TEST_F(WinMediaTest, ProtectedWmaIsRefused) {
    const QString wav = MakeWavFile("p.wav", MakeTone(8000, 44100, 2), 44100, 2);
    const QString wma = Path("p.wma");
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "wmav2", wma}).ExitCode,
              0);
    WriteWholeFile(Path("drm.wma"), WithContentEncryption(ReadWholeFile(wma)));
    TWMIn in;
    in.SetFileName(Path("drm.wma"));
    try {
        in.OpenFile();
        ADD_FAILURE() << "no exception";
    } catch (const EAuException& e) {
        EXPECT_EQ(e.Message(), "File is protected");
    }
    EXPECT_TRUE(in.HeaderValid());
    // An output pulling from it fails with that text instead of writing silence.
    TWMAOut out;
    out.SetInput(&in);
    out.SetFileName(Path("from-drm.wma"));
    out.SetCodecIndex(0);
    out.SetFormatIndex(29);
    EXPECT_EQ(RunToEnd(out), "File is protected");
    EXPECT_FALSE(QFileInfo::exists(Path("from-drm.wma")));
}

TEST_F(WinMediaTest, StartSampleSkipsIntoTheFile) {
    const int frames = 44100 * 2;
    const QString wav = MakeWavFile("k.wav", MakeSweep(frames, 44100, 2), 44100, 2);
    const QString mp3 = Path("k.mp3");
    ASSERT_EQ(RunProgram("lame", {"--quiet", "-b", "192", wav, mp3}).ExitCode, 0);
    TMP3In in;
    in.SetFileName(mp3);
    ASSERT_TRUE(in.Seek(30000)); // idle: sets the start of the next run
    const std::vector<int16_t> got = Samples(ReadAllFrom(in));
    EXPECT_NEAR(double(got.size()) / 2, frames - 30000, 2.0);
    EXPECT_GT(SnrDb(Samples(MakeSweep(frames, 44100, 2)), got, 2, 34096, 8192, -30000), 15.0);
    // The sub-range applies to one run only.
    EXPECT_EQ(ReadAllFrom(in).size(), frames * 4);
}

} // namespace
