// The drive and disc logic of the main window without its window: opening drives and their
// status texts, audio detection, disc keys, the track list rows and saving titles and track
// artists to cd.dat.
#include "disc/DiscSession.h"
#include "disc/DiscKey.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TTOC msfToc(const std::vector<std::array<int, 3>>& starts, std::array<int, 3> leadOut) {
    TTOC toc{};
    toc.FirstTrack = 1;
    toc.LastTrack = uint8_t(starts.size());
    auto put = [](TTOCTrack& e, std::array<int, 3> a) {
        e.Addr[1] = uint8_t(a[0]);
        e.Addr[2] = uint8_t(a[1]);
        e.Addr[3] = uint8_t(a[2]);
    };
    for (size_t i = 0; i < starts.size(); ++i)
        put(toc.Tracks[i], starts[i]);
    put(toc.Tracks[starts.size()], leadOut);
    return toc;
}

TEST(DiscKey, SumsTheStartAddressesAndAddsTheLengthForShortDiscs) {
    // (m << 16) + (s << 8) + f: 512 + 199188 + 327754.
    EXPECT_EQ(DiscKeyFromToc(msfToc({{0, 2, 0}, {3, 10, 20}, {5, 0, 74}}, {9, 0, 0})), "527454");
    // Four tracks: the lead-out does not count.
    EXPECT_EQ(DiscKeyFromToc(msfToc({{0, 2, 0}, {3, 10, 20}, {5, 0, 74}, {6, 0, 0}}, {9, 0, 0})),
              QString::number(527454 + (6 << 16)));
    // Two tracks: 512 + 262144, plus the lead-out's 33765 frames minus the first track's 150.
    EXPECT_EQ(DiscKeyFromToc(msfToc({{0, 2, 0}, {4, 0, 0}}, {7, 30, 15})), "296271");
    // One track: 512 + (2000 - 150).
    EXPECT_EQ(DiscKeyFromToc(msfToc({{0, 2, 0}}, {0, 26, 50})), "2362");
}

class DiscSession : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDir(dir.path());
        LoadOptions();
        AppOptions.Titles.fill(QString());
    }
    QTemporaryDir dir;
};

TEST_F(DiscSession, RowsShowStartsLengthsAndCachedTitles) {
    // Tracks at 00:02:00, 02:58:00 and 05:03:00 (key 512 + 145920 + 328448), lead-out 05:16:25.
    const QString cue = dir.filePath("long.cue");
    TTestDisc::WriteSparse(cue, {0, 13200, 22575}, 23575);
    WriteWholeFile(dir.filePath("cd.dat"), "[474880]\nCDArtist=Someone\nCDGenre=3\n"
                                           "CDTrackNumber=3\n1=Intro\n2=\n3=Outro\n"
                                           "Artist3=Guest\n");
    SetDiscImages({cue});
    TDiscSession s;
    ASSERT_NE(s.OpenDrive(0), 0);
    EXPECT_EQ(s.StatusText, "Image   long.cue");
    EXPECT_TRUE(s.AudioCdPresent());
    EXPECT_EQ(GetDiscKey(s.Handle), "474880");
    s.ReadDisc(LoadDiscTexts(s.CurrentDiscKey()));
    EXPECT_EQ(s.Key, "474880");
    ASSERT_EQ(s.Rows.size(), 3u);
    EXPECT_EQ(s.Rows[0].Number, 1);
    EXPECT_EQ(s.Rows[0].Title, "Intro");
    EXPECT_EQ(s.Rows[0].StartTime, "00:02");
    EXPECT_EQ(s.Rows[0].Length, "02:56");
    EXPECT_EQ(s.Rows[1].Title, "Track02");
    EXPECT_EQ(s.Rows[1].StartTime, "02:58");
    EXPECT_EQ(s.Rows[1].Length, "02:05");
    EXPECT_EQ(s.Rows[2].Title, "Outro");
    EXPECT_EQ(s.Rows[2].Artist, "Guest");
    EXPECT_EQ(s.Rows[0].Artist, "");
    EXPECT_EQ(s.Rows[2].Length, "00:13");
    for (const TTrackRow& r : s.Rows)
        EXPECT_TRUE(r.Checked);
    EXPECT_EQ(s.Fields.Artist, "Someone");
    EXPECT_EQ(s.Fields.Genre, 3);
    EXPECT_EQ(s.StatusText, "Image   long.cue");

    // Closing saves the rows' titles under the disc's key.
    s.Rows[1].Title = "Middle";
    s.Rows[1].Artist = "Someone Else";
    s.Fields.Album = "Album";
    SaveDiscTexts(s.Key, s.Texts());
    TIniFile saved(dir.filePath("cd.dat"));
    EXPECT_EQ(saved.value("474880", "2").value(), "Middle");
    EXPECT_EQ(saved.value("474880", "Artist2").value_or("missing"), "Someone Else");
    EXPECT_EQ(saved.value("474880", "Artist3").value_or("missing"), "Guest");
    EXPECT_EQ(saved.value("474880", "CDTrackNumber").value(), "3");
    EXPECT_EQ(saved.value("474880", "CDAlbum").value(), "Album");
    EXPECT_TRUE(s.CloseDrive());
    EXPECT_EQ(s.Handle, 0);
}

TEST_F(DiscSession, MinutesOfAHundredOrMoreShowAllTheirDigits) {
    const QString cue = dir.filePath("huge.cue");
    // Track 2 starts at 101:00:00 (LBA 454500), track 3 at 256:02:00, past where minutes of a
    // minute/second/frame address stop (255); the disc ends 3 minutes later.
    TTestDisc::WriteSparse(cue, {0, 454350, 1152000}, 1152000 + 3 * 4500);
    SetDiscImages({cue});
    TDiscSession s;
    ASSERT_NE(s.OpenDrive(0), 0);
    s.ReadDisc(TDiscTexts());
    ASSERT_EQ(s.Rows.size(), 3u);
    EXPECT_EQ(s.Rows[0].Length, "100:58");
    EXPECT_EQ(s.Rows[1].StartTime, "101:00");
    EXPECT_EQ(s.Rows[1].Length, "155:02");
    EXPECT_EQ(s.Rows[2].StartTime, "256:02");
    EXPECT_EQ(s.Rows[2].Length, "03:00");
}

TEST_F(DiscSession, ADataDiscIsNoAudioCdButItsTracksStillList) {
    const QString cue = dir.filePath("data.cue");
    TTestDisc::WriteSparse(cue, {0, 500}, 1000, "MODE1/2352");
    SetDiscImages({cue});
    TDiscSession s;
    ASSERT_NE(s.OpenDrive(0), 0);
    EXPECT_FALSE(s.AudioCdPresent());
    EXPECT_EQ(GetDiscKey(s.Handle), "");
    s.ReadDisc(TDiscTexts());
    ASSERT_EQ(s.Rows.size(), 2u);
    EXPECT_EQ(s.Rows[0].Title, "Track01");
    // Listed, but not ticked: ripped as audio it would only be noise.
    EXPECT_FALSE(s.Rows[0].IsAudio);
    EXPECT_FALSE(s.Rows[0].Checked);
}

TEST_F(DiscSession, StatusTextsSayWhyNoDriveOpened) {
    QTemporaryDir images;
    TTestDisc disc(images.path(), {20});
    SetDiscImages({disc.CuePath});
    TDiscSession s;
    EXPECT_EQ(s.OpenDrive(5), 0);
    EXPECT_EQ(s.StatusText, StatusBadDriveIndex);
    SetDiscImages({dir.filePath("gone.cue")});
    EXPECT_EQ(s.OpenDrive(0), 0);
    EXPECT_EQ(s.StatusText, StatusNoDevices);
    s.ReadDisc(TDiscTexts()); // without a drive nothing happens
    EXPECT_TRUE(s.Rows.empty());

    SetDiscImages({});
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    if (list.NumCd > 0)
        GTEST_SKIP() << "this machine has a CD drive";
    EXPECT_EQ(s.OpenDrive(0), 0);
    EXPECT_EQ(s.StatusText, StatusNoDevices);
    EXPECT_FALSE(s.AudioCdPresent());
}

} // namespace
