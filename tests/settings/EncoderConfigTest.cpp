// Copying the user's encoder settings onto the encoder outputs.
#include "settings/EncoderConfig.h"
#include "codecs/ACS_MAC.h"
#include "settings/AppOptions.h"

#include <gtest/gtest.h>

namespace {

// Puts the global options back after each test.
class EncoderConfigTest : public ::testing::Test {
protected:
    void TearDown() override { AppOptions = m_saved; }

private:
    TAppOptions m_saved = AppOptions;
};

TEST_F(EncoderConfigTest, MacOutTakesCpuUsageAndLevel) {
    TMACOut out;
    AppOptions.ApeCpu = 1;
    AppOptions.ApeCompression = 3000;
    ConfigureMacOut(&out);
    EXPECT_EQ(out.BlockDelay(), 11);
    EXPECT_EQ(out.CompressionLevel(), 3000);

    AppOptions.ApeCpu = 2;
    AppOptions.ApeCompression = 4000;
    ConfigureMacOut(&out);
    EXPECT_EQ(out.BlockDelay(), 6);
    EXPECT_EQ(out.CompressionLevel(), 4000);

    // The defaults: no pause worth making, normal compression.
    AppOptions = TAppOptions();
    ConfigureMacOut(&out);
    EXPECT_EQ(out.BlockDelay(), 1);
    EXPECT_EQ(out.CompressionLevel(), 2000);
}

TEST_F(EncoderConfigTest, MacOutLevelsItDoesNotKnowBecomeNormal) {
    TMACOut out;
    for (int stored : {5000, 10000, 0}) {
        out.SetCompressionLevel(1000);
        AppOptions.ApeCompression = stored;
        ConfigureMacOut(&out);
        EXPECT_EQ(out.CompressionLevel(), 2000) << stored;
    }
}

} // namespace
