// Files written beside other jobs: exclusive, locked partial files; final names taken without
// ever replacing a file, also where the file system refuses renameat2 or links; partial files
// left by stopped runs cleared only when no one holds them.
#include "audio/FileClaim.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

int RefuseRenameat2(int, const char*, int, const char*, unsigned) {
    errno = EINVAL; // a file system without RENAME_NOREPLACE
    return -1;
}
int RefuseLink(const char*, const char*) {
    errno = EPERM; // FAT, exFAT and many FUSE file systems
    return -1;
}

class FileClaim : public ::testing::Test {
protected:
    void TearDown() override { TFileClaim::SetSyscalls(nullptr); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList names() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QTemporaryDir dir;
};

TEST_F(FileClaim, ATakenNameIsNeverReplacedWhicheverCallTheFileSystemRefuses) {
    const TFileClaim::TSyscalls noRenameat2{RefuseRenameat2, ::link};
    const TFileClaim::TSyscalls noLinks{RefuseRenameat2, RefuseLink};
    const std::pair<const char*, const TFileClaim::TSyscalls*> systems[] = {
        {"renameat2", nullptr}, {"link", &noRenameat2}, {"placeholder", &noLinks}};
    for (const auto& [name, calls] : systems) {
        SCOPED_TRACE(name);
        TFileClaim::SetSyscalls(calls);
        const QString target = path(QString("%1.flac").arg(name));
        WriteWholeFile(path("new"), "new");
        EXPECT_EQ(TFileClaim::Claim(path("new"), target), 0);
        EXPECT_EQ(ReadWholeFile(target), "new");
        EXPECT_FALSE(QFile::exists(path("new")));

        WriteWholeFile(path("other"), "other");
        EXPECT_EQ(TFileClaim::Claim(path("other"), target), EEXIST);
        EXPECT_EQ(ReadWholeFile(target), "new");
        EXPECT_EQ(ReadWholeFile(path("other")), "other");
        QString error;
        const QString taken = TFileClaim::ClaimFree(path("other"), target, &error);
        EXPECT_EQ(taken, path(QString("%1 (2).flac").arg(name))) << error.toStdString();
        EXPECT_EQ(ReadWholeFile(taken), "other");
        EXPECT_EQ(ReadWholeFile(target), "new");
    }
    EXPECT_EQ(names(), (QStringList{"link (2).flac", "link.flac", "placeholder (2).flac",
                                    "placeholder.flac", "renameat2 (2).flac", "renameat2.flac"}));
}

// Eight writers of one track at once, as threads: each has a partial file of its own, and
// every finished file is there, whole, under a name of its own.
TEST_F(FileClaim, WritersAtOnceEachKeepTheirFile) {
    const QString target = path("Track01.flac");
    constexpr int Writers = 8;
    std::vector<QString> taken(Writers);
    std::vector<std::thread> threads;
    for (int i = 0; i < Writers; ++i)
        threads.emplace_back([&, i] {
            QString partial, error;
            const int fd = TFileClaim::CreatePartial(target, &partial);
            ASSERT_GE(fd, 0);
            const QByteArray body = QByteArray(100000, char('a' + i));
            for (int k = 0; k < 10; ++k)
                ASSERT_EQ(::write(fd, body.constData(), size_t(body.size()) / 10),
                          ssize_t(body.size() / 10));
            taken[size_t(i)] = TFileClaim::ClaimFree(partial, target, &error);
            ::close(fd);
        });
    for (auto& t : threads)
        t.join();
    QStringList expected{"Track01.flac"};
    for (int n = 2; n <= Writers; ++n)
        expected << QString("Track01 (%1).flac").arg(n);
    QStringList present = names();
    present.sort();
    expected.sort();
    EXPECT_EQ(present, expected);
    for (int i = 0; i < Writers; ++i)
        EXPECT_EQ(ReadWholeFile(taken[size_t(i)]), QByteArray(100000, char('a' + i)));
}

TEST_F(FileClaim, OnlyPartialFilesNoOneHoldsAreClearedAsLeftOver) {
    const QString target = path("Track01.flac");
    QString held;
    const int fd = TFileClaim::CreatePartial(target, &held);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(held, path("Track01.partial.flac"));
    WriteWholeFile(path("Track01.partial (2).flac"), "stopped");
    WriteWholeFile(path("Track01.partial (x).flac"), "not a partial of this track");
    WriteWholeFile(path("Track01.partial.mp3"), "another format");
    EXPECT_EQ(TFileClaim::RemoveStalePartials(target), 1);
    EXPECT_EQ(names(), (QStringList{"Track01.partial (x).flac", "Track01.partial.flac",
                                    "Track01.partial.mp3"}));
    ::close(fd);
    EXPECT_EQ(TFileClaim::RemoveStalePartials(target), 1);
    EXPECT_FALSE(QFile::exists(held));
}

} // namespace
