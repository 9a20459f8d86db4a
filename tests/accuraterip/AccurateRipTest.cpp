// The AccurateRip pieces on their own: the sums fed in uneven pieces against the plain
// computation, the disc ids of known tables, and a database answer with two pressings.
#include "accuraterip/TArDiscIds.h"
#include "accuraterip/TArLookup.h"
#include "accuraterip/TArResponse.h"
#include "accuraterip/TTrackChecksum.h"
#include "tests/common/ArOracle.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

TEST(TrackChecksum, MatchesThePublishedDefinitionForEveryPlaceOnTheDisc) {
    // 9 sectors of noise, fed in pieces that do not follow sector or chunk edges.
    QByteArray track(9 * 2352, Qt::Uninitialized);
    QRandomGenerator rng(22);
    for (char& c : track)
        c = char(rng.generate());
    for (const auto& [first, last] : {std::pair{false, false}, std::pair{true, false},
                                      std::pair{false, true}, std::pair{true, true}}) {
        TTrackChecksum sums(track.size() / 4, first, last);
        const auto* p = reinterpret_cast<const uint8_t*>(track.constData());
        for (qsizetype at = 0, step = 4; at < track.size(); at += step, step = step * 3 % 9000 + 4)
            sums.Add(p + at, size_t(std::min<qsizetype>(step, track.size() - at)));
        const TOracleSums want = OracleSums(track, first, last);
        SCOPED_TRACE(testing::Message() << "first " << first << " last " << last);
        EXPECT_EQ(sums.Crc32(), want.Crc32);
        EXPECT_EQ(sums.ArV1(), want.V1);
        EXPECT_EQ(sums.ArV2(), want.V2);
    }
}

TEST(ArDiscIds, KnownTables) {
    // Tracks at 0, 1650, 3600, 5100 and 7200 sectors, lead-out at 9000 (frames count the
    // 150-frame lead-in). id1 = 0+1650+3600+5100+7200+9000 = 26550; id2 = 1 (a track at 0
    // counts as 1) + 1650·2 + 3600·3 + 5100·4 + 7200·5 + 9000·6 = 124501; freedb: digit sums
    // of 2, 24, 50, 70, 98 seconds = 37 (0x25), 120 seconds long, 5 tracks.
    const TArDiscIds five = TArDiscIds::FromDisc(TCddbDisc{{150, 1800, 3750, 5250, 7350}, 9150});
    EXPECT_EQ(five.Id1, 26550u);
    EXPECT_EQ(five.Id2, 124501u);
    EXPECT_EQ(five.CddbId, 0x25007805u);
    EXPECT_EQ(five.Path(), "/accuraterip/6/b/7/dBAR-005-000067b6-0001e655-25007805.bin");
    // One track of 1000 sectors: the lead-out counts twice in id2.
    const TArDiscIds one = TArDiscIds::FromDisc(TCddbDisc{{150}, 1150});
    EXPECT_EQ(one.FileName(), "dBAR-001-000003e8-000007d1-02000d01.bin");
    EXPECT_EQ(TArLookup::UrlFor("127.0.0.1:8080/", one),
              "http://127.0.0.1:8080/accuraterip/8/e/3/dBAR-001-000003e8-000007d1-02000d01.bin");
    EXPECT_EQ(TArDiscIds::FromDisc(TCddbDisc{{150, 100}, 1150}).Tracks, 0);
}

TEST(ArResponse, TwoPressingsGiveEachTrackItsVerdict) {
    // Pressing A holds v1 sums, pressing B v2 sums; track 2 matches only in A, track 3 in
    // neither, and only A knows a third track.
    const QByteArray answer = DbarPressing(1, 2, 3, {{4, 0x11}, {7, 0x22}, {2, 0x33}}) +
                              DbarPressing(1, 2, 3, {{9, 0xA1}, {5, 0xA2}});
    TArResponse r;
    ASSERT_TRUE(r.Parse(answer));
    ASSERT_EQ(r.Pressings().size(), 2u);
    EXPECT_EQ(r.Pressings()[1].Entries[0].Confidence, 9);
    EXPECT_EQ(r.Pressings()[0].Entries[2].Crc, 0x33u);
    EXPECT_EQ(r.Verdict(0, 0x11, 0xA1).Text(), "accurate (confidence 13)");
    EXPECT_EQ(r.Verdict(1, 0x22, 0x99).Text(), "accurate (confidence 7)");
    EXPECT_EQ(r.Verdict(1, 0x98, 0x99).Text(), "not accurate");
    EXPECT_EQ(r.Verdict(2, 0x98, 0x99).Text(), "not accurate");
    EXPECT_EQ(r.Verdict(3, 0x11, 0xA1).Text(), "not in database");
    // A cut answer is refused whole.
    EXPECT_FALSE(r.Parse(answer.left(answer.size() - 3)));
    EXPECT_TRUE(r.Pressings().empty());
}

} // namespace
