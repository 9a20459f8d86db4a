#include "codecs/WmaFormats.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(WmaFormats, CodecsAreTheWmaEncodersWmav2First) {
    const QStringList names = TWmaFormats::CodecNames();
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(TWmaFormats::CodecCount(), 2);
    EXPECT_EQ(TWmaFormats::EncoderName(0), "wmav2");
    EXPECT_EQ(TWmaFormats::EncoderName(1), "wmav1");
    EXPECT_EQ(names[0], "Windows Media Audio 2");
    EXPECT_TRUE(TWmaFormats::EncoderName(2).isEmpty());
    EXPECT_TRUE(TWmaFormats::EncoderName(-1).isEmpty());
}

TEST(WmaFormats, DefaultIndex29Is128kStereo44k) {
    std::vector<TWmaFormat> formats;
    ASSERT_TRUE(TWmaFormats::Enumerate(0, false, formats));
    ASSERT_GT(formats.size(), 29u);
    const TWmaFormat& f = formats[29];
    EXPECT_EQ(f.Bitrate, 128000u);
    EXPECT_EQ(f.SampleRate, 44100u);
    EXPECT_EQ(f.Channels, 2);
    EXPECT_EQ(f.BitsPerSample, 16);
    EXPECT_EQ(f.Description, "128 kbps, 44 kHz, stereo CBR");
    EXPECT_EQ(formats[0].Description, "384 kbps, 48 kHz, stereo CBR");
    EXPECT_EQ(formats[28].Description, "128 kbps, 48 kHz, stereo CBR");
    // wmav1 offers the same combinations in the same order.
    std::vector<TWmaFormat> v1;
    ASSERT_TRUE(TWmaFormats::Enumerate(1, false, v1));
    ASSERT_EQ(v1.size(), formats.size());
    EXPECT_EQ(v1[29].Description, formats[29].Description);
}

TEST(WmaFormats, OrderIsBitrateThenStereoThenRateAllDistinct) {
    std::vector<TWmaFormat> formats;
    ASSERT_TRUE(TWmaFormats::Enumerate(0, false, formats));
    QSet<QString> seen;
    for (size_t i = 0; i < formats.size(); ++i) {
        const TWmaFormat& f = formats[i];
        EXPECT_GE(f.Bitrate, 24000u);
        EXPECT_LE(f.Bitrate, 384000u);
        EXPECT_LE(f.SampleRate, 48000u);
        EXPECT_TRUE(f.Channels == 1 || f.Channels == 2);
        EXPECT_FALSE(f.Vbr);
        EXPECT_TRUE(f.Description.endsWith(" CBR"));
        EXPECT_FALSE(seen.contains(f.Description)) << f.Description.toStdString();
        seen.insert(f.Description);
        if (i == 0)
            continue;
        const TWmaFormat& p = formats[i - 1];
        ASSERT_GE(p.Bitrate, f.Bitrate) << i;
        if (p.Bitrate == f.Bitrate) {
            ASSERT_GE(p.Channels, f.Channels) << i;
            if (p.Channels == f.Channels) {
                ASSERT_GT(p.SampleRate, f.SampleRate) << i;
            }
        }
    }
    // The low end reaches telephone quality.
    EXPECT_EQ(formats.back().Description, "24 kbps, 8 kHz, mono CBR");
}

TEST(WmaFormats, VbrAndOutOfRangeEnumerationFailEmpty) {
    std::vector<TWmaFormat> formats(3);
    EXPECT_FALSE(TWmaFormats::Enumerate(0, true, formats));
    EXPECT_TRUE(formats.empty());
    formats.resize(3);
    EXPECT_FALSE(TWmaFormats::Enumerate(2, false, formats));
    EXPECT_TRUE(formats.empty());
    EXPECT_FALSE(TWmaFormats::Enumerate(-1, false, formats));
}

TEST(WmaFormats, DescriptionTruncatesKilohertz) {
    TWmaFormat f;
    f.Bitrate = 32000;
    f.SampleRate = 22050;
    f.Channels = 1;
    EXPECT_EQ(TWmaFormats::Describe(f), "32 kbps, 22 kHz, mono CBR");
    f.Vbr = true;
    EXPECT_EQ(TWmaFormats::Describe(f), "32 kbps, 22 kHz, mono VBR");
}

} // namespace
