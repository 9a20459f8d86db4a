#include "GuiCallQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace {

// Event type of a posted call; far from the message numbers the program uses (2125..2131).
const QEvent::Type CallEventType = QEvent::Type(QEvent::User + 7301);

class TCallEvent : public QEvent {
public:
    explicit TCallEvent(std::function<void()> call)
        : QEvent(CallEventType), Call(std::move(call)) {}
    std::function<void()> Call;
};

// Taken around posting and around taking a posted call. Qt's own queue already orders the two;
// this lock makes the hand-over visible to ThreadSanitizer, which cannot see inside Qt.
std::mutex g_handOver;

// Lives on the GUI thread for the whole process (never freed, so nothing posted to it can
// reach a freed object).
class TGuiTarget : public QObject {
public:
    bool event(QEvent* e) override {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lk(g_handOver);
            if (e->type() != CallEventType)
                return QObject::event(e);
            call = std::move(static_cast<TCallEvent*>(e)->Call);
        }
        try {
            if (call)
                call();
        } catch (...) {
            // A handler's failure must not unwind into the event loop.
        }
        return true;
    }
};

QObject* guiTarget() {
    static QObject* target = [] {
        auto* t = new TGuiTarget;
        if (QCoreApplication* app = QCoreApplication::instance())
            t->moveToThread(app->thread());
        return t;
    }();
    return target;
}

struct TPendingCall {
    std::function<void()> Call;
    bool Done = false;
};

struct TQueue {
    std::mutex Lock; // guards Calls and every TPendingCall::Done
    std::condition_variable Finished;
    std::deque<std::shared_ptr<TPendingCall>> Calls;
};

TQueue& queue() {
    static TQueue q;
    return q;
}

} // namespace

bool TGuiCallQueue::IsGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void TGuiCallQueue::PostToGuiThread(std::function<void()> call) {
    if (!QCoreApplication::instance()) {
        if (call)
            call();
        return;
    }
    // Created outside the lock: moving it to the GUI thread sends it an event at once.
    QObject* target = guiTarget();
    std::lock_guard<std::mutex> lk(g_handOver);
    QCoreApplication::postEvent(target, new TCallEvent(std::move(call)));
}

void TGuiCallQueue::RunSynchronized(const std::function<void()>& call) {
    if (IsGuiThread()) {
        try {
            call();
        } catch (...) {
        }
        return;
    }
    auto pending = std::make_shared<TPendingCall>();
    pending->Call = call;
    TQueue& q = queue();
    {
        std::lock_guard<std::mutex> lk(q.Lock);
        q.Calls.push_back(pending);
    }
    PostToGuiThread([] { RunPending(); });
    std::unique_lock<std::mutex> lk(q.Lock);
    q.Finished.wait(lk, [&] { return pending->Done; });
}

int TGuiCallQueue::RunPending() {
    if (!IsGuiThread())
        return 0;
    TQueue& q = queue();
    int count = 0;
    for (;;) {
        std::shared_ptr<TPendingCall> next;
        {
            std::lock_guard<std::mutex> lk(q.Lock);
            if (q.Calls.empty())
                break;
            next = q.Calls.front();
            q.Calls.pop_front();
        }
        try {
            next->Call();
        } catch (...) {
        }
        ++count;
        {
            std::lock_guard<std::mutex> lk(q.Lock);
            next->Done = true;
        }
        q.Finished.notify_all();
    }
    return count;
}
