// sondrel-cli wma-formats: the lists with the indexes the settings take, and its exit codes.
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

namespace {

TProcessResult Cli(const QStringList& args) {
    return RunProgram(BuiltProgram("cli/sondrel-cli"), args);
}

TEST(CliWmaFormats, ListsCodecsAndTheDefaultFormatIndex) {
    const TProcessResult r = Cli({"wma-formats"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QString out = QString::fromUtf8(r.Out);
    EXPECT_TRUE(out.startsWith("Codecs:\n  0  Windows Media Audio 2\n  1  Windows Media Audio 1\n"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("Formats of codec 0:\n  0  384 kbps, 48 kHz, stereo CBR\n"));
    EXPECT_TRUE(out.contains("\n  29  128 kbps, 44 kHz, stereo CBR\n"));
    const TProcessResult v1 = Cli({"wma-formats", "1"});
    EXPECT_EQ(v1.ExitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(v1.Out).contains("Formats of codec 1:\n"));
    EXPECT_TRUE(QString::fromUtf8(v1.Out).contains("\n  29  128 kbps, 44 kHz, stereo CBR\n"));
}

TEST(CliWmaFormats, VbrListIsEmptyAndBadArgumentsFail) {
    const TProcessResult vbr = Cli({"wma-formats", "--vbr"});
    EXPECT_EQ(vbr.ExitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(vbr.Out).endsWith(
        "Formats of codec 0 with VBR:\n  none: this codec has no VBR formats\n"));
    const TProcessResult missing = Cli({"wma-formats", "2"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_TRUE(missing.Err.contains("there is no WMA codec 2 (0 to 1)"));
    EXPECT_EQ(Cli({"wma-formats", "x"}).ExitCode, 2);
    EXPECT_EQ(Cli({"wma-formats", "--fast"}).ExitCode, 2);
    EXPECT_EQ(Cli({"wma-formats", "0", "1"}).ExitCode, 2);
    EXPECT_TRUE(Cli({"--help"}).Out.contains("wma-formats [--vbr] [CODEC]"));
}

} // namespace
