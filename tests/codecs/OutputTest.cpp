// The MP3, Ogg Vorbis, FLAC and Opus outputs run by their worker threads from a WAV input, as
// the rip and the converter run them; files are checked with ffmpeg, flac, ogginfo, opusinfo,
// opusdec and mutagen.
#include "audio/ACS_Wave.h"
#include "codecs/ACS_FLAC.h"
#include "codecs/ACS_LAME.h"
#include "codecs/ACS_MAC.h"
#include "codecs/ACS_Opus.h"
#include "codecs/ACS_Vorbis.h"
#include "codecs/ACS_WinMedia.h"
#include "codecs/CodecLibraries.h"
#include "codecs/FlacLibrary.h"
#include "codecs/LameLibrary.h"
#include "codecs/OggLibrary.h"
#include "codecs/OpusEncLibrary.h"
#include "codecs/VorbisEncLibrary.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TestAudio.h"
#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int Rate = 44100;
// See EncoderTest: a working lossy encoding of this music measures well above this.
constexpr double MinLossySnrDb = 12.0;

const char* const ListTagsScript =
    "import sys, mutagen\n"
    "f = mutagen.File(sys.argv[1])\n"
    "print(f.tags.vendor + '|' + ';'.join('%s=%s' % kv for kv in f.tags))";

// Starts `out` and serves the GUI thread's events until its OnDone arrives.
bool RunToDone(TAuOutput& out, int timeoutMs = 60000) {
    bool done = false;
    out.SetOnDone([&](TAuOutput*) { done = true; });
    out.Start();
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return done;
}

class OutputTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TWaveIn in;
    QByteArray pcm;
    static void SetUpTestSuite() { LoadCodecLibraries(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Writes a WAV of music and points the input at it.
    void UseWav(int frames, int channels, int bits = 16, int rate = Rate) {
        pcm = MusicPcm(frames, channels, rate, bits);
        WriteWav(path("in.wav"), pcm, channels, rate, bits);
        in.SetFileName(path("in.wav"));
    }
};

TEST_F(OutputTest, Mp3FilesDecodeToTheInputSamples) {
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    struct Case {
        const char* name;
        int channels, bits;
        bool vbr;
    };
    for (const Case c : {Case{"stereo cbr", 2, 16, false}, Case{"mono cbr", 1, 16, false},
                         Case{"stereo vbr", 2, 16, true}, Case{"24-bit", 2, 24, false}}) {
        SCOPED_TRACE(c.name);
        const int frames = Rate * 3 + 1001;
        UseWav(frames, c.channels, c.bits);
        TMP3Out out;
        out.SetInput(&in);
        out.SetFileName(path("out.mp3"));
        out.SetMode(TMP3Mode::JOINT_STEREO);
        out.SetEnableVBR(c.vbr);
        out.SetWriteVBRHeader(true);
        out.SetVBRQuality(TMP3Quality::ql4);
        ASSERT_TRUE(RunToDone(out));
        EXPECT_EQ(out.FailureText(), "");
        int channels = 0;
        const std::vector<short> decoded = DecodeWithFfmpeg(path("out.mp3"), &channels);
        EXPECT_EQ(channels, c.channels) << "mono input gives a mono file";
        ASSERT_EQ(decoded.size(), size_t(frames) * c.channels)
            << "the header frame tells the decoder the exact length";
        const std::vector<short> reference =
            c.bits == 16 ? ToSamples(pcm) : ToSamples(MusicPcm(frames, c.channels, Rate, 16));
        int lag = 99;
        EXPECT_GT(SnrDb(reference, decoded, c.channels, 20, &lag), MinLossySnrDb);
        EXPECT_EQ(lag, 0) << "every sample once, in order";
    }
}

TEST_F(OutputTest, Mp3RunSettingsAndRateRules) {
    UseWav(Rate / 2, 2, 16, 22050);
    TMP3Out out;
    EXPECT_EQ(out.BitRate(), TMP3BitRate::br128);
    EXPECT_EQ(out.Quality(), TMP3Quality::ql5);
    EXPECT_EQ(out.VBRMinBitrate(), 128);
    EXPECT_EQ(out.VBRMaxBitrate(), 192);
    EXPECT_TRUE(out.Original());
    out.SetInput(&in);
    out.SetFileName(path("low.mp3"));
    out.SetSampleRate(TMP3SampleRate::sr48kHz);
    out.SetEnableVBR(true);
    out.SetVBRMinBitrate(256);
    out.SetVBRMaxBitrate(128);
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
    EXPECT_EQ(out.VBRMinBitrate(), 128) << "the limits are exchanged";
    EXPECT_EQ(out.VBRMaxBitrate(), 256);
    if (HaveProgram("ffprobe")) {
        const TProcessResult r =
            RunProgram("ffprobe", {"-v", "error", "-show_entries", "stream=sample_rate", "-of",
                                   "default=nw=1:nk=1", path("low.mp3")});
        EXPECT_EQ(r.Out.trimmed(), "32000") << "input under 41 kHz is encoded at 32 kHz";
    }
}

TEST_F(OutputTest, MissingLibrariesRefuseConstructionNamingTheFile) {
    {
        TCodecLibrary& lame = LameLibrary();
        ASSERT_EQ(lame.Users(), 0);
        lame.SetFileNames({"libmp3lame-missing.so.0"});
        try {
            TMP3Out out;
            ADD_FAILURE() << "constructed without LAME";
        } catch (const EAuException& e) {
            EXPECT_EQ(e.Message(), "libmp3lame-missing.so.0 library could not be loaded.");
        }
        EXPECT_EQ(lame.Users(), 0);
        lame.RestoreFileNames();
        TMP3Out one;
        auto* two = new TMP3Out;
        delete two;
        EXPECT_TRUE(lame.IsLoaded()) << "kept while an MP3 output exists";
    }
    EXPECT_FALSE(LameLibrary().IsLoaded()) << "released with the last MP3 output";

    ReleaseCodecLibraries();
    OggLibrary().SetFileNames({"libogg-missing.so.0"});
    VorbisEncLibrary().SetFileNames({"libvorbisenc-missing.so.2"});
    FlacLibrary().SetFileNames({"libFLAC-missing.so.12"});
    auto message = [](auto make) {
        try {
            make();
        } catch (const EAuException& e) {
            return e.Message();
        }
        return QStringLiteral("constructed");
    };
    EXPECT_EQ(message([] { TVorbisOut o; }), "libogg-missing.so.0 library could not be loaded.");
    OggLibrary().RestoreFileNames();
    EXPECT_EQ(message([] { TVorbisOut o; }),
              "libvorbisenc-missing.so.2 library could not be loaded.");
    EXPECT_EQ(message([] { TFLACOut o; }), "libFLAC-missing.so.12 library could not be loaded.");
    VorbisEncLibrary().RestoreFileNames();
    FlacLibrary().RestoreFileNames();
    EXPECT_EQ(message([] { TVorbisOut o; }), "constructed");
    EXPECT_EQ(message([] { TFLACOut o; }), "constructed");

    // libopusenc is held while an Opus output exists, as LAME is.
    OpusEncLibrary().SetFileNames({"libopusenc-missing.so.0"});
    EXPECT_EQ(message([] { TOpusOut o; }), "libopusenc-missing.so.0 library could not be loaded.");
    EXPECT_EQ(OpusEncLibrary().Users(), 0);
    OpusEncLibrary().RestoreFileNames();
    {
        TOpusOut one;
        EXPECT_TRUE(OpusEncLibrary().IsLoaded());
    }
    EXPECT_FALSE(OpusEncLibrary().IsLoaded()) << "released with the last Opus output";
}

TEST_F(OutputTest, Mp3EncodingErrorStillFinishesAPlayableFileAndFailsTheRun) {
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    TCodecLibrary& lame = LameLibrary();
    ASSERT_EQ(lame.Users(), 0);
    lame.SetFileNames({FAILING_LAME_PATH});
    const int frames = Rate * 5;
    UseWav(frames, 2);
    {
        TMP3Out out;
        out.SetInput(&in);
        out.SetFileName(path("broken.mp3"));
        ASSERT_TRUE(RunToDone(out));
        EXPECT_EQ(out.FailureText(), "MP3 encoding failed: psychoacoustic analysis failed.");
        EXPECT_FALSE(out.InUse());
    }
    lame.RestoreFileNames();
    // What was encoded before the error plays, and it is less than the whole input.
    int channels = 0;
    const std::vector<short> decoded = DecodeWithFfmpeg(path("broken.mp3"), &channels);
    EXPECT_EQ(channels, 2);
    EXPECT_GT(decoded.size(), 0u);
    EXPECT_LT(decoded.size(), size_t(frames)); // under half of the 2 * frames samples
    // The input was released: a run with the real library reads it again from the start.
    TMP3Out again;
    again.SetInput(&in);
    again.SetFileName(path("good.mp3"));
    ASSERT_TRUE(RunToDone(again));
    EXPECT_EQ(again.FailureText(), "");
    EXPECT_EQ(DecodeWithFfmpeg(path("good.mp3")).size(), size_t(frames) * 2);
}

TEST_F(OutputTest, VorbisFileDecodesAndCarriesTheComments) {
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    const int frames = Rate * 2 + 555;
    UseWav(frames, 2);
    TVorbisOut out;
    out.SetInput(&in);
    out.SetFileName(path("out.ogg"));
    out.Comments().SetArtist(QString::fromUtf8("Björk"));
    out.Comments().SetTitle("Jóga");
    out.Comments().SetTrack("4");
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
    EXPECT_EQ(out.Comments().Title(), "") << "comments belong to one file";
    const std::vector<short> decoded = DecodeWithFfmpeg(path("out.ogg"));
    ASSERT_EQ(decoded.size(), size_t(frames) * 2);
    int lag = 99;
    EXPECT_GT(SnrDb(ToSamples(pcm), decoded, 2, 20, &lag), MinLossySnrDb);
    EXPECT_EQ(lag, 0);
    const QStringList tags = Mutagen(ListTagsScript, path("out.ogg")).split('|');
    ASSERT_EQ(tags.size(), 2);
    // Written in the tag set's (alphabetical) order.
    EXPECT_EQ(tags[1].toStdString(), "artist=Björk;title=Jóga;tracknumber=4");
}

// Opus plays at 48 kHz: the pre-skip puts the first sample in place and the last page's
// granule position ends the audio after round(N x 48000 / 44100) samples, as opusdec and ffmpeg
// decode it. 88201 frames make 96001.09 samples, which libopusenc alone would round up.
TEST_F(OutputTest, OpusFileHasTheRoundedLengthAndStartsInPlace) {
    if (!HaveProgram("opusinfo"))
        GTEST_SKIP() << "opus-tools are missing";
    const int frames = 88201;
    UseWav(frames, 2);
    TOpusOut out;
    out.SetInput(&in);
    out.SetFileName(path("out.opus"));
    out.SetBitrate(96);
    out.Comments().SetTitle(QString::fromUtf8("Jóga"));
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
    const TProcessResult info = RunProgram("opusinfo", {path("out.opus")});
    EXPECT_EQ(info.ExitCode, 0) << info.Err.toStdString();
    EXPECT_FALSE(info.Out.contains("WARNING") || info.Out.contains("ERROR") ||
                 !info.Err.trimmed().isEmpty())
        << info.Out.toStdString() << info.Err.toStdString();
    EXPECT_TRUE(info.Out.contains("title=Jóga")) << info.Out.toStdString();
    EXPECT_TRUE(info.Out.contains("Original sample rate: 44100 Hz"));
    const int64_t samples48k = (int64_t(frames) * 48000 + 22050) / 44100;
    ASSERT_EQ(samples48k, 96001);
    const TProcessResult opusdec =
        RunProgram("opusdec", {"--quiet", "--rate", "48000", path("out.opus"), path("out.raw")});
    ASSERT_EQ(opusdec.ExitCode, 0) << opusdec.Err.toStdString();
    EXPECT_EQ(QFileInfo(path("out.raw")).size(), samples48k * 4);
    EXPECT_EQ(int64_t(DecodeWithFfmpeg(path("out.opus")).size()), samples48k * 2);
    // ffmpeg's resampler brings the decoded audio back to 44.1 kHz: it lines up with the input.
    const TProcessResult back = RunProgram(
        "ffmpeg", {"-v", "error", "-i", path("out.opus"), "-ar", "44100", "-f", "s16le", "-"});
    int lag = 99;
    EXPECT_GT(SnrDb(ToSamples(pcm), ToSamples(back.Out), 2, 400, &lag), MinLossySnrDb);
    EXPECT_LE(std::abs(lag), 1);
}

TEST_F(OutputTest, VorbisBitRateRulesAndManagedMode) {
    UseWav(Rate, 2);
    TVorbisOut out;
    using R = TVorbisBitRate;
    out.SetDesiredMaximumBitrate(R::br96);
    EXPECT_EQ(out.DesiredMaximumBitrate(), R::brAutoSelect) << "ignored in quality mode";
    out.SetDesiredNominalBitrate(R::br160);
    out.SetMinimumBitrate(R::br160);
    out.SetDesiredNominalBitrate(R::br128);
    EXPECT_EQ(out.MinimumBitrate(), R::br128);
    EXPECT_EQ(out.DesiredMaximumBitrate(), R::br160);
    out.SetDesiredMaximumBitrate(R::br96);
    EXPECT_EQ(out.DesiredMaximumBitrate(), R::br160) << "below the nominal rate: ignored";
    out.SetMinimumBitrate(R::br160);
    EXPECT_EQ(out.MinimumBitrate(), R::br128) << "above the nominal rate: ignored";
    out.SetMinimumBitrate(R::brAutoSelect);
    out.SetDesiredMaximumBitrate(R::brAutoSelect);
    EXPECT_EQ(out.DesiredMaximumBitrate(), R::brAutoSelect);

    out.SetInput(&in);
    out.SetFileName(path("managed.ogg"));
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
    if (HaveProgram("ffprobe")) {
        const TProcessResult r =
            RunProgram("ffprobe", {"-v", "error", "-show_entries", "stream=bit_rate", "-of",
                                   "default=nw=1:nk=1", path("managed.ogg")});
        EXPECT_EQ(r.Out.trimmed(), "128000") << "the nominal rate in the header";
    }

    out.SetDesiredNominalBitrate(R::brAutoSelect);
    EXPECT_EQ(out.DesiredMaximumBitrate(), R::brAutoSelect);
}

TEST_F(OutputTest, VorbisSetUpRefusalBecomesTheFailureText) {
    UseWav(8000, 1, 16, 8000);
    TVorbisOut out;
    out.SetInput(&in);
    out.SetFileName(path("refused.ogg"));
    out.SetDesiredNominalBitrate(TVorbisBitRate::br499);
    bool exceptionSeen = false;
    out.SetOnThreadException([&](TAuOutput*) { exceptionSeen = true; });
    ASSERT_TRUE(RunToDone(out));
    EXPECT_TRUE(exceptionSeen);
    EXPECT_EQ(out.FailureText(),
              "Vorbis codec setup with the requested bitrate failed. Try a lower bitrate.");
    // The next run on the same file and input works.
    out.SetDesiredNominalBitrate(TVorbisBitRate::brAutoSelect);
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
}

// Every run picks its own serial number, so an appended stream, or two files joined with cat,
// make a valid chained file.
TEST_F(OutputTest, VorbisAppendAddsASecondLogicalStream) {
    if (!HaveProgram("ogginfo"))
        GTEST_SKIP() << "ogginfo is missing";
    UseWav(Rate / 2, 2);
    TVorbisOut out;
    out.SetInput(&in);
    out.SetFileName(path("chain.ogg"));
    ASSERT_TRUE(RunToDone(out));
    const int firstSerial = out.Serial();
    const QByteArray firstFile = ReadWholeFile(path("chain.ogg"));
    out.SetFileMode(foAppend);
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
    EXPECT_NE(out.Serial(), firstSerial);
    EXPECT_GT(QFileInfo(path("chain.ogg")).size(), firstFile.size() * 3 / 2);
    const TProcessResult info = RunProgram("ogginfo", {path("chain.ogg")});
    EXPECT_EQ(info.ExitCode, 0) << info.Out.toStdString();
    EXPECT_EQ(info.Out.count("New logical stream"), 2) << info.Out.toStdString();

    out.SetFileMode(foRewrite);
    out.SetFileName(path("second.ogg"));
    ASSERT_TRUE(RunToDone(out));
    WriteWholeFile(path("joined.ogg"), firstFile + ReadWholeFile(path("second.ogg")));
    const TProcessResult joined = RunProgram("ogginfo", {path("joined.ogg")});
    EXPECT_EQ(joined.ExitCode, 0) << joined.Out.toStdString();
    EXPECT_FALSE(joined.Out.contains("WARNING")) << joined.Out.toStdString();
}

TEST_F(OutputTest, FlacRoundTripsBitExactlyWithItsTags) {
    if (!HaveProgram("flac"))
        GTEST_SKIP() << "flac is missing";
    for (const int bits : {16, 24}) {
        SCOPED_TRACE(bits);
        UseWav(Rate * 2 + 3, 2, bits);
        TFLACOut out;
        out.SetInput(&in);
        out.SetFileName(path("out.flac"));
        out.SetCompressionLevel(2);
        out.SetVerify(true);
        out.Tags().SetTitle("Ünïcode");
        out.Tags().SetGenre("Rock");
        out.Tags().SetTrack("9");
        out.Tags().SetTrackTotal("12");
        out.Tags().SetComment("Ripped");
        ASSERT_TRUE(RunToDone(out));
        EXPECT_EQ(out.FailureText(), "");
        const TProcessResult test = RunProgram("flac", {"-t", "-s", path("out.flac")});
        EXPECT_EQ(test.ExitCode, 0) << test.Err.toStdString();
        const TProcessResult dec =
            RunProgram("flac", {"-d", "-s", "-f", "-o", path("back.wav"), path("out.flac")});
        ASSERT_EQ(dec.ExitCode, 0) << dec.Err.toStdString();
        EXPECT_TRUE(ReadWholeFile(path("back.wav")).right(pcm.size()) == pcm);
        EXPECT_EQ(Mutagen(ListTagsScript, path("out.flac")).toStdString(),
                  "VENDOR=Hacked|title=Ünïcode;genre=Rock;tracknumber=9;tracktotal=12;"
                  "comment=Ripped");
        // Padding for later tag edits, and a seek table whose points metaflac finds filled in.
        const TProcessResult list = RunProgram("metaflac", {"--list", path("out.flac")});
        EXPECT_TRUE(list.Out.contains("type: 1 (PADDING)\n  is last: true\n  length: 8192"))
            << list.Out.toStdString();
        EXPECT_TRUE(list.Out.contains("type: 3 (SEEKTABLE)")) << list.Out.toStdString();
        EXPECT_TRUE(list.Out.contains("point 0: sample_number=0, stream_offset=0"))
            << list.Out.toStdString();
        EXPECT_FALSE(list.Out.contains("PLACEHOLDER")) << list.Out.toStdString();
    }
}

TEST_F(OutputTest, FlacSettersAndExplicitSettings) {
    TFLACOut out;
    EXPECT_EQ(out.CompressionLevel(), -1);
    EXPECT_EQ(out.BlockSize(), 4608);
    out.SetCompressionLevel(12);
    EXPECT_EQ(out.CompressionLevel(), 8);
    out.SetCompressionLevel(-5);
    EXPECT_EQ(out.CompressionLevel(), -5);
    out.SetEnableMidSideStereo(false);
    out.SetEnableLooseMidSideStereo(true);
    EXPECT_TRUE(out.EnableMidSideStereo());
    out.SetBestModelSearch(true);
    EXPECT_FALSE(out.EnableLooseMidSideStereo());
    EXPECT_TRUE(out.EnableMidSideStereo());

    // 24-bit input with a precision of 15: 31 - 24 = 7 is used and kept.
    UseWav(Rate / 2, 1, 24);
    out.SetInput(&in);
    out.SetFileName(path("explicit.flac"));
    out.SetMaxLPCOrder(8);
    out.SetQLPCoeffPrecision(15);
    out.SetMaxResidualPartitionOrder(4);
    ASSERT_TRUE(RunToDone(out));
    EXPECT_EQ(out.FailureText(), "");
    EXPECT_EQ(out.QLPCoeffPrecision(), 7);
    if (HaveProgram("flac")) {
        EXPECT_EQ(RunProgram("flac", {"-t", "-s", path("explicit.flac")}).ExitCode, 0);
    }
    EXPECT_EQ(Mutagen(ListTagsScript, path("explicit.flac")).toStdString(), "VENDOR=Hacked|")
        << "an empty comment block is still written";
}

TEST_F(OutputTest, UnreadableInputIsAFailureNotAnEmptyFile) {
    WriteWholeFile(path("garbage.wav"), QByteArray(3000, 'x'));
    TMP3Out mp3;
    TVorbisOut ogg;
    TFLACOut flac;
    for (TAuFileOut* out : std::initializer_list<TAuFileOut*>{&mp3, &ogg, &flac}) {
        for (const char* input : {"missing.wav", "garbage.wav"}) {
            SCOPED_TRACE(input);
            in.SetFileName(path(input));
            out->SetInput(&in);
            out->SetFileName(path("out.bin"));
            ASSERT_TRUE(RunToDone(*out));
            EXPECT_NE(out->FailureText(), "");
        }
        // A file name is needed.
        in.SetFileName(path("garbage.wav"));
        out->SetFileName(QString());
        ASSERT_TRUE(RunToDone(*out));
        EXPECT_EQ(out->FailureText(), "File name is not assigned.");
    }
}

TEST_F(OutputTest, StoppedRunsLeavePlayableFiles) {
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is missing";
    const int frames = Rate * 20;
    UseWav(frames, 2);
    TMP3Out mp3;
    TVorbisOut ogg;
    TFLACOut flac;
    flac.SetCompressionLevel(2);
    const std::pair<TAuFileOut*, const char*> outputs[] = {
        {&mp3, "stopped.mp3"}, {&ogg, "stopped.ogg"}, {&flac, "stopped.flac"}};
    for (const auto& [out, name] : outputs) {
        SCOPED_TRACE(name);
        out->SetInput(&in);
        out->SetFileName(path(name));
        out->SetBlockDelay(40); // slow enough to stop after a few blocks
        out->Start();
        QThread::msleep(300);
        out->Stop(false);
        EXPECT_FALSE(out->InUse());
        EXPECT_EQ(out->FailureText(), "");
        const TProcessResult r = RunProgram("ffmpeg", {"-v", "error", "-xerror", "-i", path(name),
                                                       "-f", "s16le", "-acodec", "pcm_s16le", "-"});
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        EXPECT_TRUE(r.Err.isEmpty()) << r.Err.toStdString();
        const qsizetype decodedFrames = r.Out.size() / 4;
        EXPECT_GT(decodedFrames, 0);
        EXPECT_LT(decodedFrames, frames / 2) << "stopped early";
        int lag = 99;
        EXPECT_GT(SnrDb(ToSamples(pcm.left(r.Out.size() - 8192)),
                        ToSamples(r.Out.left(r.Out.size() - 8192)), 2, 20, &lag),
                  MinLossySnrDb);
        EXPECT_EQ(lag, 0);
    }
    EXPECT_EQ(RunProgram("flac", {"-t", "-s", path("stopped.flac")}).ExitCode, 0);
}

} // namespace

TEST_F(OutputTest, AFullDiskNamesTheFileAndTheSystemsReason) {
    UseWav(Rate * 2, 2);
    TWaveOut wav;
    TMP3Out mp3;
    TVorbisOut ogg;
    TFLACOut flac;
    TMACOut ape;
    TWMAOut wma;
    wma.SetCodecIndex(0);
    wma.SetFormatIndex(29); // 128 kbit/s, 44.1 kHz, stereo
    const std::pair<TAuFileOut*, const char*> outputs[] = {
        {&wav, "wav"}, {&mp3, "mp3"}, {&ogg, "ogg"}, {&flac, "flac"}, {&ape, "ape"}, {&wma, "wma"}};
    for (const auto& [out, extension] : outputs) {
        SCOPED_TRACE(extension);
        const QString file = path(QStringLiteral("full.") + QLatin1String(extension));
        out->SetInput(&in);
        out->SetFileName(file);
        {
            // Every output writes well over 8000 bytes of two seconds of CD audio.
            TFileSizeLimit full(8000);
            ASSERT_TRUE(RunToDone(*out));
        }
        const QString failure = out->FailureText();
        EXPECT_TRUE(failure.contains(file)) << failure.toStdString();
        EXPECT_TRUE(failure.contains(QStringLiteral("File too large"))) << failure.toStdString();
        EXPECT_FALSE(in.InUse()) << "the input is released for the next run";
    }
}
