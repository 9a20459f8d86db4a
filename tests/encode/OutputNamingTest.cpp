// Output names from the rip's name template: fields and their fallbacks, names every file
// system takes (slashes, control characters, leading dots, names cut on character boundaries to
// fit 255 bytes with the rip's suffixes), FAT-safe names, repeated names and refused templates.
#include "encode/OutputNaming.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

QString expand(const QString& text, const TNameFields& f, bool fatSafe = false) {
    QString error;
    const auto t = TNameTemplate::Parse(text, &error);
    EXPECT_TRUE(t.has_value()) << error.toStdString();
    return t ? t->Expand(f, QStringLiteral(".flac"), fatSafe) : QString();
}

TEST(OutputNaming, TemplatesFillFieldsWithTheirFallbacksAndNeverLeaveTheFolder) {
    TNameFields f;
    f.DiscArtist = "Various Artists";
    f.Artist = "AC/DC";
    f.Album = "Live / Unplugged";
    f.Year = "1991";
    f.Title = "T.N.T.";
    f.Track = 3;
    f.TrackTotal = 12;
    f.Disc = 2;
    f.DiscTotal = 3;
    EXPECT_EQ(expand("{title}", f), "T.N.T.");
    EXPECT_EQ(expand("{albumartist}/{album} ({year})/{track} {artist} - {title}", f),
              "Various Artists/Live - Unplugged (1991)/03 AC-DC - T.N.T.");
    EXPECT_EQ(expand("{disc}-{disctotal} {track}-{tracktotal} {{track}}", f), "2-3 03-12 {track}");
    // A template cannot climb out of the output folder or name the root.
    EXPECT_EQ(expand("../../{title}", f), "T.N.T.");
    EXPECT_EQ(expand("/{album}//./{title}", f), "Live - Unplugged/T.N.T.");

    TNameFields empty;
    empty.Track = 7;
    EXPECT_EQ(expand("{albumartist}/{album}/{artist} {title}", empty),
              "Unknown Artist/Unknown Album/Unknown Artist Track07");
    empty.DiscArtist = "Band";
    EXPECT_EQ(expand("{albumartist} {artist}", empty), "Band Band");
    empty.AlbumArtist = "Album Band";
    EXPECT_EQ(expand("{albumartist} {artist}", empty), "Album Band Album Band");
    // Control characters go, leading dots and trailing spaces too.
    empty.Title = QString("..hidden\tna\nme  ");
    EXPECT_EQ(expand("{title}", empty), "hiddenname");
    empty.Title = "...";
    EXPECT_EQ(expand("{title}", empty), "Track07");
}

TEST(OutputNaming, LongNamesAreCutOnCharacterBoundariesToFitTheRipsSuffixes) {
    TNameFields f;
    f.Track = 1;
    // 100 CJK characters: 300 bytes of UTF-8.
    f.Title = QString(100, QChar(0x97F3));
    const QString name = expand("{title}", f);
    EXPECT_LE(name.toUtf8().size(), NameBaseBudget(".flac"));
    EXPECT_TRUE(f.Title.startsWith(name));
    EXPECT_LE((name + " (99).partial.flac").toUtf8().size(), 255);
    EXPECT_EQ(name.toUtf8().size() % 3, 0);
    // An emoji (a surrogate pair, 4 bytes) where the cut falls: it goes whole.
    for (int pad = 230; pad < 240; ++pad) {
        f.Title = QString(pad, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80tail");
        const QString cut = expand("{title}", f);
        EXPECT_FALSE(cut.back().isHighSurrogate()) << pad;
        EXPECT_EQ(QString::fromUtf8(cut.toUtf8()), cut) << pad;
        EXPECT_LE(cut.toUtf8().size(), NameBaseBudget(".flac")) << pad;
    }
    // Folder names may take the whole 255 bytes.
    f.Album = QString(300, 'b');
    EXPECT_EQ(expand("{album}/x", f), QString(255, 'b') + "/x");
}

TEST(OutputNaming, FatSafeNamesAndRepeatedNames) {
    EXPECT_EQ(SafeNameComponent("What? \"Yes\": <No>|*\\ ", true), "What_ _Yes__ _No____");
    EXPECT_EQ(SafeNameComponent("What? \"Yes\"", false), "What? \"Yes\"");
    EXPECT_EQ(SafeNameComponent("Etc. . ", true), "Etc");
    EXPECT_EQ(SafeNameComponent("Etc. ", false), "Etc.");
    EXPECT_EQ(SafeNameComponent("CON", true), "CON_");
    EXPECT_EQ(SafeNameComponent("com1", true), "com1_");
    EXPECT_EQ(SafeNameComponent("nul.txt", true), "nul.txt_");
    EXPECT_EQ(SafeNameComponent("Console", true), "Console");
    EXPECT_EQ(SafeNameComponent("CON", false), "CON");

    QSet<QString> taken;
    EXPECT_EQ(UniqueInSet("/d/Intro", ".flac", &taken), "/d/Intro.flac");
    EXPECT_EQ(UniqueInSet("/d/Intro", ".flac", &taken), "/d/Intro (2).flac");
    EXPECT_EQ(UniqueInSet("/d/Intro", ".flac", &taken), "/d/Intro (3).flac");
    EXPECT_EQ(UniqueInSet("/e/Intro", ".flac", &taken), "/e/Intro.flac");
}

TEST(OutputNaming, TemplatesWithUnknownFieldsOrLoneBracesAreRefused) {
    QString error;
    EXPECT_FALSE(TNameTemplate::Parse("{album}/{tilte}", &error));
    EXPECT_TRUE(error.contains("{tilte}")) << error.toStdString();
    EXPECT_FALSE(TNameTemplate::Parse("{title", &error));
    EXPECT_FALSE(TNameTemplate::Parse("title}", &error));
    EXPECT_FALSE(TNameTemplate::Parse("/", &error));
    EXPECT_TRUE(TNameTemplate::Parse("", &error)); // the default
}

} // namespace
