// The APEv2 tag written at the end of a file: read back by mutagen, placed before an ID3v1 tag,
// replacing the APEv2 tag already there, and never leaving a half-written file.
#include "audio/ACS_Tags.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TagOracle.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// What mutagen reads from the APEv2 tag of `path`: {"Title": "...", ...}.
QJsonObject MutagenApe(const QString& path) {
    static const char* script = R"(
import sys, json
from mutagen.apev2 import APEv2
print(json.dumps({k: str(v) for k, v in APEv2(sys.argv[1]).items()}))
)";
    const TProcessResult r =
        RunProgram(OraclePython, {QStringLiteral("-c"), QLatin1String(script), path});
    if (r.ExitCode != 0)
        throw std::runtime_error("mutagen could not read " + path.toStdString() + ": " +
                                 r.Err.toStdString());
    return QJsonDocument::fromJson(r.Out).object();
}

QByteArray Bytes(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 13 + 5) & 0xFF);
    return b;
}

} // namespace

TEST(ApeTagFile, WrittenBeforeId3v1AndReplacedOnRewrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ape"));
    const QByteArray audio = Bytes(5000);
    QByteArray id3v1(128, '\0');
    id3v1.replace(0, 3, "TAG");
    WriteWholeFile(path, audio + id3v1);

    TAPEv2Tags tags;
    EXPECT_FALSE(tags.TagExists(path));
    const QString title = QString::fromUtf8("Björk Мартин");
    tags.SetTitle(title);
    tags.SetArtist(QStringLiteral("Artist"));
    tags.SetAlbum(QStringLiteral("Album"));
    tags.SetYear(QStringLiteral("2004"));
    tags.SetTrack(QStringLiteral("3/12"));
    tags.SetComment(QStringLiteral("ripped"));
    ASSERT_TRUE(tags.WriteToFile(path, false));
    EXPECT_TRUE(tags.TagExists(path));
    EXPECT_EQ(MutagenApe(path), QJsonObject({{"Album", "Album"},
                                             {"Artist", "Artist"},
                                             {"Comment", "ripped"},
                                             {"Title", title},
                                             {"Track", "3/12"},
                                             {"Year", "2004"}}));
    EXPECT_TRUE(ReadWholeFile(path).startsWith(audio));
    EXPECT_TRUE(ReadWholeFile(path).endsWith(id3v1));

    // Written again: the old tag goes, the new one takes its place.
    tags.SetTitle(QStringLiteral("Second"));
    tags.SetComment(QString());
    ASSERT_TRUE(tags.WriteToFile(path, false));
    EXPECT_EQ(ReadWholeFile(path), audio + tags.BuildTag() + id3v1);
    EXPECT_EQ(MutagenApe(path)["Title"].toString(), QStringLiteral("Second"));
    EXPECT_FALSE(MutagenApe(path).contains("Comment"));

    // A footer-only tag (as the reference encoder writes it) is replaced as well.
    QByteArray item("\x03\0\0\0\0\0\0\0Title\0Old", 17);
    QByteArray footer("APETAGEX\xd0\x07\0\0", 12);
    footer.append(char(17 + 32)).append(3, '\0').append("\x01\0\0\0\0\0\0\x40", 8).append(8, '\0');
    WriteWholeFile(path, audio + item + footer);
    EXPECT_EQ(MutagenApe(path)["Title"].toString(), QStringLiteral("Old"));
    ASSERT_TRUE(tags.WriteToFile(path, false));
    EXPECT_EQ(ReadWholeFile(path), audio + tags.BuildTag());
}

TEST(ApeTagFile, FailedWriteLeavesTheFileAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ape"));
    const QByteArray before = Bytes(100000);
    WriteWholeFile(path, before);
    TAPEv2Tags tags;
    tags.SetTitle(QStringLiteral("never"));
    {
        TFileSizeLimit limit(100000 + 40); // the new file cannot be completed
        EXPECT_FALSE(tags.WriteToFile(path, false));
    }
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.ape"}));
    EXPECT_FALSE(tags.WriteToFile(dir.filePath(QStringLiteral("missing.ape")), false));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.ape"))));
}
