// The album pass at the end of a rip or a conversion: writes the album's ReplayGain values into
// its finished files, one after the other, on a worker thread of its own, so that the job's
// thread (the GUI thread in the window) keeps turning while the copies are made.
#pragma once

#include "audio/ReplayGain.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class TAlbumGainPass {
public:
    // One file to tag: everything the worker needs, copied before it starts, so that it
    // touches nothing of the job's.
    struct TItem {
        QString Path;
        int Format = 0;
        TReplayGain Gain;
    };

    // Starts the worker over `items` in order. Once it has written them all, or stopped between
    // two of them, it calls `done` on `receiver`'s thread (a queued call); not at all when
    // Stop was called first. The receiver must outlive the pass (it owns it).
    TAlbumGainPass(std::vector<TItem> items, QObject* receiver, std::function<void()> done);
    // Stops and joins the worker.
    ~TAlbumGainPass();
    TAlbumGainPass(const TAlbumGainPass&) = delete;
    TAlbumGainPass& operator=(const TAlbumGainPass&) = delete;

    // Asks the worker to stop before its next file and waits for it: at most one file's copy.
    // `done` is not called after it. Receiver's thread.
    void Stop();

    // Once `done` was called or Stop returned (the worker has ended): the files tagged, and
    // the failures, each naming its file.
    int Tagged() const { return m_tagged; }
    // The files the pass was given.
    int Files() const { return int(m_items.size()); }
    const QStringList& Failures() const { return m_failures; }

    // For tests: a wait before each file's copy, ms, so the pass takes long enough to watch.
    static void SetDelayBeforeEachFile(int ms);

private:
    void join();

    std::vector<TItem> m_items;
    // Set by Stop on the receiver's thread, read by the worker between files and by the queued
    // call, which may outlive this pass (shared for that).
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    // Written by the worker only; read on the receiver's thread once it has been joined.
    int m_tagged = 0;
    QStringList m_failures;
    std::thread m_thread;
};
