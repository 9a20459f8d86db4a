// One window per settings folder: a later start reaches the running one, a socket left behind
// by a crash does not block the next start, and the real program exits 0 on a second start.
#include "app/SingleInstance.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
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

TEST(SingleInstance, TheProgramsSecondStartExitsAtOnceWhileTheFirstRuns) {
    QTemporaryDir dir;
    QProcess first;
    first.start(BuiltProgram("app/sondrel"), {"--config-dir", dir.path()});
    ASSERT_TRUE(first.waitForStarted());
    // The first is listening once a second start finds it; before that the second would
    // become the first itself, so wait for the socket.
    const QString socket = QDir(QDir::tempPath()).filePath(TSingleInstance::ServerName(dir.path()));
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(socket));
    const TProcessResult second =
        RunProgram(BuiltProgram("app/sondrel"), {"--config-dir", dir.path()}, {}, 10000);
    EXPECT_EQ(second.ExitCode, 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    first.waitForFinished(5000);
}
