// The ID3v1 writer of ripped MP3s: the tag it writes as mutagen reads it, where it goes, the
// field widths and the track form, and its status codes, with files left alone on failure.
#include "encode/Tid3tag.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TagOracle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QByteArray AudioBytes(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 13 + 5) & 0xFF);
    return b;
}

QJsonObject V1(const QString& path) {
    return MutagenRead(path)[QStringLiteral("v1")].toObject();
}
} // namespace

TEST(Tid3tag, TagReadByMutagen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("01 Song.mp3"));
    const QByteArray audio = AudioBytes(100);
    WriteWholeFile(path, audio);

    Tid3tag tag;
    tag.SetTitle(QStringLiteral("Dvořák: Humoresque ü"));
    tag.SetArtist(QStringLiteral("Orchestre de la Suisse Romande"));
    tag.SetAlbum(QStringLiteral("Äpfel"));
    tag.SetYear(QStringLiteral("1994"));
    tag.SetComment(QStringLiteral("ripped"));
    tag.SetTrack(12);
    tag.Genre = Tid3tag::GenreByte(18); // Blues
    ASSERT_EQ(tag.WriteTag(path), Tid3tag::TagWritten);
    EXPECT_EQ(tag.LastFileName(), path);

    const QByteArray bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 228);
    EXPECT_EQ(bytes.left(100), audio);
    const QJsonObject v1 = V1(path);
    EXPECT_EQ(v1["TIT2"].toString(), QStringLiteral("Dvo?ák: Humoresque ü"));
    EXPECT_EQ(v1["TPE1"].toString(), QStringLiteral("Orchestre de la Suisse Romande"));
    EXPECT_EQ(v1["TALB"].toString(), QStringLiteral("Äpfel"));
    EXPECT_EQ(v1["TYER"].toString(), QStringLiteral("1994"));
    EXPECT_EQ(v1["COMM"].toString(), QStringLiteral("ripped"));
    EXPECT_EQ(v1["TRCK"].toString(), QStringLiteral("12"));
    EXPECT_EQ(v1["genre"].toString(), QStringLiteral("Blues"));
}

TEST(Tid3tag, PlacementReplacesAnExistingTag) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    const QByteArray audio = AudioBytes(1000);
    WriteWholeFile(path, audio);
    Tid3tag first;
    first.SetTitle(QStringLiteral("First"));
    ASSERT_EQ(first.WriteTag(path), Tid3tag::TagWritten);
    EXPECT_EQ(QFileInfo(path).size(), 1128);

    // A second writer, and "=" for the same file again: the file grows only once.
    Tid3tag second;
    second.SetTitle(QStringLiteral("Second"));
    ASSERT_EQ(second.WriteTag(path), Tid3tag::TagWritten);
    second.SetArtist(QStringLiteral("Via ="));
    ASSERT_EQ(second.WriteTag(QStringLiteral("=")), Tid3tag::TagWritten);
    const QByteArray bytes = ReadWholeFile(path);
    EXPECT_EQ(bytes.size(), 1128);
    EXPECT_EQ(bytes.left(1000), audio);
    EXPECT_EQ(V1(path)["TIT2"].toString(), QStringLiteral("Second"));
    EXPECT_EQ(V1(path)["TPE1"].toString(), QStringLiteral("Via ="));

    // A file shorter than a tag gets it at its end; "TAG" at the start of such a file is audio.
    const QString tiny = dir.filePath(QStringLiteral("tiny.mp3"));
    WriteWholeFile(tiny, "TAG and more");
    ASSERT_EQ(second.WriteTag(tiny), Tid3tag::TagWritten);
    EXPECT_EQ(QFileInfo(tiny).size(), 12 + 128);
    EXPECT_TRUE(ReadWholeFile(tiny).startsWith("TAG and more"));
}

TEST(Tid3tag, FieldWidthsAndTrackForm) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("w.mp3"));
    WriteWholeFile(path, AudioBytes(300));

    Tid3tag tag;
    const QString title31 = QStringLiteral("1234567890123456789012345678901");
    const QString comment29 = QStringLiteral("abcdefghijklmnopqrstuvwxyzABC");
    tag.SetTitle(title31);
    tag.SetYear(QStringLiteral("20091"));
    tag.SetComment(comment29);
    tag.SetTrack(5);
    EXPECT_EQ(tag.Title(), title31.left(30).toLatin1());
    EXPECT_EQ(tag.Year(), QByteArray("2009"));
    ASSERT_EQ(tag.WriteTag(path), Tid3tag::TagWritten);
    QByteArray block = ReadWholeFile(path).right(128);
    EXPECT_EQ(block.mid(3, 30), title31.left(30).toLatin1());
    EXPECT_EQ(block.mid(93, 4), QByteArray("2009"));
    EXPECT_EQ(block.mid(97, 28), comment29.left(28).toLatin1());
    EXPECT_EQ(block[125], 0);
    EXPECT_EQ(block[126], 5);
    EXPECT_EQ(quint8(block[127]), 255); // no genre set
    QJsonObject v1 = V1(path);
    EXPECT_EQ(v1["TIT2"].toString(), title31.left(30));
    EXPECT_EQ(v1["TYER"].toString(), QStringLiteral("2009"));
    EXPECT_EQ(v1["COMM"].toString(), comment29.left(28));
    EXPECT_EQ(v1["TRCK"].toString(), QStringLiteral("5"));
    EXPECT_FALSE(v1.contains("TCON"));

    tag.SetTrack(0);
    EXPECT_FALSE(tag.HasTrack());
    ASSERT_EQ(tag.WriteTag(path), Tid3tag::TagWritten);
    block = ReadWholeFile(path).right(128);
    EXPECT_EQ(block.mid(97, 30), comment29.toLatin1() + QByteArray(1, '\0'));
    v1 = V1(path);
    EXPECT_EQ(v1["COMM"].toString(), comment29);
    EXPECT_FALSE(v1.contains("TRCK"));

    // Texts are padded with NUL bytes, nothing else.
    Tid3tag empty;
    EXPECT_EQ(empty.TagBlock(),
              QByteArray("TAG") + QByteArray(124, '\0') + QByteArray(1, char(255)));
}

TEST(Tid3tag, GenreBytes) {
    EXPECT_EQ(Tid3tag::GenreByte(18), 0);   // Blues
    EXPECT_EQ(Tid3tag::GenreByte(118), 17); // Rock
    EXPECT_EQ(Tid3tag::GenreByte(1), 123);  // A Cappella
    EXPECT_EQ(Tid3tag::GenreByte(0), 255);  // the empty entry
    EXPECT_EQ(Tid3tag::GenreByte(-1), 255); // nothing chosen
    EXPECT_EQ(Tid3tag::GenreByte(149), 255);
    Tid3tag tag;
    EXPECT_EQ(tag.Genre, 255);
}

TEST(Tid3tag, StatusCodesLeaveFilesAlone) {
    QTemporaryDir dir;
    Tid3tag tag;
    tag.SetTitle(QStringLiteral("x"));

    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    EXPECT_EQ(tag.WriteTag(missing), Tid3tag::TagNoFile);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(tag.WriteTag(QStringLiteral("=")), Tid3tag::TagNoFile); // nothing written yet
    EXPECT_EQ(tag.WriteTag(QString()), Tid3tag::TagNoFile);

    const QByteArray audio = AudioBytes(500);
    const QString readOnly = dir.filePath(QStringLiteral("ro.mp3"));
    WriteWholeFile(readOnly, audio);
    ::chmod(QFile::encodeName(readOnly).constData(), 0444);
    EXPECT_EQ(tag.WriteTag(readOnly), Tid3tag::TagNotAllowed);
    EXPECT_EQ(ReadWholeFile(readOnly), audio);

    const QString hidden = dir.filePath(QStringLiteral(".hidden.mp3"));
    WriteWholeFile(hidden, audio);
    EXPECT_EQ(tag.WriteTag(hidden), Tid3tag::TagNotAllowed);
    EXPECT_EQ(ReadWholeFile(hidden), audio);

    EXPECT_EQ(tag.WriteTag(dir.path()), Tid3tag::TagNotAllowed); // a folder
    EXPECT_EQ(tag.LastFileName(), QString());

    // A write that fails half-way (the disk is "full") leaves the file as it was.
    const QString full = dir.filePath(QStringLiteral("full.mp3"));
    WriteWholeFile(full, audio);
    {
        TFileSizeLimit limit(500 + 60);
        EXPECT_EQ(tag.WriteTag(full), Tid3tag::TagWriteError);
    }
    EXPECT_EQ(ReadWholeFile(full), audio);
    EXPECT_EQ(tag.LastFileName(), QString());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}
