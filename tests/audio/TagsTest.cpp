// The tag dictionaries in memory (names, values, flags, typed accessors, Assign) and the
// genre tables, the latter checked against mutagen's own ID3v1 genre list.
#include "audio/ACS_Tags.h"
#include "audio/Genres.h"
#include "audio/Latin1Text.h"
#include "tests/common/TagOracle.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <set>

TEST(TagDictionary, NamesAreFixedSortedAndCaseBlind) {
    TVorbisTags tags;
    ASSERT_EQ(tags.Count(), 12);
    QStringList names;
    for (int i = 0; i < tags.Count(); ++i)
        names << tags.NameAt(i);
    EXPECT_EQ(names, QStringList({"album", "albumartist", "artist", "comment", "compilation",
                                  "date", "discnumber", "disctotal", "genre", "title",
                                  "tracknumber", "tracktotal"}));
    EXPECT_EQ(tags.NameAt(-1), QString());
    EXPECT_EQ(tags.NameAt(12), QString());

    tags.SetValue(QStringLiteral("ALBUM"), TTagValue::WideString(QStringLiteral("Blue")));
    EXPECT_EQ(tags.Album(), QStringLiteral("Blue"));
    EXPECT_EQ(tags.AsString(QStringLiteral("Album")), QStringLiteral("Blue"));

    // Names outside the set are ignored, and AddName neither duplicates nor adds empty names.
    tags.SetValue(QStringLiteral("composer"), TTagValue::WideString(QStringLiteral("x")));
    EXPECT_TRUE(tags.GetValue(QStringLiteral("composer")).isEmpty());
    tags.AddName(QStringLiteral("Genre"));
    tags.AddName(QString());
    EXPECT_EQ(tags.Count(), 12);
    tags.AddName(QStringLiteral("composer"));
    EXPECT_EQ(tags.Count(), 13);
    EXPECT_EQ(tags.NameAt(5), QStringLiteral("composer"));

    TAPEv2Tags ape;
    EXPECT_EQ(ape.Count(), 28);
    TId3v2Tags id3v2;
    EXPECT_EQ(id3v2.Count(), 30);
    TId3v1Tags id3v1;
    EXPECT_EQ(id3v1.Count(), 7);
}

TEST(TagDictionary, ClearedAndModifiedFollowChanges) {
    TVorbisTags tags;
    EXPECT_FALSE(tags.Modified());
    EXPECT_FALSE(tags.Cleared());

    tags.SetTitle(QString()); // empty text differs from an empty value
    EXPECT_TRUE(tags.Modified());
    tags.Clear();
    EXPECT_TRUE(tags.Cleared());
    EXPECT_TRUE(tags.Modified());

    tags.SetTitle(QStringLiteral("One"));
    EXPECT_FALSE(tags.Cleared());
    EXPECT_TRUE(tags.Modified());

    // Setting the stored value again is no change; neither flag moves.
    TVorbisTags fresh;
    fresh.SetValue(QStringLiteral("title"), TTagValue());
    EXPECT_FALSE(fresh.Modified());
    tags.Clear();
    tags.SetTitle(QStringLiteral("One"));
    TVorbisTags same;
    same.SetTitle(QStringLiteral("One"));
    const bool before = same.Modified();
    same.SetValue(QStringLiteral("title"), TTagValue::String(QStringLiteral("One")));
    EXPECT_EQ(same.Modified(), before);
    EXPECT_EQ(same.GetValue(QStringLiteral("title")).kind(), TTagValue::Kind::WideString);
}

TEST(TagDictionary, ValuesConvertBetweenIntegerAndText) {
    TId3v1Tags tags;
    tags.SetValue(QStringLiteral("track"), TTagValue::String(QStringLiteral(" 12 ")));
    EXPECT_EQ(tags.AsInteger(QStringLiteral("track")), 12);
    EXPECT_EQ(tags.Track(), 12);
    tags.SetValue(QStringLiteral("track"), TTagValue::String(QStringLiteral("5/12")));
    EXPECT_EQ(tags.AsInteger(QStringLiteral("track")), 0);
    tags.SetYear(1999);
    EXPECT_EQ(tags.AsString(QStringLiteral("year")), QStringLiteral("1999"));
    EXPECT_EQ(tags.AsWideString(QStringLiteral("year")), QStringLiteral("1999"));
    EXPECT_EQ(tags.AsString(QStringLiteral("album")), QString());
    EXPECT_EQ(tags.AsInteger(QStringLiteral("album")), 0);

    // Artist counts only text; other text properties show integers in decimal.
    tags.SetValue(QStringLiteral("artist"), TTagValue::Integer(42));
    tags.SetValue(QStringLiteral("title"), TTagValue::Integer(42));
    EXPECT_EQ(tags.Artist(), QString());
    EXPECT_EQ(tags.Title(), QStringLiteral("42"));
}

TEST(TagDictionary, Id3v1GenreByNameAndNumber) {
    TId3v1Tags tags;
    tags.SetGenre(QStringLiteral(" rock "));
    EXPECT_EQ(tags.AsInteger(QStringLiteral("genre")), 17);
    EXPECT_EQ(tags.Genre(), QStringLiteral("Rock"));
    tags.SetGenre(QStringLiteral("Polka-Rock Fusion"));
    EXPECT_EQ(tags.GenreId(), 17);
    tags.SetGenre(QStringLiteral("synthpop"));
    EXPECT_EQ(tags.GenreId(), 147);
    tags.SetGenreId(200);
    EXPECT_EQ(tags.GenreId(), 12);
    EXPECT_EQ(tags.Genre(), QStringLiteral("Other"));
}

TEST(TagDictionary, Id3v2PropertiesFollowNewIds) {
    TId3v2Tags tags;
    EXPECT_TRUE(tags.NewIds());
    tags.SetTitle(QStringLiteral("New"));
    tags.SetLink(QStringLiteral("http://example.org/"));
    EXPECT_EQ(tags.AsString(QStringLiteral("TIT2")), QStringLiteral("New"));
    EXPECT_EQ(tags.AsString(QStringLiteral("WXXX")), QStringLiteral("http://example.org/"));
    tags.SetNewIds(false);
    EXPECT_EQ(tags.Title(), QString());
    tags.SetTitle(QStringLiteral("Old"));
    tags.SetYear(QStringLiteral("1987"));
    EXPECT_EQ(tags.AsString(QStringLiteral("TT2")), QStringLiteral("Old"));
    EXPECT_EQ(tags.AsString(QStringLiteral("TYE")), QStringLiteral("1987"));
    EXPECT_EQ(tags.AsString(QStringLiteral("TIT2")), QStringLiteral("New"));
    const QStringList expected{"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM",
                               "TEN", "TCR", "TLA", "WXX", "TP2", "TPA", "TCP"};
    for (int p = 1; p <= 15; ++p)
        EXPECT_EQ(tags.IdOf(p), expected[p - 1]);
}

TEST(TagDictionary, ApeItemsKeepTheirKind) {
    TAPEv2Tags tags;
    tags.SetISRC(QStringLiteral("USRC17607839"));
    tags.SetBarCode(QStringLiteral("0123456789012"));
    tags.SetDebutAlbum(QStringLiteral("Début"));
    EXPECT_EQ(tags.GetValue(QStringLiteral("ISRC")).kind(), TTagValue::Kind::String);
    EXPECT_EQ(tags.GetValue(QStringLiteral("EAN/UPC")).text(), QStringLiteral("0123456789012"));
    EXPECT_EQ(tags.GetValue(QStringLiteral("Debut album")).kind(), TTagValue::Kind::WideString);
    EXPECT_EQ(tags.DebutAlbum(), QStringLiteral("Début"));
}

TEST(TagDictionary, AssignCopiesCommonNamesAndClears) {
    TId3v2Tags id3v2;
    id3v2.SetTitle(QStringLiteral("Title"));
    id3v2.SetArtist(QStringLiteral("Artist"));
    TVorbisTags vorbis;
    vorbis.SetTitle(QStringLiteral("Old"));
    vorbis.Assign(id3v2); // no names in common
    EXPECT_TRUE(vorbis.Cleared());
    EXPECT_EQ(vorbis.Title(), QString());

    // Names match without regard to case across families: APE "Genre" takes Vorbis "genre".
    vorbis.SetTitle(QStringLiteral("Song"));
    vorbis.SetGenre(QStringLiteral("Jazz"));
    vorbis.SetDate(QStringLiteral("2001"));
    TAPEv2Tags ape;
    ape.SetComment(QStringLiteral("gone"));
    vorbis.AssignTo(ape);
    EXPECT_EQ(ape.Title(), QStringLiteral("Song"));
    EXPECT_EQ(ape.Genre(), QStringLiteral("Jazz"));
    EXPECT_EQ(ape.Year(), QString());
    EXPECT_EQ(ape.Comment(), QString());
    EXPECT_FALSE(ape.Cleared());

    TVorbisTags copy;
    copy.Assign(vorbis);
    for (int i = 0; i < vorbis.Count(); ++i)
        EXPECT_EQ(copy.GetValue(vorbis.NameAt(i)), vorbis.GetValue(vorbis.NameAt(i)));
    copy.Assign(copy);
    EXPECT_EQ(copy.Title(), QStringLiteral("Song"));
}

TEST(Genres, BoxListLookupAndNumbers) {
    EXPECT_EQ(GenreIndexOf(QStringLiteral("A Cappella")), 0);
    EXPECT_EQ(GenreIndexOf(QStringLiteral("Vocal")), 147);
    EXPECT_EQ(GenreIndexOf(QStringLiteral("Rock")), 117);
    EXPECT_EQ(GenreIndexOf(QStringLiteral("rock")), -1);
    EXPECT_EQ(GenreIndexOf(QStringLiteral("rock"), Qt::CaseInsensitive), 117);
    EXPECT_EQ(GenreIndexOf(QString()), -1);

    EXPECT_EQ(GenreByte(18), 0); // Blues
    EXPECT_EQ(GenreByte(0), 255);
    EXPECT_EQ(GenreByte(-1), 255);
    EXPECT_EQ(GenreByte(149), 255);
    EXPECT_EQ(GenreByte(148), 28); // Vocal
    std::set<int> numbers;
    for (int p = 1; p <= GenreCount; ++p)
        numbers.insert(GenreByte(p));
    EXPECT_EQ(numbers.size(), size_t(GenreCount));
    EXPECT_EQ(*numbers.rbegin(), GenreCount - 1);

    EXPECT_EQ(Id3v1GenreIndexOf(QStringLiteral("BLUES")), 0);
    EXPECT_EQ(Id3v1GenreIndexOf(QStringLiteral("Synthpop")), 147);
    EXPECT_EQ(Id3v1GenreIndexOf(QStringLiteral("Blues ")), -1);
}

// The ID3v1 list must match mutagen's, number for number, and each box entry's number must
// name the same genre there. A few names are spelt otherwise in one list or the other.
TEST(Genres, NumbersAgreeWithMutagen) {
    const TProcessResult r = RunProgram(
        OraclePython,
        {QStringLiteral("-c"),
         QStringLiteral("from mutagen.id3 import TCON\nprint('\\n'.join(TCON.GENRES))")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QStringList theirs = QString::fromUtf8(r.Out).split(QLatin1Char('\n'));
    ASSERT_GE(theirs.size(), GenreCount);
    auto plain = [](QString s) {
        s = s.toLower();
        s.remove(QRegularExpression(QStringLiteral("[^a-z0-9]")));
        return s;
    };
    for (int id = 0; id < GenreCount; ++id) {
        if (id == 59 || id == 85 || id == 133) // "Gangsta", "Bebob", "Negerpunk"
            continue;
        EXPECT_EQ(plain(QLatin1String(Id3v1GenreNames[id])), plain(theirs[id])) << id;
    }
    const std::set<QString> boxSpelling{"Christian Gangsta", "Drum & Base", "Gangsta Rap"};
    for (int p = 1; p <= GenreCount; ++p) {
        const QString ours = QLatin1String(GenreNames[p - 1]);
        if (!boxSpelling.count(ours)) {
            EXPECT_EQ(plain(ours), plain(QLatin1String(Id3v1GenreNames[GenreByte(p)])))
                << ours.toStdString();
        }
    }
    EXPECT_EQ(QLatin1String(Id3v1GenreNames[GenreByte(GenreIndexOf("Gangsta Rap") + 1)]),
              QStringLiteral("Gangsta"));
}

TEST(Latin1Text, MapsToIso88591WithQuestionMarks) {
    EXPECT_EQ(ToLatin1Lossy(QStringLiteral("Björk")), QByteArray("Bj\xF6rk"));
    EXPECT_EQ(ToLatin1Lossy(QStringLiteral("e\u0301t\u00E9")), QByteArray("\xE9t\xE9"));
    EXPECT_EQ(ToLatin1Lossy(QStringLiteral("5 € 東京")), QByteArray("5 ? ??"));
    EXPECT_EQ(ToLatin1Lossy(QString::fromUtf8("\xF0\x9D\x84\x9E!")), QByteArray("?!"));
    EXPECT_EQ(ToLatin1Lossy(QStringLiteral("abcdef"), 4), QByteArray("abcd"));
    EXPECT_EQ(ToLatin1Lossy(QStringLiteral("ab"), 0), QByteArray());
}
