// The settings as the encoder outputs receive them before a run.
#include "encode/EncoderConfig.h"
#include "audio/ACS_Tags.h"
#include "audio/Genres.h"
#include "codecs/ACS_FLAC.h"
#include "codecs/ACS_LAME.h"
#include "codecs/ACS_M4A.h"
#include "codecs/ACS_MAC.h"
#include "codecs/ACS_Opus.h"
#include "codecs/ACS_Vorbis.h"
#include "encode/EncodeStep.h"
#include "encode/OutputFormats.h"

#include <gtest/gtest.h>

namespace {

TEST(EncoderConfigTest, Mp3SettingsMapOntoTheOutput) {
    struct Case {
        const char* name;
        int cpu, cbrIndex;
        bool vbr, vbrHead;
        int stereoMode, minKbps, maxKbps, vbrQuality;
        // expected
        int delay;
        TMP3BitRate bitRate;
        TMP3Mode mode;
        TMP3Quality quality;
    };
    const TAppOptions defaults;
    const Case cases[] = {
        {"defaults", defaults.Mp3Cpu, defaults.ConstantBitRate, defaults.IsSelectVBR,
         defaults.IsVBRHead, defaults.StereoMode, defaults.BitRate, defaults.MaxBitRate,
         defaults.VBRQuality, 1, TMP3BitRate::br128, TMP3Mode::JOINT_STEREO, TMP3Quality::ql4},
        {"cpu 1, first rate, stereo", 1, 0, true, true, 0, 64, 256, 0, 11, TMP3BitRate::br48,
         TMP3Mode::STEREO, TMP3Quality::ql0},
        {"cpu 2, last rate, mono", 2, 8, false, false, 3, 96, 320, 9, 6, TMP3BitRate::br320,
         TMP3Mode::MONO, TMP3Quality::ql9},
        {"dual channel, 192", 3, 6, false, false, 2, 128, 320, 4, 1, TMP3BitRate::br192,
         TMP3Mode::DUAL_CHANNEL, TMP3Quality::ql4},
        // Values outside the dialog's lists leave what the output had (set below).
        {"out of range", 3, 9, false, false, 7, 128, 320, 10, 1, TMP3BitRate::br224,
         TMP3Mode::DUAL_CHANNEL, TMP3Quality::ql2},
        {"negative indexes", 3, -1, false, false, -1, 128, 320, -1, 1, TMP3BitRate::br224,
         TMP3Mode::DUAL_CHANNEL, TMP3Quality::ql2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMP3Out out;
        out.SetBitRate(TMP3BitRate::br224);
        out.SetMode(TMP3Mode::DUAL_CHANNEL);
        out.SetVBRQuality(TMP3Quality::ql2);
        TAppOptions o;
        o.Mp3Cpu = c.cpu;
        o.ConstantBitRate = c.cbrIndex;
        o.IsSelectVBR = c.vbr;
        o.IsVBRHead = c.vbrHead;
        o.StereoMode = c.stereoMode;
        o.BitRate = c.minKbps;
        o.MaxBitRate = c.maxKbps;
        o.VBRQuality = c.vbrQuality;
        ConfigureMp3Out(out, o);
        EXPECT_EQ(out.BlockDelay(), c.delay);
        EXPECT_EQ(out.BitRate(), c.bitRate);
        EXPECT_EQ(out.EnableVBR(), c.vbr);
        EXPECT_EQ(out.WriteVBRHeader(), c.vbrHead);
        EXPECT_EQ(out.Mode(), c.mode);
        EXPECT_EQ(out.VBRMinBitrate(), c.minKbps);
        EXPECT_EQ(out.VBRMaxBitrate(), c.maxKbps);
        EXPECT_EQ(out.VBRQuality(), c.quality);
    }
    // Every list index gives its own kbit/s figure.
    const int kbps[] = {48, 56, 64, 80, 96, 128, 192, 256, 320};
    for (int i = 0; i < 9; ++i) {
        TMP3Out out;
        TAppOptions o;
        o.ConstantBitRate = i;
        ConfigureMp3Out(out, o);
        EXPECT_EQ(MP3BitRateKbps(out.BitRate()), kbps[i]) << "index " << i;
    }
}

TEST(EncoderConfigTest, OggSettingsMapOntoTheOutput) {
    using R = TVorbisBitRate;
    struct Case {
        const char* name;
        bool useCompress;
        int position, maxChoice, nominalChoice, minChoice;
        float compression;
        R max, nominal, min;
    };
    const Case cases[] = {
        {"quality at 30", true, 30, 14, 8, 4, 0.2f, R::brAutoSelect, R::brAutoSelect,
         R::brAutoSelect},
        {"quality at 100", true, 100, 0, 0, 0, 0.9f, R::brAutoSelect, R::brAutoSelect,
         R::brAutoSelect},
        {"nominal 128 only", false, 30, 0, 8, 0, 0.2f, R::brAutoSelect, R::br128, R::brAutoSelect},
        // A fresh output keeps the maximum too (it is set after the nominal rate).
        {"320 / 128 / 64", false, 50, 14, 8, 4, 0.2f, R::br320, R::br128, R::br64},
        {"45 / 45 / 45", false, 50, 1, 1, 1, 0.2f, R::br45, R::br45, R::br45},
        {"default nominal", false, 50, 14, 0, 4, 0.2f, R::brAutoSelect, R::brAutoSelect,
         R::brAutoSelect},
        {"choices out of range", false, 50, 15, 8, -1, 0.2f, R::br128, R::br128, R::brAutoSelect},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVorbisOut out;
        TAppOptions o;
        o.IsUseCompress = c.useCompress;
        o.CompressPosition = c.position;
        o.OggMaxBitRate = c.maxChoice;
        o.OggNomalBitRate = c.nominalChoice;
        o.OggMinBitRate = c.minChoice;
        ConfigureVorbisOut(out, TEncodeRequest(), o);
        EXPECT_FLOAT_EQ(out.Compression(), c.compression);
        EXPECT_EQ(out.DesiredMaximumBitrate(), c.max);
        EXPECT_EQ(out.DesiredNominalBitrate(), c.nominal);
        EXPECT_EQ(out.MinimumBitrate(), c.min);
    }
    // Managed rates left from an earlier file give way to the quality setting.
    TVorbisOut out;
    TAppOptions o;
    o.IsUseCompress = false;
    o.OggNomalBitRate = 8;
    o.OggMaxBitRate = 14;
    ConfigureVorbisOut(out, TEncodeRequest(), o);
    o.IsUseCompress = true;
    o.CompressPosition = 60;
    ConfigureVorbisOut(out, TEncodeRequest(), o);
    EXPECT_EQ(out.DesiredNominalBitrate(), R::brAutoSelect);
    EXPECT_EQ(out.DesiredMaximumBitrate(), R::brAutoSelect);
    EXPECT_FLOAT_EQ(out.Compression(), 0.5f);
}

TEST(EncoderConfigTest, CommentsComeFromTheDiscFieldsAndTheFilesOwnTitle) {
    TDiscFields full;
    full.Artist = QString::fromUtf8("Sigur Rós");
    full.Album = "Takk";
    full.Year = "2005";
    full.Genre = 1 + 17; // box position of the 18th name
    full.Comment = "Remastered";
    const QString genre = QString::fromLatin1(GenreNames[17]);
    // A converted file goes without the ripped track's own artist, album artist, disc number
    // and compilation mark even when the job's disc fields hold them.
    TDiscFields set = full;
    set.AlbumArtist = "Various";
    set.DiscNumber = 2;
    set.DiscTotal = 3;
    auto request = [](const TDiscFields& disc, const QString& title, int track, int trackTotal,
                      TEncodeRequest::TextSource texts) {
        TEncodeRequest r;
        r.Disc = disc;
        r.Title = title;
        r.Track = track;
        r.TrackTotal = trackTotal;
        r.Texts = texts;
        r.Artist = QString::fromUtf8("Jónsi");
        r.Compilation = true;
        return r;
    };
    struct Case {
        const char* name;
        TEncodeRequest request;
        // expected: artist, album, date, genre, title, tracknumber, tracktotal, comment,
        // albumartist, discnumber, disctotal, compilation
        QStringList values;
    };
    TEncodeRequest plainRip = request(full, "Hoppípolla", 3, 11, TEncodeRequest::DiscTexts);
    plainRip.Artist.clear();
    plainRip.Compilation = false;
    const Case cases[] = {
        {"rip",
         plainRip,
         {QString::fromUtf8("Sigur Rós"), "Takk", "2005", genre, "Hoppípolla", "3", "11",
          "Remastered", QString::fromUtf8("Sigur Rós"), "", "", ""}},
        {"convert",
         request(set, "my file", 0, 11, TEncodeRequest::InputTexts),
         {QString::fromUtf8("Sigur Rós"), "Takk", "2005", genre, "my file", "", "", "Remastered",
          "", "", "", ""}},
        {"empty fields", TEncodeRequest(), {"", "", "", "", "", "", "", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVorbisOut ogg;
        ogg.Comments().SetTitle("left from the last file");
        ConfigureVorbisOut(ogg, c.request, TAppOptions());
        TFLACOut flac;
        ConfigureFlacOut(flac, c.request, TAppOptions());
        for (TVorbisTags* t : {&ogg.Comments(), &flac.Tags()}) {
            const QStringList got = {t->Artist(),     t->Album(),     t->Date(),
                                     t->Genre(),      t->Title(),     t->Track(),
                                     t->TrackTotal(), t->Comment(),   t->AlbumArtist(),
                                     t->Disc(),       t->DiscTotal(), t->Compilation()};
            EXPECT_EQ(got, c.values);
        }
        if (c.values[0].isEmpty()) {
            EXPECT_TRUE(TFLACOut::CommentsOf(flac.Tags()).empty()) << "no empty comments";
        }
    }
    // Blank genre entry and no selection give no genre.
    EXPECT_EQ(GenreBoxText(0), "");
    EXPECT_EQ(GenreBoxText(-1), "");
    EXPECT_EQ(GenreBoxText(149), "");
    EXPECT_EQ(GenreBoxText(1), QString::fromLatin1(GenreNames[0]));
}

TEST(EncoderConfigTest, FlacCompressionLevel) {
    const std::pair<int, int> cases[] = {{2, 2}, {0, 0}, {8, 8}, {12, 8}, {-1, -1}};
    for (const auto& [stored, expected] : cases) {
        TFLACOut out;
        TAppOptions o;
        o.FlacCompression = stored;
        ConfigureFlacOut(out, TEncodeRequest(), o);
        EXPECT_EQ(out.CompressionLevel(), expected) << "stored " << stored;
    }
}

TEST(EncoderConfigMacTest, TakesCpuUsageAndLevel) {
    TMACOut out;
    TAppOptions options;
    options.ApeCpu = 1;
    options.ApeCompression = 3000;
    ConfigureMacOut(out, options);
    EXPECT_EQ(out.BlockDelay(), 11);
    EXPECT_EQ(out.CompressionLevel(), 3000);

    options.ApeCpu = 2;
    options.ApeCompression = 4000;
    ConfigureMacOut(out, options);
    EXPECT_EQ(out.BlockDelay(), 6);
    EXPECT_EQ(out.CompressionLevel(), 4000);

    // The defaults: no pause worth making, normal compression.
    ConfigureMacOut(out, TAppOptions());
    EXPECT_EQ(out.BlockDelay(), 1);
    EXPECT_EQ(out.CompressionLevel(), 2000);
}

TEST(EncoderConfigMacTest, LevelsTheOutputDoesNotKnowBecomeNormal) {
    TMACOut out;
    TAppOptions options;
    for (int stored : {1500, 10000, 0}) {
        out.SetCompressionLevel(1000);
        options.ApeCompression = stored;
        ConfigureMacOut(out, options);
        EXPECT_EQ(out.CompressionLevel(), 2000) << stored;
    }
}

// Opus and AAC take their settings, brought into what the encoders take: a settings file may
// hold any number.
TEST(EncoderConfigTest, OpusAndAacSettingsReachTheOutputsWithinTheirRanges) {
    TEncodeRequest request;
    request.Title = "Song";
    for (const auto& [bitrate, complexity, wantRate, wantComplexity] :
         {std::tuple{96, 5, 96, 5}, {6, 0, 6, 0}, {999, 11, 256, 10}, {0, -1, 6, 0}}) {
        TOpusOut out;
        TAppOptions o;
        o.OpusBitrate = bitrate;
        o.OpusComplexity = complexity;
        ConfigureOpusOut(out, request, o);
        EXPECT_EQ(out.Bitrate(), wantRate) << bitrate;
        EXPECT_EQ(out.Complexity(), wantComplexity) << complexity;
        EXPECT_EQ(out.Comments().Title(), "Song");
    }
    for (const auto& [bitrate, want] : {std::pair{128, 128}, {320, 320}, {1000, 320}, {8, 32}}) {
        TM4AOut out(TM4ACodec::Aac);
        TAppOptions o;
        o.AacBitrate = bitrate;
        ConfigureAacOut(out, o);
        EXPECT_EQ(out.Bitrate(), want) << bitrate;
    }
}

TEST(OutputFormatsTest, NamesAndExtensions) {
    // The first six keep the numbers stored settings have always used.
    const char* names[] = {"MP3", "WAV", "OGG", "WMA", "FLAC", "APE", "Opus", "AAC", "ALAC"};
    const char* extensions[] = {".mp3", ".wav",  ".ogg", ".wma", ".flac",
                                ".ape", ".opus", ".m4a", ".m4a"};
    ASSERT_EQ(OutputFormatCount, 9);
    for (int i = 0; i < OutputFormatCount; ++i) {
        EXPECT_EQ(FormatName(i), names[i]);
        EXPECT_EQ(FormatIndexOf(QString(names[i]).toLower()), i);
        EXPECT_EQ(FormatExtension(i), extensions[i]);
    }
    EXPECT_EQ(FormatIndexOf("M4A"), FormatAac);
    EXPECT_EQ(FormatName(9), "");
    EXPECT_EQ(FormatIndexOf("mp4"), -1);
}

} // namespace
