// The CD player over disc images the tests write: what reaches the sink is exactly the track's
// bytes, pause and resume lose and repeat nothing, the end is signalled once, stop and read
// failures end a play, and one play goes through the real sound device.
#include "player/CdPlayer.h"
#include "disc/DiscSession.h"
#include "player/AudioDeviceSink.h"
#include "tests/common/RecordingSink.h"
#include "tests/common/TestDisc.h"

#include <QElapsedTimer>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr qint64 SectorsPerTick = 4; // what the recording sink takes per timer tick

class CdPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // Track 2 starts 7 sectors into the BIN, track 3 runs to the lead-out.
        m_disc = std::make_unique<TTestDisc>(m_dir.path(), std::vector<int>{60, 150, 90}, 7);
        SetDiscImages({m_disc->CuePath});
        ASSERT_NE(m_session.OpenDrive(0), 0);
    }

    // A player over the open image whose sink takes `chunkBytes` per tick.
    std::unique_ptr<TCdPlayer> makePlayer(TRecordingSink*& sink,
                                          qint64 chunkBytes = SectorsPerTick * CdSectorBytes) {
        auto owned = std::make_unique<TRecordingSink>(chunkBytes);
        sink = owned.get();
        auto player = std::make_unique<TCdPlayer>(std::move(owned));
        player->Open(m_session.Handle);
        return player;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TTestDisc> m_disc;
    TDiscSession m_session;
};

TEST_F(CdPlayerTest, EveryTrackReachesTheSinkExactlyAndEndsOnce) {
    TRecordingSink* sink = nullptr;
    auto player = makePlayer(sink, 1 << 20);
    QSignalSpy finished(player.get(), &TCdPlayer::finished);
    QSignalSpy failed(player.get(), &TCdPlayer::failed);
    for (int track = 1; track <= 3; ++track) {
        SCOPED_TRACE(track);
        finished.clear();
        ASSERT_TRUE(player->PlayTrack(track)) << player->ErrorText().toStdString();
        EXPECT_EQ(player->State(), TCdPlayer::TState::Playing);
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() > 0; }, 5000));
        QTest::qWait(100); // a second signal would come within a few ticks
        EXPECT_EQ(finished.size(), 1);
        EXPECT_EQ(player->State(), TCdPlayer::TState::Stopped);
        const QByteArray expected = m_disc->TrackBytes(track - 1);
        EXPECT_EQ(sink->Recorded.size(), expected.size());
        EXPECT_TRUE(sink->Recorded == expected);
    }
    EXPECT_EQ(failed.size(), 0);
    EXPECT_EQ(sink->WritesOutOfPlay, 0);
}

TEST_F(CdPlayerTest, PauseAndResumeLoseAndRepeatNothing) {
    TRecordingSink* sink = nullptr;
    auto player = makePlayer(sink);
    QSignalSpy finished(player.get(), &TCdPlayer::finished);
    ASSERT_TRUE(player->PlayTrack(2));
    for (int pause = 0; pause < 2; ++pause) {
        const qint64 before = sink->Recorded.size();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return sink->Recorded.size() >= before + 20 * CdSectorBytes; }, 5000));
        player->Pause();
        EXPECT_EQ(player->State(), TCdPlayer::TState::Paused);
        const qint64 atPause = sink->Recorded.size();
        const int position = player->Position();
        QTest::qWait(150);
        EXPECT_EQ(sink->Recorded.size(), atPause);
        EXPECT_EQ(player->Position(), position);
        EXPECT_EQ(finished.size(), 0);
        player->Resume();
        EXPECT_EQ(player->State(), TCdPlayer::TState::Playing);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() > 0; }, 5000));
    EXPECT_TRUE(sink->Recorded == m_disc->TrackBytes(1));
    EXPECT_EQ(sink->WritesOutOfPlay, 0);
}

TEST_F(CdPlayerTest, StopEndsThePlayWithoutASignalAndClosedPlaysNothing) {
    TRecordingSink* sink = nullptr;
    auto player = makePlayer(sink);
    QSignalSpy finished(player.get(), &TCdPlayer::finished);
    QSignalSpy failed(player.get(), &TCdPlayer::failed);
    ASSERT_TRUE(player->PlayTrack(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink->Recorded.size() >= 20 * CdSectorBytes; }, 5000));
    EXPECT_GE(player->Position(), player->StartSector() + 20);
    player->Stop();
    const QByteArray heard = sink->Recorded;
    QTest::qWait(150);
    EXPECT_EQ(sink->Recorded.size(), heard.size());
    EXPECT_LT(heard.size(), m_disc->TrackBytes(1).size());
    EXPECT_TRUE(m_disc->TrackBytes(1).startsWith(heard));
    EXPECT_EQ(finished.size() + failed.size(), 0);
    EXPECT_EQ(player->State(), TCdPlayer::TState::Stopped);

    player->Close();
    EXPECT_FALSE(player->PlayTrack(1));
    EXPECT_EQ(player->ErrorText(), QStringLiteral("No drive is open."));
}

TEST_F(CdPlayerTest, WhatCannotPlaySaysWhy) {
    TRecordingSink* sink = nullptr;
    auto player = makePlayer(sink);
    EXPECT_FALSE(player->PlayTrack(4));
    EXPECT_EQ(player->ErrorText(),
              QStringLiteral("Track 4 is not on the disc (it has tracks 1 to 3)."));
    EXPECT_FALSE(player->Play(30, 30));
    sink->StartError = QStringLiteral("No sound device.");
    EXPECT_FALSE(player->PlayTrack(1));
    EXPECT_EQ(player->ErrorText(), QStringLiteral("No sound device."));
    EXPECT_EQ(player->State(), TCdPlayer::TState::Stopped);

    // A data track is listed but not played.
    const QString cue = TTestDisc::WriteSparse(m_dir.filePath(QStringLiteral("data.cue")), {0, 300},
                                               600, "MODE1/2352");
    SetDiscImages({cue});
    TDiscSession data;
    ASSERT_NE(data.OpenDrive(0), 0);
    player->Open(data.Handle);
    EXPECT_FALSE(player->PlayTrack(1));
    EXPECT_EQ(player->ErrorText(), QStringLiteral("Track 1 is a data track, not audio."));
}

TEST_F(CdPlayerTest, AReadFailureEndsThePlayWithTheSector) {
    // The BIN ends 40 sectors into track 2 (7 + 60 sectors come before it).
    m_disc->TruncateBin(7 + 60 + 40);
    TRecordingSink* sink = nullptr;
    auto player = makePlayer(sink);
    QSignalSpy finished(player.get(), &TCdPlayer::finished);
    QSignalSpy failed(player.get(), &TCdPlayer::failed);
    ASSERT_TRUE(player->PlayTrack(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.size() > 0; }, 5000));
    EXPECT_EQ(failed.at(0).at(0).toString(),
              QStringLiteral("Sector %1 of the disc could not be read.").arg(60 + 40));
    EXPECT_EQ(player->State(), TCdPlayer::TState::Stopped);
    QTest::qWait(100);
    EXPECT_EQ(failed.size(), 1);
    EXPECT_EQ(finished.size(), 0);
    EXPECT_TRUE(m_disc->TrackBytes(1).startsWith(sink->Recorded));
}

// Through QAudioSink on the default sound output; `scripts/setup test` starts a PulseAudio
// server with a null sink for it.
TEST_F(CdPlayerTest, PlaysThroughTheSoundDeviceInRealTime) {
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        if (qEnvironmentVariableIsSet("SONDREL_SOUND_SERVER"))
            FAIL() << "scripts/setup started a sound server, but Qt finds no sound output";
        GTEST_SKIP() << "no sound output: run the tests through scripts/setup test, which "
                        "starts a PulseAudio server with a null sink";
    }
    auto owned = std::make_unique<TRecordingSink>(1 << 30, std::make_unique<TAudioDeviceSink>());
    TRecordingSink* sink = owned.get();
    TCdPlayer player(std::move(owned));
    player.Open(m_session.Handle);
    QSignalSpy finished(&player, &TCdPlayer::finished);
    QSignalSpy failed(&player, &TCdPlayer::failed);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(player.PlayTrack(1)) << player.ErrorText().toStdString(); // 60 sectors, 0.8 s
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() + failed.size() > 0; }, 10000));
    ASSERT_EQ(failed.size(), 0) << failed.at(0).at(0).toString().toStdString();
    EXPECT_GE(clock.elapsed(), 60 * 1000 / 75 - 50); // played at its speed, not at once
    EXPECT_TRUE(sink->Recorded == m_disc->TrackBytes(0));
    player.Close();
    TAudioDeviceSink::LetServerRepliesSettle(); // this process ends soon after
}

} // namespace
