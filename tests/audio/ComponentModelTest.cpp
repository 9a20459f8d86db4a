// The threading contract of outputs: Start/Stop, event delivery on the GUI thread, failures,
// input changes, and many runs in a row to shake out races.
#include "tests/common/AudioTestUtil.h"
#include "tests/common/TestComponents.h"

#include "audio/ACS_Wave.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <random>

namespace {

struct TEvents {
    int Progress = 0;
    int Done = 0;
    int Exceptions = 0;
    std::vector<int> ProgressValues;
    QStringList Order;
    bool WrongThread = false;

    void Attach(TAuOutput& out) {
        out.SetOnProgress([this](TAuOutput* o) {
            check();
            ++Progress;
            ProgressValues.push_back(o->Progress());
        });
        out.SetOnDone([this](TAuOutput*) {
            check();
            ++Done;
            Order << QStringLiteral("done");
        });
        out.SetOnThreadException([this](TAuOutput* o) {
            check();
            ++Exceptions;
            Order << QStringLiteral("exception:") + o->FailureText();
        });
    }
    void check() {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            WrongThread = true;
    }
};

} // namespace

TEST(ComponentModel, StartTwiceIsBusyAndStartWithoutInputFails) {
    TCountingOutput out;
    try {
        out.Start();
        FAIL() << "Start without input succeeded";
    } catch (const EAuException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Input is not assigned"));
    }
    TPatternInput in(4 << 20);
    in.DelayMs = 1;
    out.SetInput(&in);
    out.Start();
    try {
        out.Start();
        FAIL() << "second Start succeeded";
    } catch (const EAuException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Component is Busy"));
    }
    out.Stop(false);
    EXPECT_FALSE(out.InUse());
}

TEST(ComponentModel, SyncStopLeavesWorkerIdleAndNothingArrivesLater) {
    TPatternInput in(64 << 20);
    in.DelayMs = 1;
    TCountingOutput out;
    out.SetInput(&in);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return ev.Progress >= 1 && out.Bytes > 100000; }));
    // Let the worker queue a few progress events the GUI has not seen yet.
    QThread::msleep(30);
    out.Stop(false);
    EXPECT_TRUE(out.Thread()->IsSuspended());
    EXPECT_FALSE(out.InUse());
    EXPECT_EQ(out.Finished, 1); // a stopped run is still finished
    EXPECT_EQ(in.Finishes, 1);
    const int progressAtStop = ev.Progress;
    ProcessEventsFor(600);
    EXPECT_EQ(ev.Progress, progressAtStop);
    EXPECT_EQ(ev.Done, 0);
    EXPECT_FALSE(ev.WrongThread);
}

TEST(ComponentModel, AsyncStopDeliversDoneLaterAndItsHandlerCanStartAgain) {
    TPatternInput big(64 << 20);
    big.DelayMs = 1;
    TPatternInput small(100000);
    TCountingOutput out;
    out.SetInput(&big);
    TEvents ev;
    ev.Attach(out);
    QElapsedTimer sinceStop;
    qint64 doneAfterMs = -1;
    int runs = 0;
    QString restartError;
    out.SetOnDone([&](TAuOutput* o) {
        ++runs;
        if (runs == 1) {
            doneAfterMs = sinceStop.elapsed();
            try {
                o->SetInput(&small);
                o->Start(); // the worker has suspended: a new run can begin at once
            } catch (const EAuException& e) {
                restartError = e.Message();
            }
        }
    });
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return out.Bytes > 100000; }));
    sinceStop.start();
    out.Stop(true);
    ASSERT_TRUE(WaitFor([&] { return runs == 2; }));
    EXPECT_TRUE(restartError.isEmpty()) << restartError.toStdString();
    EXPECT_GE(doneAfterMs, 290);
    EXPECT_LT(doneAfterMs, 3000);
    EXPECT_EQ(out.Bytes, 100000);
    EXPECT_TRUE(out.FailureText().isEmpty());
    EXPECT_EQ(small.Starts, 1);
    EXPECT_EQ(small.Finishes, 1);
}

TEST(ComponentModel, FailureInPrepareGivesExceptionThenDone) {
    TPatternInput in(1000);
    TCountingOutput out;
    out.FailPrepare = true;
    out.SetInput(&in);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return ev.Done == 1; }));
    ASSERT_EQ(ev.Order.size(), 2);
    EXPECT_EQ(ev.Order[0], QStringLiteral("exception:Cannot prepare the output"));
    EXPECT_EQ(ev.Order[1], QStringLiteral("done"));
    EXPECT_EQ(out.FailureText(), QStringLiteral("Cannot prepare the output"));
    EXPECT_FALSE(out.InUse());
    EXPECT_EQ(out.Finished, 0); // no FinishOutput after a failure
    EXPECT_FALSE(ev.WrongThread);

    // The next run starts clean.
    out.FailPrepare = false;
    out.Start();
    EXPECT_TRUE(out.FailureText().isEmpty());
    ASSERT_TRUE(WaitFor([&] { return ev.Done == 2; }));
    EXPECT_EQ(out.Bytes, 1000);
}

TEST(ComponentModel, SyncStopServicesTheWorkersSynchronousCall) {
    // The worker fails while the GUI thread sits in Stop(false) without an event loop: Stop
    // must run the worker's OnThreadException call itself or both would wait forever.
    TPatternInput in(1000);
    TCountingOutput out;
    out.FailPrepare = true;
    out.PrepareDelayMs = 100;
    out.SetInput(&in);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    QThread::msleep(30); // the worker is inside PrepareOutput now
    out.Stop(false);
    EXPECT_EQ(ev.Exceptions, 1);
    EXPECT_TRUE(out.Thread()->IsSuspended());
    ProcessEventsFor(500);
    EXPECT_EQ(ev.Done, 0);
}

TEST(ComponentModel, UnknownSizeReportsProgressMinusOne) {
    TPatternInput in(300000);
    in.Announced = -1;
    TCountingOutput out;
    out.SetInput(&in);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return ev.Done == 1; }));
    ASSERT_FALSE(ev.ProgressValues.empty());
    for (int p : ev.ProgressValues)
        EXPECT_EQ(p, -1);
    EXPECT_EQ(out.Bytes, 300000);
}

TEST(ComponentModel, ProgressRisesToHundredOnce) {
    TPatternInput in(4096 * 300);
    TCountingOutput out;
    out.SetInput(&in);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return ev.Done == 1; }));
    ASSERT_FALSE(ev.ProgressValues.empty());
    // Only changes are reported: never the same value twice in a row, and never falling.
    for (size_t i = 1; i < ev.ProgressValues.size(); ++i)
        EXPECT_GE(ev.ProgressValues[i], ev.ProgressValues[i - 1]);
    EXPECT_LE(ev.Progress, 101);
    EXPECT_EQ(out.Progress(), 100);
}

TEST(ComponentModel, LoopingInputNeverEnds) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("loop.wav"));
    ASSERT_TRUE(RunSox({QStringLiteral("-r"), QStringLiteral("8000"), QStringLiteral("-c"),
                        QStringLiteral("1"), QStringLiteral("-n"), QStringLiteral("-b"),
                        QStringLiteral("16"), file, QStringLiteral("synth"),
                        QStringLiteral("1000s"), QStringLiteral("sine"), QStringLiteral("300")}));
    TWaveIn in;
    in.SetFileName(file);
    const QByteArray once = ReadAllFrom(in);
    ASSERT_EQ(once.size(), 2000);

    // At the input: the data repeats exactly and no read reports the end.
    in.SetLoop(true);
    in.Open();
    QByteArray got;
    for (int i = 0; i < 40; ++i) {
        char* buffer = nullptr;
        int bytes = 333;
        in.ReadData(buffer, bytes);
        ASSERT_GT(bytes, 0) << "read " << i << " reported the end";
        got.append(buffer, bytes);
    }
    in.Close();
    for (int i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], once[i % once.size()]) << "at byte " << i;

    // Through an output: it keeps running past many times the data.
    in.SetLoop(true);
    TCountingOutput out;
    out.SetInput(&in);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return out.Bytes > 20 * once.size(); }));
    EXPECT_TRUE(out.InUse());
    out.Stop(false);
    EXPECT_EQ(ev.Done, 0);
}

TEST(ComponentModel, ChangingInputOfRunningOutputRestartsIt) {
    TPatternInput slow(64 << 20);
    slow.DelayMs = 1;
    TPatternInput quick(50000);
    TCountingOutput out;
    out.SetInput(&slow);
    TEvents ev;
    ev.Attach(out);
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return out.Bytes > 10000; }));
    out.SetInput(&quick);
    EXPECT_EQ(slow.Finishes, 1);
    EXPECT_FALSE(slow.InUse());
    ASSERT_TRUE(WaitFor([&] { return ev.Done == 1; }));
    EXPECT_EQ(quick.Starts, 1);
    EXPECT_EQ(out.Bytes, 50000);
}

TEST(ComponentModel, FreedInputEmptiesTheOutputsInput) {
    TCountingOutput out;
    auto* in = new TPatternInput(10);
    out.SetInput(in);
    delete in;
    EXPECT_EQ(out.Input(), nullptr);
}

TEST(ComponentModel, OutputFreedWhileRunningOrFromItsDoneHandler) {
    TPatternInput in(64 << 20);
    in.DelayMs = 1;
    {
        TCountingOutput out;
        out.SetInput(&in);
        TEvents ev;
        ev.Attach(out);
        out.Start();
        ASSERT_TRUE(WaitFor([&] { return ev.Progress >= 1; }));
        QThread::msleep(20);
    } // destroyed while running, with events in flight
    ProcessEventsFor(100);
    EXPECT_FALSE(in.InUse());

    TPatternInput small(1000);
    auto* out = new TCountingOutput;
    out->SetInput(&small);
    bool freed = false;
    out->SetOnDone([&](TAuOutput* o) {
        delete o;
        freed = true;
    });
    out->Start();
    ASSERT_TRUE(WaitFor([&] { return freed; }));
    ProcessEventsFor(50);
}

TEST(ComponentModel, StartRightAfterARunEndsIsAccepted) {
    // A caller that polls InUse instead of waiting for OnDone may start again at once, with
    // or without a done handler (whose delay keeps the worker busy a little longer).
    TPatternInput in(20000);
    TCountingOutput out;
    out.SetInput(&in);
    int done = 0;
    for (int i = 0; i < 40; ++i) {
        if (i == 20)
            out.SetOnDone([&](TAuOutput*) { ++done; });
        ASSERT_NO_THROW(out.Start()) << "run " << i;
        ASSERT_TRUE(WaitFor([&] { return !out.InUse(); }));
        ASSERT_EQ(out.Bytes, 20000);
    }
    ASSERT_TRUE(WaitFor([&] { return done == 20; }));
    EXPECT_EQ(in.Starts, 40);
}

TEST(ComponentModel, SyncStopFromInsideTheFailureHandlerReturns) {
    TPatternInput in(1000);
    TCountingOutput out;
    out.FailPrepare = true;
    out.SetInput(&in);
    bool stopped = false;
    QString busy;
    out.SetOnThreadException([&](TAuOutput* o) {
        try {
            o->Start();
        } catch (const EAuException& e) {
            busy = e.Message();
        }
        o->Stop(false); // the worker waits for this very handler: must not wait for it
        stopped = true;
    });
    int done = 0;
    out.SetOnDone([&](TAuOutput*) { ++done; });
    out.Start();
    ASSERT_TRUE(WaitFor([&] { return stopped; }));
    EXPECT_EQ(busy, QStringLiteral("Component is Busy"));
    ASSERT_TRUE(WaitFor([&] { return out.Thread()->IsSuspended(); }));
    ProcessEventsFor(500);
    EXPECT_EQ(done, 0);
}

TEST(ComponentModel, BlockDelayAcceptsOnlyUpToHundred) {
    TCountingOutput out;
    out.SetBlockDelay(40);
    EXPECT_EQ(out.BlockDelay(), 40);
    out.SetBlockDelay(101);
    EXPECT_EQ(out.BlockDelay(), 40);
}

TEST(ComponentModel, ManyRunsStopsAndRestartsInARow) {
    // Random interleavings of Start, Stop(false), Stop(true) and natural ends on two outputs
    // sharing the dispatcher; every run must end idle with its events accounted for.
    std::mt19937 rng(12345);
    TPatternInput inA(2 << 20), inB(2 << 20);
    TCountingOutput a, b;
    a.SetInput(&inA);
    b.SetInput(&inB);
    // The pause before a done event changes no order of events; waiting it out a hundred
    // times would only make the test slow.
    a.SetDoneDelay(0);
    b.SetDoneDelay(0);
    TEvents evA, evB;
    evA.Attach(a);
    evB.Attach(b);
    int expectDoneA = 0;
    for (int i = 0; i < 150; ++i) {
        const int mode = int(rng() % 3);
        inA.Total = (rng() % 2) ? 4096 : (2 << 20);
        inA.Announced = inA.Total;
        a.Start();
        if (i % 5 == 0 && !b.InUse() && b.Thread()->IsSuspended())
            b.Start();
        QThread::usleep(rng() % 2000);
        if (mode == 0) {
            a.Stop(false);
            ASSERT_TRUE(a.Thread()->IsSuspended());
            ASSERT_FALSE(a.InUse());
        } else {
            if (mode == 1)
                a.Stop(true);
            ++expectDoneA;
            ASSERT_TRUE(WaitFor([&] { return evA.Done == expectDoneA; }, 20000))
                << "iteration " << i;
        }
        ASSERT_FALSE(inA.InUse());
    }
    b.Stop(false);
    ProcessEventsFor(400);
    EXPECT_EQ(evA.Done, expectDoneA);
    EXPECT_EQ(evA.Exceptions, 0);
    EXPECT_FALSE(evA.WrongThread);
    EXPECT_FALSE(evB.WrongThread);
}
