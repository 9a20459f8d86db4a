// sondrel-cli play as a user runs it over an image the test writes: a track played to its end
// through the sound output, Ctrl+C, and what cannot play. The sound output is the null sink of
// the PulseAudio server that scripts/setup test starts.
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class CliPlay : public ::testing::Test {
protected:
    // Skips when the program found no sound output, unless scripts/setup started a server.
    bool noSound(const QByteArray& err) {
        return err.contains("No sound device") &&
               !qEnvironmentVariableIsSet("SONDREL_SOUND_SERVER");
    }
    QStringList base(const TTestDisc& disc) {
        return {"--config-dir", dir.filePath("config"), "--disc-image", disc.CuePath};
    }
    QTemporaryDir dir;
};

TEST_F(CliPlay, PlaysATrackForItsLengthAndExitsZero) {
    TTestDisc disc(dir.path(), {30, 113, 40}); // track 2 lasts 1.5 s
    QElapsedTimer clock;
    clock.start();
    const auto r = RunProgram(BuiltProgram("cli/sondrel-cli"),
                              base(disc) + QStringList{"play", "--track", "2"});
    if (noSound(r.Err))
        GTEST_SKIP() << "no sound output: run the tests through scripts/setup test, which starts "
                        "a PulseAudio server with a null sink";
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_GE(clock.elapsed(), 113 * 1000 / 75);
    EXPECT_TRUE(r.Err.startsWith("Playing track 02: Track02 (00:01)\n")) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.endsWith("Played to the end.\n")) << r.Err.toStdString();

    const auto missing = RunProgram(BuiltProgram("cli/sondrel-cli"),
                                    base(disc) + QStringList{"play", "--track", "4"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "sondrel-cli: Track 4 is not on the disc (it has tracks 1 to 3).\n");
    EXPECT_EQ(
        RunProgram(BuiltProgram("cli/sondrel-cli"), base(disc) + QStringList{"play"}).ExitCode, 2);
}

TEST_F(CliPlay, CtrlCStopsWithExitOne) {
    TTestDisc disc(dir.path(), {75 * 30}); // 30 s: stopped long before its end
    QProcess p;
    p.setReadChannel(QProcess::StandardError);
    p.start(BuiltProgram("cli/sondrel-cli"), base(disc) + QStringList{"play", "--track", "1"});
    ASSERT_TRUE(p.waitForStarted());
    QByteArray err;
    while (!err.contains("Playing track") && p.waitForReadyRead(10000))
        err += p.readAllStandardError();
    if (noSound(err))
        GTEST_SKIP() << "no sound output";
    ASSERT_TRUE(err.contains("Playing track 01")) << err.toStdString();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains("Stopped at 00:0")) << err.toStdString();
}

} // namespace
