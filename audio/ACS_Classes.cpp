#include "ACS_Classes.h"

#include <QCoreApplication>
#include <QThread>

#include "audio/GuiCallQueue.h"
#include "audio/VectorState.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// TAuFileStream

TAuFileStream::TAuFileStream(const QString& fileName, uint32_t mode) : QFile(fileName) {
    if (mode == fmCreate) {
        if (!open(QIODevice::ReadWrite | QIODevice::Truncate))
            throw EAuException(
                QCoreApplication::translate("ACS_Classes", "Cannot create file %1").arg(fileName));
        return;
    }
    QIODevice::OpenMode access = QIODevice::ReadOnly;
    switch (mode & 3) {
    case fmOpenWrite:
        access = QIODevice::WriteOnly | QIODevice::ExistingOnly;
        break;
    case fmOpenReadWrite:
        access = QIODevice::ReadWrite | QIODevice::ExistingOnly;
        break;
    default:
        break;
    }
    if (!open(access))
        throw EAuException(
            QCoreApplication::translate("ACS_Classes", "Cannot open file %1").arg(fileName));
}

// ---------------------------------------------------------------------------------------------
// TAuInput

TAuInput::TAuInput(QObject* owner) : QObject(owner) {}

TAuInput::~TAuInput() = default;

QString TAuInput::DamageText() const {
    std::lock_guard<std::recursive_mutex> lk(const_cast<std::recursive_mutex&>(m_dataLock));
    return m_damage;
}

void TAuInput::NoteDamage(const QString& text) {
    std::lock_guard<std::recursive_mutex> lk(m_dataLock);
    if (text.isEmpty() || m_damage.isEmpty())
        m_damage = text;
}

void TAuInput::ReadData(char*& buffer, int& bytes) {
    std::lock_guard<std::recursive_mutex> lk(m_dataLock);
    ReadBlock(buffer, bytes);
}

void TAuInput::Reset() {
    try {
        Close();
    } catch (...) {
    }
    FInUse = false;
}

void TAuInput::Open() {
    std::lock_guard<std::recursive_mutex> lk(m_dataLock);
    FExhausted = false;
    FOpenFailure.clear();
    try {
        StartReading();
    } catch (const std::exception& e) {
        FExhausted = true;
        FOpenFailure = QString::fromUtf8(e.what());
    } catch (...) {
        FExhausted = true;
        FOpenFailure = QCoreApplication::translate("ACS_Classes", "The input could not be opened");
    }
}

void TAuInput::Close() {
    std::lock_guard<std::recursive_mutex> lk(m_dataLock);
    FinishReading();
}

QString TAuInput::OpenFailure() const {
    std::lock_guard<std::recursive_mutex> lk(const_cast<std::recursive_mutex&>(m_dataLock));
    return FOpenFailure;
}

int TAuInput::ReadInto(void* dest, int count) {
    char* buffer = nullptr;
    int bytes = count;
    ReadData(buffer, bytes);
    if (!buffer || bytes <= 0)
        return 0;
    if (dest)
        std::memcpy(dest, buffer, size_t(bytes));
    return bytes;
}

int TAuInput::FillBuffer(void* dest, int count, bool& endReached) {
    endReached = false;
    int done = 0;
    auto* out = static_cast<char*>(dest);
    while (done < count) {
        const int n = ReadInto(out ? out + done : nullptr, count - done);
        if (n == 0) {
            endReached = true;
            break;
        }
        done += n;
    }
    return done;
}

// ---------------------------------------------------------------------------------------------
// TAuStreamedInput

TAuStreamedInput::TAuStreamedInput(QObject* owner) : TAuInput(owner) {}

void TAuStreamedInput::SetStream(QIODevice* stream) {
    FStream = stream;
    FExternalStream = stream != nullptr;
}

void TAuStreamedInput::ReadData(char*& buffer, int& bytes) {
    std::lock_guard<std::recursive_mutex> lk(m_dataLock);
    const int asked = bytes;
    // Only whole frames are delivered: a smaller request would get nothing, which reads as the
    // end of the data.
    if (asked > 0 && asked < FFrameSize)
        throw EAuException(
            QStringLiteral("A read of %1 bytes cannot hold one sample frame of %2 bytes")
                .arg(asked)
                .arg(FFrameSize));
    // Reads one block and applies the end conditions. A block that reaches past a known size
    // is cut at it, so an input never delivers more than it announced.
    auto readOne = [&] {
        bytes = asked;
        buffer = nullptr;
        ReadBlock(buffer, bytes);
        if (bytes <= 0 || !buffer) {
            bytes = 0;
            buffer = nullptr;
            FExhausted = true;
            return;
        }
        const int64_t size = FDataSize.load();
        const int64_t pos = FReadPosition.load();
        if (size > 0 && pos + bytes >= size) {
            bytes = int(std::max<int64_t>(0, size - pos));
            FExhausted = true;
            if (bytes == 0)
                buffer = nullptr;
        }
        FReadPosition = pos + bytes;
    };
    // Starts the data over for looping.
    auto rewind = [&] {
        FExhausted = false;
        if (FCanSeek) {
            int64_t s = FStartSample;
            SeekSample(s);
        } else {
            Close();
            Open();
        }
        FReadPosition = 0;
    };

    if (FExhausted) {
        if (!FLoop) {
            buffer = nullptr;
            bytes = 0;
            return;
        }
        rewind();
    }
    readOne();
    // A loop never reports the end: when the data ran out with nothing delivered, start
    // over within this call (once; an empty input stays empty).
    if (bytes == 0 && FLoop) {
        rewind();
        readOne();
    }
}

// ---------------------------------------------------------------------------------------------
// TAuFileIn

TAuFileIn::TAuFileIn(QObject* owner) : TAuStreamedInput(owner) {}

int TAuFileIn::BitsPerSample() {
    OpenFile();
    return FBitsPerSample;
}

int TAuFileIn::Channels() {
    OpenFile();
    return FChannels;
}

int TAuFileIn::SampleRate() {
    OpenFile();
    return FSampleRate;
}

int TAuFileIn::TotalTime() {
    OpenFile();
    const int bytesPerSample = FBitsPerSample / 8;
    if (FSampleRate == 0 || FChannels == 0 || bytesPerSample == 0) {
        FTotalTime = 0;
        return 0;
    }
    FTotalTime = int(
        std::lround(double(FDataSize.load()) / (double(FSampleRate) * FChannels * bytesPerSample)));
    return FTotalTime;
}

int64_t TAuFileIn::SampleCount() {
    OpenFile();
    const int frame = FChannels * FBitsPerSample / 8;
    const int64_t size = FDataSize.load();
    FSampleCount = (size > 0 && frame > 0) ? size / frame : -1;
    return FSampleCount;
}

void TAuFileIn::StartReading() {
    if (FInUse)
        throw EAuException(QStringLiteral("The component is Busy"));
    if (!FStream && FFileName.isEmpty())
        throw EAuException(QStringLiteral("The file name is not assigned"));
    FInUse = true;
    FReadPosition = 0;
    try {
        OpenFile();
        FFrameSize = FChannels * FBitsPerSample / 8;
        if (!FHeaderValid || FFrameSize == 0 || FSampleRate <= 0)
            throw EAuException(QCoreApplication::translate(
                                   "ACS_Classes", "The file %1 is not in a format that can be read")
                                   .arg(FFileName.isEmpty()
                                            ? QCoreApplication::translate("ACS_Classes", "(stream)")
                                            : FFileName));
        const int64_t size = FDataSize.load();
        FSampleCount = size >= 0 ? size / FFrameSize : 0;
        FTotalTime = int(FSampleCount / FSampleRate);
        if (FStartSample > 0) {
            int64_t s = FStartSample;
            SeekSample(s);
            FReadPosition = 0;
        }
        if ((FStartSample > 0 || FEndSample != -1) && size >= 0) {
            // EndSample is the last sample to deliver (inclusive); one at or past the end
            // means "to the end".
            if (FEndSample >= FSampleCount)
                FEndSample = -1;
            const int64_t last = FEndSample == -1 ? FSampleCount - 1 : FEndSample;
            FSampleCount = std::max<int64_t>(0, last - FStartSample + 1);
            FDataSize = FSampleCount * FFrameSize;
        }
        FBufferNext = 1;
        FBufferLast = 0;
    } catch (...) {
        // A failed start leaves the input free for the next attempt.
        try {
            CloseFile();
        } catch (...) {
        }
        FInUse = false;
        throw;
    }
}

void TAuFileIn::FinishReading() {
    CloseFile();
    FStartSample = 0;
    FEndSample = -1;
    FInUse = false;
}

void TAuFileIn::Reset() {
    TAuStreamedInput::Reset();
    std::lock_guard<std::recursive_mutex> lk(m_openLock);
    if (FOpened > 0) {
        try {
            CloseFile();
        } catch (...) {
        }
    }
    FOpened = 0;
}

void TAuFileIn::SetStream(QIODevice* stream) {
    CloseFile();
    TAuStreamedInput::SetStream(stream);
}

bool TAuFileIn::IsValid() {
    if (!FStream && FFileName.isEmpty())
        return false;
    if (!FCanSeek)
        return true;
    OpenFile();
    return FHeaderValid;
}

bool TAuFileIn::Seek(int64_t sample) {
    if (!FCanSeek)
        return false;
    if (FSampleCount != 0 && FSampleCount < sample)
        return false;
    std::lock_guard<std::recursive_mutex> lk(m_dataLock);
    if (!FInUse) {
        FStartSample = sample;
        FReadPosition = sample * FFrameSize;
        FEndSample = -1;
        return true;
    }
    try {
        int64_t s = FStartSample + sample;
        const bool ok = SeekSample(s);
        FReadPosition = (s - FStartSample) * FFrameSize;
        if (ok)
            FExhausted = false;
        return ok;
    } catch (...) {
        return false;
    }
}

void TAuFileIn::SetFileName(const QString& name) {
    CloseFile();
    FFileName = name;
}

// ---------------------------------------------------------------------------------------------
// TAuOutput

TAuOutput::TAuOutput(QObject* owner) : QObject(owner) {
    FThread = std::make_unique<TAuThread>(this);
    TEventHandler::Acquire();
}

TAuOutput::~TAuOutput() {
    ShutDownWorker();
    TEventHandler::Release();
}

void TAuOutput::ShutDownWorker() {
    if (FShutDown)
        return;
    Stop(false);
    FThread.reset(); // terminates the suspended thread and joins it
    FShutDown = true;
}

void TAuOutput::Start() {
    Q_ASSERT_X(QThread::currentThread() == thread(), "TAuOutput::Start", "off the GUI thread");
    {
        std::lock_guard<std::mutex> lk(m_failureLock);
        FFailureText.clear();
        FSystemError = 0;
    }
    if (FInUse || !FThread || FInFailureCall)
        throw EAuException(QStringLiteral("Component is Busy"));
    // A run that has just ended (InUse already false) may still be finishing its last steps,
    // the done delay included: give it the time to suspend, serving its synchronous calls.
    for (int waited = 0; !FThread->IsSuspended(); waited += 5) {
        if (waited >= 2000)
            throw EAuException(QStringLiteral("Component is Busy"));
        TGuiCallQueue::RunPending();
        FThread->WaitSuspended(5);
    }
    if (!FInput)
        throw EAuException(QStringLiteral("Input is not assigned"));
    // InUse is set here as well as by the worker, so a second Start right after the first is
    // refused even before the worker has woken up.
    FInUse = true;
    FStopCalled = false;
    FThread->StopRequested = false;
    FThread->NotifyDone = true;
    FThread->CycleFinished = false;
    FThread->Resume();
}

void TAuOutput::Stop(bool async) {
    Q_ASSERT_X(QThread::currentThread() == thread(), "TAuOutput::Stop", "off the GUI thread");
    FStopCalled = true;
    if (!FThread)
        return;
    FThread->NotifyDone = async;
    FThread->CycleFinished = false;
    FThread->StopRequested = true;
    if (async)
        return;
    FThread->Wake(); // cuts the done delay short: no done event follows a synchronous stop

    TEventHandler* dispatcher = TEventHandler::Instance();
    if (dispatcher)
        dispatcher->Refuse(this);
    if (FThread->CancelPendingRun())
        FInUse = false; // the run had not begun; nothing to undo
    if (!FInFailureCall) {
        // Inside this output's own OnThreadException the worker waits for that very call, so
        // waiting here would never end; the worker finishes by itself without a done event.
        while (!FThread->IsSuspended()) {
            TGuiCallQueue::RunPending();
            const int delay = FThread->BlockDelay.load();
            FThread->WaitSuspended(delay > 5 ? delay : 1);
        }
        FThread->NotifyDone = true;
    }
    if (dispatcher)
        dispatcher->Unrefuse(this);
}

int TAuOutput::Progress() const {
    TAuInput* input = FInput.data();
    if (!input)
        return 0;
    const int64_t size = input->DataSize();
    if (size < 0)
        return -1;
    if (size == 0)
        return 0;
    return int(std::lround(double(input->ReadPosition()) / double(size) * 100.0));
}

int TAuOutput::BlockDelay() const {
    return FThread ? FThread->BlockDelay.load() : 0;
}

void TAuOutput::SetBlockDelay(int ms) {
    if (FThread && ms >= 0 && ms <= 100)
        FThread->BlockDelay = ms;
}

QString TAuOutput::FailureText() const {
    std::lock_guard<std::mutex> lk(m_failureLock);
    return FFailureText;
}

int TAuOutput::SystemError() const {
    std::lock_guard<std::mutex> lk(m_failureLock);
    return FSystemError;
}

void TAuOutput::SetInput(TAuInput* input) {
    if (FInUse) {
        Stop(false);
        FInput = input;
        Start();
    } else {
        FInput = input;
    }
}

void TAuOutput::SetOnDone(TOutputDoneEvent handler) {
    FHasOnDone = bool(handler);
    FOnDone = std::move(handler);
}

void TAuOutput::SetOnProgress(TOutputProgressEvent handler) {
    FHasOnProgress = bool(handler);
    FOnProgress = std::move(handler);
}

void TAuOutput::SetOnThreadException(TThreadExceptionEvent handler) {
    FOnThreadException = std::move(handler);
}

void TAuOutput::ReleaseAfterFailure() {
    if (TAuInput* input = FInput.data())
        input->Reset();
}

void TAuOutput::ReportFailure(const QString& text, int systemError) {
    {
        std::lock_guard<std::mutex> lk(m_failureLock);
        FFailureText = text;
        FSystemError = systemError;
    }
    TGuiCallQueue::RunSynchronized([this] {
        FWritingAllowed = false;
        FInUse = false;
        if (FOnThreadException) {
            FInFailureCall = true;
            TThreadExceptionEvent handler = FOnThreadException; // the handler may free us
            try {
                handler(this);
            } catch (...) {
            }
            FInFailureCall = false;
        }
    });
}

void TAuOutput::RunCycle() {
    TAuThread* thread = FThread.get();
    FInUse = true;
    FLastProgress = INT_MIN; // the first value of a run is always reported
    bool failed = false;
    QString failure;
    int systemError = 0;
    auto describe = [&systemError](const std::exception& e) {
        if (auto* au = dynamic_cast<const EAuException*>(&e)) {
            systemError = au->SystemError();
            return au->Message();
        }
        return QString::fromUtf8(e.what());
    };
    try {
        PrepareOutput();
        FWritingAllowed = true;
        bool more = true;
        // Each report is a round trip through the dispatcher and the GUI thread; a bar needs
        // no more than about twenty a second, and more made short files pay for the switches.
        constexpr auto reportEvery = std::chrono::milliseconds(50);
        auto lastReport = std::chrono::steady_clock::now();
        while (more && !thread->StopRequested) {
            const int delay = thread->BlockDelay.load();
            if (delay > 5)
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            const int progress = Progress();
            const auto now = std::chrono::steady_clock::now();
            if (progress != FLastProgress &&
                (FLastProgress == INT_MIN || now - lastReport >= reportEvery)) {
                FLastProgress = progress;
                lastReport = now;
                if (FHasOnProgress)
                    if (TEventHandler* d = TEventHandler::Instance())
                        d->Post(TEventHandler::ekProgress, this, thread);
            }
            // Whatever ran on this thread before may have left the AVX state in use; the
            // encoders' SSE code runs at full speed only without it.
            ClearUpperVectorState();
            more = WriteBlock(thread->StopRequested);
        }
    } catch (const std::exception& e) {
        failed = true;
        failure = describe(e);
    } catch (...) {
        failed = true;
        failure =
            QCoreApplication::translate("ACS_Classes", "Unknown failure in the output thread");
    }
    thread->StopRequested = false;
    if (!failed) {
        FWritingAllowed = false;
        try {
            FinishOutput();
        } catch (const std::exception& e) {
            failed = true;
            failure = describe(e);
        } catch (...) {
            failed = true;
            failure =
                QCoreApplication::translate("ACS_Classes", "Unknown failure in the output thread");
        }
    }
    if (failed) {
        // Release the file and the input before anyone hears of the failure, so a handler
        // can start the next run on the same names at once.
        try {
            ReleaseAfterFailure();
        } catch (...) {
        }
        ReportFailure(failure, systemError);
    } else {
        FStopCalled = false;
        FInUse = false;
    }
    if (thread->NotifyDone && FHasOnDone) {
        if (const int delay = FDoneDelay.load(); delay > 0)
            thread->Sleep(delay);
        if (thread->NotifyDone)
            if (TEventHandler* d = TEventHandler::Instance())
                d->Post(TEventHandler::ekDone, this, thread);
    }
    thread->CycleFinished = true;
}

void TAuOutput::DeliverEvent(int kind) {
    // Copies: a handler may free this output.
    if (kind == TEventHandler::ekProgress) {
        TOutputProgressEvent handler = FOnProgress;
        if (handler)
            handler(this);
    } else {
        TOutputDoneEvent handler = FOnDone;
        if (handler)
            handler(this);
    }
}

// ---------------------------------------------------------------------------------------------
// TAuStreamedOutput, TAuFileOut

void TAuStreamedOutput::SetStream(QIODevice* stream) {
    FStream = stream;
    FExternalStream = stream != nullptr;
}

void TAuStreamedOutput::CloseOwnStream() {
    if (FStream && !FExternalStream) {
        delete FStream;
        FStream = nullptr;
    }
}

void TAuStreamedOutput::ReleaseAfterFailure() {
    CloseOwnStream();
    TAuOutput::ReleaseAfterFailure();
}

void TAuFileOut::SetFileMode(TFileOutputMode) {
    FFileMode = foRewrite;
}

// ---------------------------------------------------------------------------------------------
// TAuThread

TAuThread::TAuThread(TAuOutput* owner) : m_owner(owner) {
    m_thread = std::thread([this] { Execute(); });
}

TAuThread::~TAuThread() {
    {
        std::lock_guard<std::mutex> lk(m_lock);
        m_terminated = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TAuThread::Execute() {
    for (;;) {
        {
            std::lock_guard<std::mutex> lk(m_lock);
            m_suspended = true;
        }
        m_changed.notify_all();
        // The dispatcher may be holding this run's done event until the worker has suspended:
        // tell it now rather than let it find out at its next look.
        if (TEventHandler* d = TEventHandler::Instance())
            d->WakeUp();
        {
            std::unique_lock<std::mutex> lk(m_lock);
            m_changed.wait(lk, [this] { return m_runRequested || m_terminated; });
            if (m_terminated)
                return;
            m_runRequested = false;
            m_suspended = false;
            m_wake = false;
            ++m_cycle;
        }
        m_owner->RunCycle();
    }
}

void TAuThread::Resume() {
    {
        std::lock_guard<std::mutex> lk(m_lock);
        m_runRequested = true;
    }
    m_changed.notify_all();
}

bool TAuThread::IsSuspended() const {
    std::lock_guard<std::mutex> lk(m_lock);
    return m_suspended && !m_runRequested;
}

bool TAuThread::CancelPendingRun() {
    std::lock_guard<std::mutex> lk(m_lock);
    if (!m_runRequested)
        return false;
    m_runRequested = false;
    return true;
}

bool TAuThread::WaitSuspended(int ms) const {
    std::unique_lock<std::mutex> lk(m_lock);
    return m_changed.wait_for(lk, std::chrono::milliseconds(ms),
                              [this] { return m_suspended && !m_runRequested; });
}

void TAuThread::Wake() {
    {
        std::lock_guard<std::mutex> lk(m_lock);
        m_wake = true;
    }
    m_changed.notify_all();
}

void TAuThread::Sleep(int ms) {
    std::unique_lock<std::mutex> lk(m_lock);
    m_changed.wait_for(lk, std::chrono::milliseconds(ms),
                       [this] { return m_wake || m_terminated; });
    m_wake = false;
}

bool TAuThread::HasSuspendedSince(uint64_t cycle) const {
    std::lock_guard<std::mutex> lk(m_lock);
    return m_suspended || m_cycle != cycle;
}

uint64_t TAuThread::Cycle() const {
    std::lock_guard<std::mutex> lk(m_lock);
    return m_cycle;
}

// ---------------------------------------------------------------------------------------------
// TEventHandler

struct TEventHandler::TRecord {
    enum TState { Queued, Waiting, Posted, Running, Delivered, Cancelled };
    TEventKind Kind = ekProgress;
    TAuOutput* Sender = nullptr;
    TAuThread* Thread = nullptr;
    uint64_t Cycle = 0; // the worker's run that posted a done event
    TState State = Queued;
};

// Shared between the dispatcher thread and the deliveries posted to the GUI thread, which may
// run after the dispatcher is gone.
struct TEventHandler::TShared {
    std::mutex Lock; // guards everything below
    std::condition_variable Changed;
    std::deque<std::shared_ptr<TRecord>> Queue;
    std::shared_ptr<TRecord> Current;
    std::vector<TAuOutput*> Refused;
    bool Terminated = false;
};

namespace {
std::mutex g_dispatcherLock; // guards the two below
TEventHandler* g_dispatcher = nullptr;
int g_liveOutputs = 0;
} // namespace

TEventHandler* TEventHandler::Acquire() {
    std::lock_guard<std::mutex> lk(g_dispatcherLock);
    if (g_liveOutputs++ == 0)
        g_dispatcher = new TEventHandler;
    return g_dispatcher;
}

void TEventHandler::Release() {
    TEventHandler* last = nullptr;
    {
        std::lock_guard<std::mutex> lk(g_dispatcherLock);
        if (--g_liveOutputs == 0) {
            last = g_dispatcher;
            g_dispatcher = nullptr;
        }
    }
    delete last;
}

TEventHandler* TEventHandler::Instance() {
    std::lock_guard<std::mutex> lk(g_dispatcherLock);
    return g_dispatcher;
}

TEventHandler::TEventHandler() : m_shared(std::make_shared<TShared>()) {
    m_thread = std::thread([this] { Execute(); });
}

TEventHandler::~TEventHandler() {
    {
        std::lock_guard<std::mutex> lk(m_shared->Lock);
        m_shared->Terminated = true;
        if (m_shared->Current && m_shared->Current->State != TRecord::Running)
            m_shared->Current->State = TRecord::Cancelled;
    }
    m_shared->Changed.notify_all();
    m_thread.join();
}

void TEventHandler::WakeUp() {
    // Taking the lock first means a dispatcher between its check and its wait gets the news.
    { std::lock_guard<std::mutex> lk(m_shared->Lock); }
    m_shared->Changed.notify_all();
}

void TEventHandler::Post(TEventKind kind, TAuOutput* sender, TAuThread* thread) {
    auto rec = std::make_shared<TRecord>();
    rec->Kind = kind;
    rec->Sender = sender;
    rec->Thread = thread;
    rec->Cycle = thread ? thread->Cycle() : 0;
    {
        std::lock_guard<std::mutex> lk(m_shared->Lock);
        const auto& refused = m_shared->Refused;
        if (std::find(refused.begin(), refused.end(), sender) != refused.end())
            return;
        m_shared->Queue.push_back(std::move(rec));
    }
    m_shared->Changed.notify_all();
}

void TEventHandler::Refuse(TAuOutput* sender) {
    {
        std::lock_guard<std::mutex> lk(m_shared->Lock);
        m_shared->Refused.push_back(sender);
        auto& q = m_shared->Queue;
        q.erase(std::remove_if(q.begin(), q.end(),
                               [sender](const auto& r) { return r->Sender == sender; }),
                q.end());
        auto& cur = m_shared->Current;
        // The event being delivered is dropped too, unless its handler is running right now
        // (Stop called from inside that handler).
        if (cur && cur->Sender == sender && cur->State != TRecord::Running)
            cur->State = TRecord::Cancelled;
    }
    m_shared->Changed.notify_all();
}

void TEventHandler::Unrefuse(TAuOutput* sender) {
    std::lock_guard<std::mutex> lk(m_shared->Lock);
    auto& refused = m_shared->Refused;
    auto it = std::find(refused.begin(), refused.end(), sender);
    if (it != refused.end())
        refused.erase(it);
}

TAuOutput* TEventHandler::RefusedSender() const {
    std::lock_guard<std::mutex> lk(m_shared->Lock);
    return m_shared->Refused.empty() ? nullptr : m_shared->Refused.back();
}

void TEventHandler::Execute() {
    std::shared_ptr<TShared> sh = m_shared;
    std::unique_lock<std::mutex> lk(sh->Lock);
    while (!sh->Terminated) {
        if (sh->Queue.empty()) {
            sh->Changed.wait_for(lk, std::chrono::milliseconds(100));
            continue;
        }
        std::shared_ptr<TRecord> rec = sh->Queue.front();
        sh->Queue.pop_front();
        sh->Current = rec;
        rec->State = TRecord::Waiting;
        if (rec->Kind == ekDone) {
            // Deliver only once the worker has suspended, so the handler may Start again.
            // The check runs under the lock: a Stop that cancels this record also keeps the
            // thread object alive until the check is over.
            while (!sh->Terminated && rec->State != TRecord::Cancelled &&
                   !rec->Thread->HasSuspendedSince(rec->Cycle))
                sh->Changed.wait_for(lk, std::chrono::milliseconds(10));
            if (rec->State != TRecord::Cancelled) {
                // Progress of the finished run that is still queued is stale now. Events of a
                // later run (started right away) stay: dropping its done event would lose
                // the end of that run.
                auto& q = sh->Queue;
                q.erase(std::remove_if(q.begin(), q.end(),
                                       [&](const auto& r) {
                                           return r->Sender == rec->Sender &&
                                                  r->Kind == ekProgress && r->Cycle <= rec->Cycle;
                                       }),
                        q.end());
            }
        }
        if (sh->Terminated || rec->State == TRecord::Cancelled) {
            sh->Current.reset();
            continue;
        }
        rec->State = TRecord::Posted;
        lk.unlock();
        TGuiCallQueue::PostToGuiThread([sh, rec] {
            {
                std::lock_guard<std::mutex> l(sh->Lock);
                if (rec->State != TRecord::Posted)
                    return; // cancelled by a synchronous Stop meanwhile
                rec->State = TRecord::Running;
            }
            try {
                rec->Sender->DeliverEvent(rec->Kind);
            } catch (...) {
            }
            {
                std::lock_guard<std::mutex> l(sh->Lock);
                rec->State = TRecord::Delivered;
            }
            sh->Changed.notify_all();
        });
        lk.lock();
        sh->Changed.wait(lk, [&] {
            return sh->Terminated || rec->State == TRecord::Delivered ||
                   rec->State == TRecord::Cancelled;
        });
        sh->Current.reset();
    }
}
