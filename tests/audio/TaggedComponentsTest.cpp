// The tagged file input and output own their tag objects, and setting a tag property copies
// the values in, as the converter relies on when it hands an input's tags to an output.
#include "audio/ACS_Classes.h"
#include "audio/ACS_Tags.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class TTagIn : public TAuTaggedFileIn {
public:
    void OpenFile() override {}
    void CloseFile() override {}
    void ReadBlock(char*&, int& bytes) override { bytes = 0; }
    bool SeekSample(int64_t&) override { return false; }
};

class TTagOut : public TAuTaggedFileOut {
public:
    ~TTagOut() override { ShutDownWorker(); }

protected:
    void PrepareOutput() override {}
    bool WriteBlock(bool) override { return false; }
    void FinishOutput() override {}
};
} // namespace

TEST(TaggedComponents, OwnTagsAndCopyOnSet) {
    TTagIn in;
    TTagOut out;
    ASSERT_NE(in.Id3v1Tags(), nullptr);
    ASSERT_NE(in.Id3v2Tags(), nullptr);
    ASSERT_NE(in.APEv2Tags(), nullptr);
    ASSERT_NE(out.Id3v2Tags(), nullptr);
    EXPECT_NE(static_cast<void*>(in.Id3v2Tags()), static_cast<void*>(out.Id3v2Tags()));

    // A WMA-style reader fills the input's ID3v2 object; the converter gives it to the output.
    in.Id3v2Tags()->SetTitle(QStringLiteral("Title"));
    in.Id3v2Tags()->SetGenre(QStringLiteral("rock"));
    out.Id3v2Tags()->SetComment(QStringLiteral("stale"));
    out.SetId3v2Tags(*in.Id3v2Tags());
    EXPECT_EQ(out.Id3v2Tags()->Title(), QStringLiteral("Title"));
    EXPECT_EQ(out.Id3v2Tags()->Genre(), QStringLiteral("rock"));
    EXPECT_EQ(out.Id3v2Tags()->Comment(), QString()); // the copy starts from a cleared object
    in.Id3v2Tags()->SetTitle(QStringLiteral("Changed later"));
    EXPECT_EQ(out.Id3v2Tags()->Title(), QStringLiteral("Title")); // a copy, not a share

    // Values held under ID3v2.2 ids stay reachable through the copy's properties.
    TId3v2Tags old;
    old.SetNewIds(false);
    old.SetArtist(QStringLiteral("Old artist"));
    out.SetId3v2Tags(old);
    EXPECT_FALSE(out.Id3v2Tags()->NewIds());
    EXPECT_EQ(out.Id3v2Tags()->Artist(), QStringLiteral("Old artist"));

    TId3v1Tags v1;
    v1.SetTrack(9);
    in.SetId3v1Tags(v1);
    EXPECT_EQ(in.Id3v1Tags()->Track(), 9);
    TAPEv2Tags ape;
    ape.SetISRC(QStringLiteral("X"));
    out.SetAPEv2Tags(ape);
    EXPECT_EQ(out.APEv2Tags()->ISRC(), QStringLiteral("X"));
}
