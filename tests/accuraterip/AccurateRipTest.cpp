// The AccurateRip pieces on their own: the sums fed in uneven pieces against the plain
// computation, the disc ids of known tables and of an enhanced CD, and database answers with
// several pressings, some of which must not count.
#include "accuraterip/TArDiscIds.h"
#include "accuraterip/TArLookup.h"
#include "accuraterip/TArResponse.h"
#include "accuraterip/TTrackChecksum.h"
#include "tests/common/ArOracle.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// A table of audio tracks starting at `frames` (lead-in counted).
TTableOfContents AudioToc(const std::vector<int>& frames, int leadOutFrame) {
    TTableOfContents toc;
    toc.StartFrames = frames;
    toc.LeadOutFrame = leadOutFrame;
    return toc;
}

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
    const TArDiscIds five = TArDiscIds::FromDisc(AudioToc({150, 1800, 3750, 5250, 7350}, 9150));
    EXPECT_EQ(five.Id1, 26550u);
    EXPECT_EQ(five.Id2, 124501u);
    EXPECT_EQ(five.CddbId, 0x25007805u);
    EXPECT_EQ(five.Path(), "/accuraterip/6/b/7/dBAR-005-000067b6-0001e655-25007805.bin");
    // One track of 1000 sectors: the lead-out counts twice in id2.
    const TArDiscIds one = TArDiscIds::FromDisc(AudioToc({150}, 1150));
    EXPECT_EQ(one.FileName(), "dBAR-001-000003e8-000007d1-02000d01.bin");
    EXPECT_EQ(TArLookup::UrlFor("127.0.0.1:8080/", one),
              "http://127.0.0.1:8080/accuraterip/8/e/3/dBAR-001-000003e8-000007d1-02000d01.bin");
    EXPECT_EQ(TArDiscIds::FromDisc(AudioToc({150, 100}, 1150)).Tracks, 0);
}

TEST(ArDiscIds, AnEnhancedCdIsNamedByItsAudioTracksAndTheDiscsLeadOut) {
    // Ten audio tracks, then a data track in a second session: addresses in sectors without the
    // lead-in. The table was derived from the two names of the worked example through the
    // published definitions, which the oracle writes out.
    const std::vector<int> audio = {0,      24350,  44647,  50650,  84737,
                                    121467, 148663, 176476, 218838, 255725};
    const int data = 281606, leadOut = 333672;
    TTableOfContents toc;
    for (int a : audio)
        toc.StartFrames.push_back(a + 150);
    toc.StartFrames.push_back(data + 150);
    toc.DataTracks.assign(11, false);
    toc.DataTracks[10] = true;
    toc.LeadOutFrame = leadOut + 150;
    toc.LastSessionFrame = data + 150;
    std::vector<int> all = toc.StartFrames;

    // Right: the audio tracks with the disc's own lead-out; freedb over all eleven tracks.
    const QString right = OracleArName(audio, leadOut, OracleCddbId(all, leadOut + 150));
    EXPECT_EQ(right, "dBAR-010-00164419-00b9f6e2-9e11600b.bin");
    EXPECT_EQ(TArDiscIds::FromDisc(toc).FileName(), right);
    // Wrong: the audio session alone, its lead-out 11400 sectors before the data track, as a
    // reader that stops at the first session sees the disc.
    const int sessionEnd = data - 11400;
    const QString wrong = OracleArName(
        audio, sessionEnd, OracleCddbId({all.begin(), all.end() - 1}, sessionEnd + 150));
    EXPECT_EQ(wrong, "dBAR-010-00154c2f-00af4fd4-890e120a.bin");
    TTableOfContents firstSession = toc;
    firstSession.StartFrames.pop_back();
    firstSession.DataTracks.pop_back();
    firstSession.LastSessionFrame = 0;
    firstSession.LeadOutFrame = sessionEnd + 150;
    EXPECT_EQ(TArDiscIds::FromDisc(firstSession).FileName(), wrong);

    // What the rip reads of the last audio track ends where its session's lead-out begins.
    EXPECT_EQ(toc.lengthFrames(9), sessionEnd - audio[9]);
    EXPECT_EQ(toc.sessionEndFrame(9), sessionEnd + 150);
    EXPECT_EQ(toc.lengthFrames(8), audio[9] - audio[8]);
    // Without the session known (an image), the track runs up to the data track.
    TTableOfContents image = toc;
    image.LastSessionFrame = 0;
    EXPECT_EQ(image.lengthFrames(9), data - audio[9]);
    EXPECT_EQ(TArDiscIds::FromDisc(image).FileName(), right); // the name does not need it
}

TEST(ArResponse, TwoPressingsGiveEachTrackItsVerdict) {
    // Pressing A holds v1 sums, pressing B v2 sums; track 2 matches only in A, track 3 in
    // neither, and no pressing knows a fourth track.
    const QByteArray answer = DbarPressing(1, 2, 3, {{4, 0x11}, {7, 0x22}, {2, 0x33}}) +
                              DbarPressing(1, 2, 3, {{9, 0xA1}, {5, 0xA2}, {1, 0xA3}});
    TArResponse r;
    ASSERT_TRUE(r.Parse(answer, 3));
    ASSERT_EQ(r.Pressings().size(), 2u);
    EXPECT_EQ(r.Pressings()[1].Entries[0].Confidence, 9);
    EXPECT_EQ(r.Pressings()[0].Entries[2].Crc, 0x33u);
    EXPECT_EQ(r.Verdict(0, 0x11, 0xA1).Text(), "accurate (confidence 13)");
    EXPECT_EQ(r.Verdict(1, 0x22, 0x99).Text(), "accurate (confidence 7)");
    EXPECT_EQ(r.Verdict(1, 0x98, 0x99).Text(), "not accurate");
    EXPECT_EQ(r.Verdict(2, 0x98, 0x99).Text(), "not accurate");
    EXPECT_EQ(r.Verdict(3, 0x11, 0xA1).Text(), "not in database");
    // A cut answer is refused whole.
    EXPECT_FALSE(r.Parse(answer.left(answer.size() - 3), 3));
    EXPECT_TRUE(r.Pressings().empty());
}

TEST(ArResponse, SilenceZeroConfidenceAndPressingsOfOtherDiscsNeverMakeATrackAccurate) {
    // A 3-track disc. Pressing A holds a zero-confidence entry for track 2 whose sum is 0, as
    // real answers do, and one of confidence 0 for track 3 that matches. Pressings B and C list
    // 99 and 255 tracks: they belong to other discs and hold every sum asked for.
    std::vector<std::pair<int, uint32_t>> many(99, {200, 0x33});
    many[0] = {200, 0x11};
    many[1] = {200, 0};
    std::vector<std::pair<int, uint32_t>> most(255, {255, 0x33});
    const QByteArray answer = DbarPressing(1, 2, 3, {{4, 0x11}, {0, 0}, {0, 0x33}}) +
                              DbarPressing(1, 2, 3, many) + DbarPressing(1, 2, 3, most);
    TArResponse r;
    ASSERT_TRUE(r.Parse(answer, 3));
    EXPECT_EQ(r.Pressings().size(), 3u);
    EXPECT_EQ(r.Pressings()[2].Tracks, 255);
    EXPECT_EQ(r.FittingPressings(), 1);
    EXPECT_EQ(r.Verdict(0, 0x11, 0xA1).Text(), "accurate (confidence 4)");
    EXPECT_EQ(r.Verdict(1, 0, 0).Text(), "silent: cannot be verified");
    EXPECT_EQ(r.Verdict(2, 0x33, 0xA3).Text(), "not in database");
    EXPECT_EQ(r.Verdict(2, 0x98, 0xA3).Text(), "not in database");
    // Without an answer a silent track still says so.
    EXPECT_EQ(TArVerdict::Without(TArVerdict::NotChecked, 0, 0).Text(),
              "silent: cannot be verified");
    EXPECT_EQ(TArVerdict::Without(TArVerdict::NotInDatabase, 0, 1).Text(), "not in database");
    // No pressing of the disc's length: the file is another disc's.
    ASSERT_TRUE(r.Parse(DbarPressing(1, 2, 3, many), 3));
    EXPECT_EQ(r.FittingPressings(), 0);
    EXPECT_EQ(r.Verdict(0, 0x11, 0xA1).Text(), "not in database");
}

} // namespace
