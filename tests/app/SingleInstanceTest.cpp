// One window per settings folder: a later start reaches the running one, a socket left behind
// by a crash does not block the next start, and the real program exits 0 on a second start,
// handing its disc image to the running window, which saves its files when it is terminated.
#include "app/SingleInstance.h"
#include "disc/DiscSession.h"
#include "settings/IniFile.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket file with nobody listening, as a crashed instance leaves it.
void makeStaleSocket(const QString& name) {
    const QByteArray path = QDir(QDir::tempPath()).filePath(name).toLocal8Bit();
    ::unlink(path.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
}

} // namespace

TEST(SingleInstance, ALaterStartRaisesTheRunningOneAndAStaleSocketIsReplaced) {
    QTemporaryDir dir;
    const QString config = dir.filePath("config");
    EXPECT_NE(TSingleInstance::ServerName(config), TSingleInstance::ServerName(dir.path()));

    makeStaleSocket(TSingleInstance::ServerName(config));
    TSingleInstance first(config);
    ASSERT_FALSE(first.RaiseRunning(500)); // the stale socket answers nobody
    ASSERT_TRUE(first.Listen());
    QSignalSpy raised(&first, &TSingleInstance::raiseRequested);

    TSingleInstance second(config);
    EXPECT_TRUE(second.RaiseRunning());
    EXPECT_TRUE(raised.wait(5000));
    // Another settings folder is another instance.
    EXPECT_FALSE(TSingleInstance(dir.filePath("other")).RaiseRunning(500));
}

TEST(SingleInstance, ASecondStartHandsItsImageToTheFirstWhichSavesOnSigterm) {
    QTemporaryDir dir;
    const QString config = dir.filePath("config");
    TTestDisc discA(dir.path(), {75}, 0, "a");
    TTestDisc discB(dir.path(), {75, 75}, 0, "b");
    SetDiscImages({discB.CuePath});
    TDiscSession b;
    b.OpenDrive(0);
    const QString keyB = b.CurrentDiscKey();
    b.CloseDrive();

    QProcess first;
    first.start(BuiltProgram("app/sondrel"), {"--config-dir", config, discA.CuePath});
    ASSERT_TRUE(first.waitForStarted());
    // The first is listening once a second start finds it; before that the second would
    // become the first itself, so wait for the socket.
    const QString socket = QDir(QDir::tempPath()).filePath(TSingleInstance::ServerName(config));
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(socket));
    // As a desktop entry hands it over: a file:// address.
    const TProcessResult second = RunProgram(
        BuiltProgram("app/sondrel"),
        {"--config-dir", config, QUrl::fromLocalFile(discB.CuePath).toString()}, {}, 10000);
    EXPECT_EQ(second.ExitCode, 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    QThread::msleep(1500); // the first reads disc B
    first.terminate();     // SIGTERM, as at logout
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(config + "/options.ini"));
    EXPECT_EQ(TIniFile(config + "/cd.dat").value(keyB, "2"), "Track02");

    // Help needs no display.
    QProcess help;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    help.setProcessEnvironment(env);
    help.start(BuiltProgram("app/sondrel"), {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: sondrel"));
}
