// Reading CDDB records: keys, continued values, escapes and the disc title split.
#include "lookup/CddbRecord.h"

#include <gtest/gtest.h>

TEST(CddbRecord, OrdinaryRecordGivesItsFields) {
    const TCddbRecord r = TCddbRecord::parse(QStringLiteral(
        "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\nDISCID=1400c803\n"
        "DTITLE=The Artist / The Album\nDYEAR=1999\nDGENRE=Rock\n"
        "TTITLE0=First\nTTITLE1=  Second  \nTTITLE2=Third\nEXTD=\nEXTT0=\nPLAYORDER=\n"));
    EXPECT_EQ(r.artist(), QStringLiteral("The Artist"));
    EXPECT_EQ(r.album(), QStringLiteral("The Album"));
    EXPECT_EQ(r.year(), QStringLiteral("1999"));
    EXPECT_EQ(r.genre(), QStringLiteral("Rock"));
    EXPECT_EQ(r.trackTitleCount(), 3);
    EXPECT_EQ(r.trackTitle(0), QStringLiteral("First"));
    EXPECT_EQ(r.trackTitle(1), QStringLiteral("Second"));
    EXPECT_EQ(r.trackTitle(2), QStringLiteral("Third"));
    EXPECT_FALSE(r.hasTrackTitle(3));
    EXPECT_TRUE(r.value(QStringLiteral("EXTD")).isEmpty());
}

TEST(CddbRecord, RepeatedKeysContinueTheValue) {
    // Long texts are split over several lines of the same key; the parts join as they are.
    const TCddbRecord r = TCddbRecord::parse(
        QStringLiteral("DTITLE=A very long artist name / and an album name that\n"
                       "DTITLE= goes on\nTTITLE0=Short\nTTITLE1=A title that is so long it needs \n"
                       "TTITLE1=a second line\nTTITLE2=Third stays third\n"));
    EXPECT_EQ(r.artist(), QStringLiteral("A very long artist name"));
    EXPECT_EQ(r.album(), QStringLiteral("and an album name that goes on"));
    EXPECT_EQ(r.trackTitle(1), QStringLiteral("A title that is so long it needs a second line"));
    EXPECT_EQ(r.trackTitle(2), QStringLiteral("Third stays third"));
    EXPECT_EQ(r.trackTitleCount(), 3);
}

TEST(CddbRecord, EscapesAreDecoded) {
    const TCddbRecord r = TCddbRecord::parse(
        QStringLiteral("TTITLE0=Line one\\nline two\nTTITLE1=Tab\\there\n"
                       "TTITLE2=Back\\\\slash \\x stays\nTTITLE3=split \\\nTTITLE3=n across\n"));
    EXPECT_EQ(r.trackTitle(0), QStringLiteral("Line one\nline two"));
    EXPECT_EQ(r.trackTitle(1), QStringLiteral("Tab\there"));
    EXPECT_EQ(r.trackTitle(2), QStringLiteral("Back\\slash \\x stays"));
    // The escape is decoded after the parts are joined.
    EXPECT_EQ(r.trackTitle(3), QStringLiteral("split \n across"));
    EXPECT_EQ(TCddbRecord::oneLine(r.trackTitle(0)), QStringLiteral("Line one line two"));
}

TEST(CddbRecord, DiscTitleSplit) {
    auto split = [](const char* dtitle) {
        const TCddbRecord r =
            TCddbRecord::parse(QStringLiteral("DTITLE=") + QString::fromUtf8(dtitle));
        return std::make_pair(r.artist(), r.album());
    };
    // Without "/" the whole text is both artist and album.
    EXPECT_EQ(split("Only One Name"),
              std::make_pair(QStringLiteral("Only One Name"), QStringLiteral("Only One Name")));
    // The " / " separator wins over a "/" inside the artist's name.
    EXPECT_EQ(split("AC/DC / Back in Black"),
              std::make_pair(QStringLiteral("AC/DC"), QStringLiteral("Back in Black")));
    EXPECT_EQ(split("Artist/Album"),
              std::make_pair(QStringLiteral("Artist"), QStringLiteral("Album")));
    EXPECT_EQ(split("Artist / Album / Part 2"),
              std::make_pair(QStringLiteral("Artist"), QStringLiteral("Album / Part 2")));
    EXPECT_FALSE(TCddbRecord::parse(QStringLiteral("DYEAR=1")).hasDiscTitle());
}

TEST(CddbRecord, OddLinesAreSkipped) {
    const TCddbRecord r = TCddbRecord::parse(QStringLiteral(
        "no equals sign here\n=value without key\n  ttitle0 = lower-case key\r\n"
        "TTITLEX=not a track\nTTITLE-1=negative\n#TTITLE1=comment\nTTITLE07=leading zero\n"
        "DYEAR\n"));
    EXPECT_EQ(r.trackTitle(0), QStringLiteral("lower-case key"));
    EXPECT_EQ(r.trackTitle(7), QStringLiteral("leading zero"));
    EXPECT_FALSE(r.hasTrackTitle(1));
    EXPECT_EQ(r.trackTitleCount(), 2);
    EXPECT_FALSE(r.hasYear());
    EXPECT_EQ(r.value(QStringLiteral("TTITLEX")), QStringLiteral("not a track"));
}
