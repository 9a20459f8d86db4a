// Lets a long command stop cleanly on Ctrl+C or a termination request: while a
// TStopOnSignal exists, SIGINT and SIGTERM call its callback on the main thread (through a pipe
// the event loop watches) instead of ending the process. One at a time; main thread only.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

// While it exists, SIGINT and SIGTERM call `onStop` on the main thread (through a pipe that the
// event loop watches) instead of ending the process.
class TStopOnSignal {
public:
    explicit TStopOnSignal(std::function<void()> onStop) {
        if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                         [onStop = std::move(onStop)] {
                             char c;
                             while (::read(s_pipe[0], &c, 1) > 0) {
                             }
                             onStop();
                         });
        struct sigaction sa {};
        sa.sa_handler = [](int) {
            const char c = 1;
            [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &c, 1);
        };
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &m_oldInt);
        ::sigaction(SIGTERM, &sa, &m_oldTerm);
        // A signal the caller chose to ignore (a background job's SIGINT) stays ignored.
        if (m_oldInt.sa_handler == SIG_IGN)
            ::sigaction(SIGINT, &m_oldInt, nullptr);
        if (m_oldTerm.sa_handler == SIG_IGN)
            ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_active = true;
    }
    ~TStopOnSignal() {
        if (!m_active)
            return;
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_notifier.reset();
        ::close(s_pipe[0]);
        ::close(s_pipe[1]);
    }
    TStopOnSignal(const TStopOnSignal&) = delete;
    TStopOnSignal& operator=(const TStopOnSignal&) = delete;

private:
    static inline int s_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
    bool m_active = false;
};
