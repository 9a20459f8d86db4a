// ID3v1 and ID3v2 tags in real files: what we write is read back by mutagen, what mutagen and
// lame write is read by us, and a failed write leaves the file as it was.
#include "audio/ACS_Tags.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TagOracle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Bytes that stand for the audio of a file: every value, so any shift or change shows.
QByteArray AudioBytes(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

// A short MP3 of silence made by lame with `tagArgs` (e.g. --tt Title).
QString LameMp3(const QTemporaryDir& dir, const QString& name, const QStringList& tagArgs) {
    const QString raw = dir.filePath(QStringLiteral("silence.raw"));
    WriteWholeFile(raw, QByteArray(44100, '\0'));
    const QString mp3 = dir.filePath(name);
    QStringList args{"--quiet", "-r", "-s", "44.1", "--bitwidth", "16", "-m", "s"};
    args << tagArgs << raw << mp3;
    const TProcessResult r = RunProgram(QStringLiteral("lame"), args);
    if (r.ExitCode != 0)
        throw std::runtime_error("lame failed: " + r.Err.toStdString());
    return mp3;
}

QStringList FilesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// ID3v1

TEST(Id3v1File, WrittenFieldsReadByMutagen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    const QByteArray audio = AudioBytes(100);
    WriteWholeFile(path, audio);

    TId3v1Tags tags;
    tags.SetTitle(QStringLiteral("Crème brûlée — 1"));
    tags.SetArtist(QStringLiteral("Sigur Rós"));
    tags.SetAlbum(QStringLiteral("An album whose name is far too long for ID3v1"));
    tags.SetYear(2009);
    tags.SetComment(QStringLiteral("ripped"));
    tags.SetTrack(7);
    tags.SetGenre(QStringLiteral("Rock"));
    ASSERT_TRUE(tags.WriteToFile(path, false));

    const QByteArray bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 228);
    EXPECT_EQ(bytes.left(100), audio);
    const QJsonObject v1 = MutagenRead(path)[QStringLiteral("v1")].toObject();
    EXPECT_EQ(v1["TIT2"].toString(), QStringLiteral("Crème brûlée ? 1"));
    EXPECT_EQ(v1["TPE1"].toString(), QStringLiteral("Sigur Rós"));
    EXPECT_EQ(v1["TALB"].toString(), QStringLiteral("An album whose name is far too"));
    EXPECT_EQ(v1["TYER"].toString(), QStringLiteral("2009"));
    EXPECT_EQ(v1["COMM"].toString(), QStringLiteral("ripped"));
    EXPECT_EQ(v1["TRCK"].toString(), QStringLiteral("7"));
    EXPECT_EQ(v1["genre"].toString(), QStringLiteral("Rock"));

    // Writing again replaces the tag instead of stacking a second one.
    tags.SetTrack(0);
    tags.SetComment(QStringLiteral("A comment of exactly 30 chars"));
    tags.SetYear(0);
    tags.SetGenreId(255);
    ASSERT_TRUE(tags.WriteToFile(path, true));
    EXPECT_EQ(QFileInfo(path).size(), 228);
    const QJsonObject again = MutagenRead(path)[QStringLiteral("v1")].toObject();
    EXPECT_EQ(again["COMM"].toString(), QStringLiteral("A comment of exactly 30 chars"));
    EXPECT_FALSE(again.contains("TRCK"));
    EXPECT_FALSE(again.contains("TYER")); // year 0 leaves the field empty
    EXPECT_FALSE(again.contains("TCON")); // no known genre: 255

    TId3v1Tags read;
    ASSERT_TRUE(read.ReadFromFile(path));
    EXPECT_EQ(read.Title(), QStringLiteral("Crème brûlée ? 1"));
    EXPECT_EQ(read.Comment(), QStringLiteral("A comment of exactly 30 chars"));
    EXPECT_EQ(read.Track(), 0);
    EXPECT_EQ(read.AsInteger(QStringLiteral("genre")), 255);
    EXPECT_EQ(read.Genre(), QStringLiteral("Other"));
}

TEST(Id3v1File, ReadsWhatLameAndMutagenWrote) {
    QTemporaryDir dir;
    const QString mp3 = LameMp3(dir, QStringLiteral("l.mp3"),
                                {"--id3v1-only", "--tt", "Tïtle", "--ta", "Artist", "--tl", "Album",
                                 "--ty", "2009", "--tn", "5", "--tg", "Rock", "--tc", "comment"});
    TId3v1Tags tags;
    ASSERT_TRUE(tags.TagExists(mp3));
    ASSERT_TRUE(tags.ReadFromFile(mp3));
    EXPECT_EQ(tags.Title(), QStringLiteral("Tïtle"));
    EXPECT_EQ(tags.Artist(), QStringLiteral("Artist"));
    EXPECT_EQ(tags.Album(), QStringLiteral("Album"));
    EXPECT_EQ(tags.Year(), 2009);
    EXPECT_EQ(tags.Track(), 5);
    EXPECT_EQ(tags.Comment(), QStringLiteral("comment"));
    EXPECT_EQ(tags.GenreId(), 17);

    // Track number 7 after a zero byte, a full 28-byte comment before it, blanks around texts.
    const QString path = dir.filePath(QStringLiteral("crafted.mp3"));
    QByteArray block(128, '\0');
    block.replace(0, 3, "TAG");
    block.replace(3, 8, "  Name  ");
    block.replace(93, 4, "19x9");
    block.replace(97, 28, "1234567890123456789012345678");
    block[126] = 7;
    block[127] = char(200);
    WriteWholeFile(path, AudioBytes(300) + block);
    ASSERT_TRUE(tags.ReadFromFile(path));
    EXPECT_EQ(tags.Title(), QStringLiteral("Name"));
    EXPECT_EQ(tags.Comment(), QStringLiteral("1234567890123456789012345678"));
    EXPECT_EQ(tags.Track(), 7);
    EXPECT_EQ(tags.Year(), 0);
    EXPECT_EQ(tags.Genre(), QStringLiteral("Other"));
    const QJsonObject v1 = MutagenRead(path)[QStringLiteral("v1")].toObject();
    EXPECT_EQ(v1["COMM"].toString(), tags.Comment());
    EXPECT_EQ(v1["TRCK"].toString(), QStringLiteral("7"));
}

TEST(Id3v1File, MissingTagAndBadHandle) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.mp3"));
    WriteWholeFile(path, AudioBytes(500));
    TId3v1Tags tags;
    tags.SetTitle(QStringLiteral("left over"));
    EXPECT_FALSE(tags.TagExists(path));
    EXPECT_FALSE(tags.ReadFromFile(path));
    EXPECT_TRUE(tags.Cleared());
    EXPECT_EQ(tags.Title(), QString());
    EXPECT_FALSE(tags.ReadFromFile(-1));
    EXPECT_FALSE(tags.WriteToFile(-1, false));
    EXPECT_FALSE(tags.TagExists(-1));
    EXPECT_FALSE(tags.ReadFromFile(dir.filePath(QStringLiteral("none.mp3"))));

    // A file shorter than a tag has none; writing appends one.
    const QString tiny = dir.filePath(QStringLiteral("tiny.mp3"));
    WriteWholeFile(tiny, "abc");
    EXPECT_FALSE(tags.TagExists(tiny));
    ASSERT_TRUE(tags.WriteToFile(tiny, false));
    EXPECT_EQ(QFileInfo(tiny).size(), 131);
    EXPECT_TRUE(tags.TagExists(tiny));
}

TEST(Id3v1File, FailedWriteLeavesFileAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    const QByteArray before = AudioBytes(1000);
    WriteWholeFile(path, before);
    TId3v1Tags tags;
    tags.SetTitle(QStringLiteral("never"));
    {
        TFileSizeLimit limit(1050); // room for part of the block only
        EXPECT_FALSE(tags.WriteToFile(path, false));
    }
    EXPECT_EQ(ReadWholeFile(path), before);

    // A read-only descriptor cannot write.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(tags.WriteToFile(fd, false));
    ::close(fd);
    EXPECT_EQ(ReadWholeFile(path), before);
}

// ---------------------------------------------------------------------------------------------
// ID3v2

namespace {
void FillId3v2(TId3v2Tags& tags, const QString& title) {
    tags.SetTitle(title);
    tags.SetArtist(QStringLiteral("Ärtist"));
    tags.SetAlbum(QStringLiteral("Album"));
    tags.SetTrack(QStringLiteral("3/12"));
    tags.SetYear(QStringLiteral("2001"));
    tags.SetGenre(QStringLiteral("Jazz"));
    tags.SetComment(QStringLiteral("memory only"));
    tags.SetComposer(QStringLiteral("Composer"));
    tags.SetEncoder(QStringLiteral("Sondrel"));
    tags.SetCopyright(QStringLiteral("(c) someone"));
    tags.SetLanguage(QStringLiteral("eng"));
    tags.SetLink(QStringLiteral("http://example.org/a?b=1"));
}
} // namespace

TEST(Id3v2File, EightBitTagReadByMutagen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    const QByteArray audio = AudioBytes(5000);
    WriteWholeFile(path, audio);
    TId3v2Tags tags;
    FillId3v2(tags, QStringLiteral("Títle € 1"));
    ASSERT_TRUE(tags.WriteToFile(path, false));

    const QByteArray bytes = ReadWholeFile(path);
    const QJsonObject read = MutagenRead(path);
    const QJsonObject v2 = read["v2"].toObject();
    ASSERT_FALSE(v2.isEmpty());
    EXPECT_EQ(v2["version"].toArray(), QJsonArray({2, 3, 0}));
    EXPECT_FALSE(v2["unsync"].toBool());
    EXPECT_EQ(bytes.mid(v2["size"].toInt()), audio);
    const QJsonObject frames = v2["frames"].toObject();
    EXPECT_EQ(frames.size(), 10);
    EXPECT_FALSE(frames.contains("TYER"));
    EXPECT_FALSE(frames.contains("COMM"));
    EXPECT_EQ(frames["TIT2"]["encoding"].toInt(), 0);
    EXPECT_EQ(MutagenV2Text(read, "TIT2"), QStringLiteral("Títle ? 1"));
    EXPECT_EQ(MutagenV2Text(read, "TPE1"), QStringLiteral("Ärtist"));
    EXPECT_EQ(MutagenV2Text(read, "TALB"), QStringLiteral("Album"));
    EXPECT_EQ(MutagenV2Text(read, "TRCK"), QStringLiteral("3/12"));
    EXPECT_EQ(MutagenV2Text(read, "TCON"), QStringLiteral("Jazz"));
    EXPECT_EQ(MutagenV2Text(read, "TCOM"), QStringLiteral("Composer"));
    EXPECT_EQ(MutagenV2Text(read, "TENC"), QStringLiteral("Sondrel"));
    EXPECT_EQ(MutagenV2Text(read, "TCOP"), QStringLiteral("(c) someone"));
    EXPECT_EQ(MutagenV2Text(read, "TLAN"), QStringLiteral("eng"));
    EXPECT_EQ(frames["WXXX"]["url"].toString(), QStringLiteral("http://example.org/a?b=1"));
    EXPECT_EQ(frames["WXXX"]["desc"].toString(), QString());
    EXPECT_EQ(read["v1"], QJsonValue());
}

TEST(Id3v2File, UnicodeTagReadByMutagenAndByUs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("u.mp3"));
    const QByteArray audio = AudioBytes(3000);
    WriteWholeFile(path, audio);
    // U+00FF next to U+0100 gives the bytes FF 00 that unsynchronisation would change.
    const QString title = QString::fromUtf8("ÿĀ 東京 — 𝄞 end");
    TId3v2Tags tags;
    FillId3v2(tags, title);
    tags.SetAlbum(QString());
    ASSERT_TRUE(tags.WriteToFile(path, true));

    const QJsonObject read = MutagenRead(path);
    EXPECT_FALSE(read["v2"]["unsync"].toBool());
    EXPECT_EQ(read["v2"]["frames"]["TIT2"]["encoding"].toInt(), 1);
    EXPECT_EQ(MutagenV2Text(read, "TIT2"), title);
    EXPECT_EQ(MutagenV2Text(read, "TPE1"), QStringLiteral("Ärtist"));
    EXPECT_EQ(MutagenV2Text(read, "TALB"), QString());
    EXPECT_EQ(read["v2"]["frames"]["WXXX"]["url"].toString(),
              QStringLiteral("http://example.org/a?b=1"));
    EXPECT_EQ(ReadWholeFile(path).mid(read["v2"]["size"].toInt()), audio);

    TId3v2Tags back;
    back.SetNewIds(false);
    ASSERT_TRUE(back.TagExists(path));
    ASSERT_TRUE(back.ReadFromFile(path));
    EXPECT_TRUE(back.NewIds());
    EXPECT_EQ(back.Title(), title);
    EXPECT_EQ(back.Artist(), QStringLiteral("Ärtist"));
    EXPECT_EQ(back.Track(), QStringLiteral("3/12"));
    EXPECT_EQ(back.Genre(), QStringLiteral("Jazz"));
    EXPECT_EQ(back.Link(), QStringLiteral("http://example.org/a?b=1"));
    EXPECT_EQ(back.Year(), QString()); // year and comment never reach the file
    EXPECT_EQ(back.Comment(), QString());
    EXPECT_EQ(back.GetValue(QStringLiteral("TIT2")).kind(), TTagValue::Kind::WideString);
}

// The tag of ripped MP3 files: only the frames that hold a value, year and comment included,
// each in ISO-8859-1 when its text fits and in UTF-16 when it does not.
TEST(Id3v2File, NonEmptyFramesWithYearAndComment) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("n.mp3"));
    const QByteArray audio = AudioBytes(2000);
    WriteWholeFile(path, audio);
    const QString title = QString::fromUtf8("Björk Мартин, a title far longer than thirty");
    TId3v2Tags tags;
    tags.SetWrittenFrames(TId3v2Frames::NonEmpty);
    tags.SetTitle(title);
    tags.SetArtist(QStringLiteral("Björk"));
    tags.SetTrack(QStringLiteral("3/12"));
    tags.SetYear(QStringLiteral("2004"));
    tags.SetComment(QString::fromUtf8("Ripped — from the disc"));
    ASSERT_TRUE(tags.WriteToFile(path, false));

    const QJsonObject read = MutagenRead(path);
    const QJsonObject frames = read["v2"]["frames"].toObject();
    EXPECT_EQ(frames.keys(), QStringList({"COMM", "TIT2", "TPE1", "TRCK", "TYER"}));
    EXPECT_EQ(MutagenV2Text(read, "TIT2"), title);
    EXPECT_EQ(frames["TIT2"]["encoding"].toInt(), 1);
    EXPECT_EQ(MutagenV2Text(read, "TPE1"), QStringLiteral("Björk"));
    EXPECT_EQ(frames["TPE1"]["encoding"].toInt(), 0);
    EXPECT_EQ(MutagenV2Text(read, "TRCK"), QStringLiteral("3/12"));
    EXPECT_EQ(MutagenV2Text(read, "TYER"), QStringLiteral("2004"));
    EXPECT_EQ(MutagenV2Text(read, "COMM"), QString::fromUtf8("Ripped — from the disc"));
    EXPECT_EQ(ReadWholeFile(path).mid(read["v2"]["size"].toInt()), audio);

    // Tagged anew (a track ripped again): the tag takes the place of the one there.
    tags.SetTitle(QStringLiteral("Again"));
    ASSERT_TRUE(tags.WriteToFile(path, false));
    EXPECT_EQ(ReadWholeFile(path), tags.BuildTag(false) + audio);
}

TEST(Id3v2File, ReadsWhatMutagenWrote) {
    QTemporaryDir dir;
    const QString longTitle = QString(150, QChar(0x00E9)) + QStringLiteral(" ✓"); // > 127 bytes
    struct Case {
        int version;
        int encoding;
    };
    for (const Case c : {Case{3, 0}, Case{3, 1}, Case{4, 1}, Case{4, 2}, Case{4, 3}}) {
        SCOPED_TRACE(testing::Message() << "v2." << c.version << " encoding " << c.encoding);
        const QString path =
            dir.filePath(QStringLiteral("m%1%2.mp3").arg(c.version).arg(c.encoding));
        const QByteArray audio = AudioBytes(2000);
        WriteWholeFile(path, audio);
        const QString title = c.encoding == 0 ? QStringLiteral("Café") : longTitle;
        MutagenWrite(path, c.version, c.encoding,
                     {"TIT2", title, "TPE1", "Artist ß", "TALB", "Album", "TRCK", "4", "TCON",
                      "Rock", "TCOM", "Comp", "WXXX", "http://x.org/"});
        TId3v2Tags tags;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(tags.ReadFromFile(fd));
        // The position is now just past the tag, at the audio.
        char first[4];
        ASSERT_EQ(::read(fd, first, 4), 4);
        EXPECT_EQ(QByteArray(first, 4), audio.left(4));
        ::close(fd);
        EXPECT_TRUE(tags.NewIds());
        EXPECT_EQ(tags.Title(), title);
        EXPECT_EQ(tags.Artist(), QStringLiteral("Artist ß"));
        EXPECT_EQ(tags.Album(), QStringLiteral("Album"));
        EXPECT_EQ(tags.Track(), QStringLiteral("4"));
        EXPECT_EQ(tags.Genre(), QStringLiteral("Rock"));
        EXPECT_EQ(tags.Composer(), QStringLiteral("Comp"));
        EXPECT_EQ(tags.Link(), QStringLiteral("http://x.org/"));
    }
}

TEST(Id3v2File, ReadsWhatLameWrote) {
    QTemporaryDir dir;
    for (const bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16" : "ISO-8859-1");
        QStringList args{"--id3v2-only", "--tt", "Tïtle", "--ta", "Artist", "--tl", "Album",
                         "--ty",         "2009", "--tn",  "5",    "--tg",   "Rock"};
        if (utf16)
            args << "--id3v2-utf16";
        const QString mp3 = LameMp3(dir, utf16 ? "u.mp3" : "l.mp3", args);
        TId3v2Tags tags;
        ASSERT_TRUE(tags.ReadFromFile(mp3));
        EXPECT_EQ(tags.Title(), QStringLiteral("Tïtle"));
        EXPECT_EQ(tags.Artist(), QStringLiteral("Artist"));
        EXPECT_EQ(tags.Album(), QStringLiteral("Album"));
        EXPECT_EQ(tags.Track(), QStringLiteral("5"));
        EXPECT_EQ(tags.Genre(), QStringLiteral("Rock"));
        EXPECT_TRUE(tags.Encoder().startsWith(QStringLiteral("LAME")) || tags.Encoder().isEmpty());
    }
}

TEST(Id3v2File, ReadsVersion22AndUnsynchronisedTags) {
    QTemporaryDir dir;
    // An ID3v2.2 tag: 3-character ids, 24-bit sizes.
    auto frame22 = [](const char* id, const QByteArray& body) {
        QByteArray f(id, 3);
        f.append(char(body.size() >> 16)).append(char(body.size() >> 8)).append(char(body.size()));
        return f + body;
    };
    QByteArray frames = frame22("TT2", QByteArray("\0Old title\0", 11)) +
                        frame22("TP1", QByteArray("\1\xFF\xFE"
                                                  "A\0r\0t\0",
                                                  9)) +
                        frame22("TYE", QByteArray("\0"
                                                  "1990",
                                                  5)) +
                        QByteArray(20, '\0');
    QByteArray header("ID3\x02\x00\x00\x00\x00\x00", 9);
    header.append(char(frames.size()));
    const QString path = dir.filePath(QStringLiteral("v22.mp3"));
    WriteWholeFile(path, header + frames + AudioBytes(100));
    TId3v2Tags tags;
    ASSERT_TRUE(tags.ReadFromFile(path));
    EXPECT_FALSE(tags.NewIds());
    EXPECT_EQ(tags.IdOf(1), QStringLiteral("TT2"));
    EXPECT_EQ(tags.Title(), QStringLiteral("Old title"));
    EXPECT_EQ(tags.Artist(), QStringLiteral("Art"));
    EXPECT_EQ(tags.Year(), QString());
    EXPECT_EQ(tags.GetValue(QStringLiteral("TT2")).kind(), TTagValue::Kind::String);
    EXPECT_EQ(MutagenRead(path)["v2"].toObject()["version"].toArray(), QJsonArray({2, 2, 0}));

    // A 2.3 tag with the unsynchronisation flag: FF 00 in the text was stored as FF 00 00.
    QByteArray body("\1\xFF\x00\xFE"
                    "\xFF\x00\x00"
                    "\x00\x01",
                    9); // BOM, U+00FF, U+0100
    QByteArray frame("TIT2", 4);
    frame.append(QByteArray("\0\0\0", 3)).append(char(7)).append(QByteArray(2, '\0'));
    // The frame size is that of the text before unsynchronisation: 1 + 2 + 4.
    frame += body;
    QByteArray h23("ID3\x03\x00\x80\x00\x00\x00", 9);
    h23.append(char(frame.size()));
    const QString unsynced = dir.filePath(QStringLiteral("unsync.mp3"));
    WriteWholeFile(unsynced, h23 + frame + AudioBytes(100));
    ASSERT_TRUE(tags.ReadFromFile(unsynced));
    EXPECT_TRUE(tags.NewIds());
    EXPECT_EQ(tags.Title(), QString::fromUtf8("ÿĀ"));
    EXPECT_EQ(MutagenV2Text(MutagenRead(unsynced), "TIT2"), tags.Title());
}

TEST(Id3v2File, HeaderChecksAndPositions) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.mp3"));
    const QByteArray audio = AudioBytes(400);
    WriteWholeFile(path, audio);
    TId3v2Tags tags;
    tags.SetTitle(QStringLiteral("keep?"));
    EXPECT_FALSE(tags.TagExists(path));
    EXPECT_FALSE(tags.ReadFromFile(path));
    EXPECT_TRUE(tags.Cleared());

    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ::lseek(fd, 17, SEEK_SET);
    EXPECT_FALSE(tags.ReadFromFile(fd));
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 17); // restored on failure
    ::close(fd);

    // Bad headers: unknown version, flag bits the version lacks, a size byte with bit 7.
    for (const QByteArray& h : {QByteArray("ID3\x05\x00\x00\x00\x00\x00\x10", 10),
                                QByteArray("ID3\x03\x00\x10\x00\x00\x00\x10", 10),
                                QByteArray("ID3\x03\xFF\x00\x00\x00\x00\x10", 10),
                                QByteArray("ID3\x04\x00\x00\x00\x00\x80\x10", 10),
                                QByteArray("id3\x03\x00\x00\x00\x00\x00\x10", 10)}) {
        WriteWholeFile(path, h + audio);
        EXPECT_FALSE(tags.TagExists(path)) << h.toHex().constData();
        EXPECT_FALSE(tags.ReadFromFile(path));
    }
    // A tag longer than the file is malformed.
    WriteWholeFile(path, QByteArray("ID3\x03\x00\x00\x00\x00\x7F\x7F", 10) + audio);
    EXPECT_TRUE(tags.TagExists(path));
    EXPECT_FALSE(tags.ReadFromFile(path));
}

TEST(Id3v2File, WriteThroughDescriptorKeepsItUsable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fd.mp3"));
    const QByteArray audio = AudioBytes(4000);
    WriteWholeFile(path, audio);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ::lseek(fd, 100, SEEK_SET);
    TId3v2Tags tags;
    tags.SetTitle(QStringLiteral("Through a handle"));
    ASSERT_TRUE(tags.WriteToFile(fd, true));
    // The descriptor reads the new file, from the same audio byte as before.
    char next[8];
    ASSERT_EQ(::read(fd, next, 8), 8);
    EXPECT_EQ(QByteArray(next, 8), audio.mid(100, 8));
    ::lseek(fd, 0, SEEK_SET);
    TId3v2Tags back;
    ASSERT_TRUE(back.ReadFromFile(fd));
    EXPECT_EQ(back.Title(), QStringLiteral("Through a handle"));
    ::close(fd);
    EXPECT_EQ(MutagenV2Text(MutagenRead(path), "TIT2"), QStringLiteral("Through a handle"));

    // Writing again puts a second tag in front; the first one stays behind it.
    tags.SetTitle(QStringLiteral("Second"));
    ASSERT_TRUE(tags.WriteToFile(path, false));
    const QByteArray bytes = ReadWholeFile(path);
    EXPECT_TRUE(bytes.endsWith(audio));
    EXPECT_EQ(MutagenV2Text(MutagenRead(path), "TIT2"), QStringLiteral("Second"));
    EXPECT_EQ(FilesIn(dir), QStringList({"fd.mp3"}));
}

TEST(Id3v2File, FailedWriteLeavesFileAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    const QByteArray before = AudioBytes(100000);
    WriteWholeFile(path, before);
    ::chmod(QFile::encodeName(path).constData(), 0640);
    TId3v2Tags tags;
    FillId3v2(tags, QStringLiteral("never"));
    {
        TFileSizeLimit limit(100000 + 50); // the new file cannot be completed
        EXPECT_FALSE(tags.WriteToFile(path, true));
    }
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(FilesIn(dir), QStringList({"a.mp3"})); // no temporary left behind

    const int ro = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(ro, 0);
    EXPECT_FALSE(tags.WriteToFile(ro, false));
    ::close(ro);
    EXPECT_FALSE(tags.WriteToFile(-1, false));
    EXPECT_FALSE(tags.WriteToFile(dir.filePath(QStringLiteral("missing.mp3")), false));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.mp3"))));
    EXPECT_EQ(ReadWholeFile(path), before);

    // A successful write keeps the file's permissions; through a link, the link stays.
    ASSERT_TRUE(QFile::link(path, dir.filePath(QStringLiteral("link.mp3"))));
    ASSERT_TRUE(tags.WriteToFile(dir.filePath(QStringLiteral("link.mp3")), false));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("link.mp3"))).isSymLink());
    EXPECT_TRUE(ReadWholeFile(path).endsWith(before));
    EXPECT_EQ(QFileInfo(path).permissions() & QFileDevice::ReadOther, 0);
}
