#include "encode/AlbumGainPass.h"

#include "encode/ReplayGainTagger.h"

#include <chrono>

namespace {
std::atomic<int> delayMs{0};
}

void TAlbumGainPass::SetDelayBeforeEachFile(int ms) {
    delayMs = ms;
}

TAlbumGainPass::TAlbumGainPass(std::vector<TItem> items, QObject* receiver,
                               std::function<void()> done)
    : m_items(std::move(items)) {
    m_thread = std::thread([this, stop = m_stop, receiver, done = std::move(done)] {
        for (const TItem& item : m_items) {
            if (const int ms = delayMs; ms > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            if (*stop)
                return; // Stop waits for us and says so itself
            const QString failure =
                TReplayGainTagger::WriteByCopy(item.Path, item.Format, item.Gain);
            if (failure.isEmpty())
                ++m_tagged;
            else
                m_failures.push_back(failure);
        }
        if (*stop)
            return;
        // Runs on the receiver's thread; a Stop that came in meanwhile has joined us already.
        QMetaObject::invokeMethod(
            receiver,
            [this, stop, done] {
                if (*stop)
                    return; // this pass may be gone
                join();
                done();
            },
            Qt::QueuedConnection);
    });
}

TAlbumGainPass::~TAlbumGainPass() {
    Stop();
}

void TAlbumGainPass::Stop() {
    *m_stop = true;
    join();
}

void TAlbumGainPass::join() {
    if (m_thread.joinable())
        m_thread.join();
}
