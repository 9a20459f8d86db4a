// Runs calls of worker threads on the GUI (main) thread, the thread that runs the Qt event
// loop. The queue is drained both from a posted event and from inside a synchronous wait on
// the GUI thread (TAuOutput::Stop), so a worker waiting for its call and the GUI thread waiting
// for the worker never wait on each other.
#pragma once

#include <functional>

class QObject;

class TGuiCallQueue {
public:
    // Any thread. Runs `call` on the GUI thread and returns once it has run; on the GUI thread
    // itself it runs at once. Exceptions thrown by `call` are caught and dropped. Without a
    // QCoreApplication there is no GUI thread and the call runs on the calling thread.
    static void RunSynchronized(const std::function<void()>& call);

    // GUI thread only (a no-op elsewhere). Runs every call queued so far; returns how many.
    static int RunPending();

    // Any thread. Queues `call` to run on the GUI thread from its event loop and returns at
    // once. The event goes to an object that lives as long as the process, never to a
    // component that may be freed. Without a QCoreApplication the call runs at once.
    static void PostToGuiThread(std::function<void()> call);

    // True on the thread of the QCoreApplication (true everywhere when there is none).
    static bool IsGuiThread();
};
