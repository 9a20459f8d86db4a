// The audio component framework: inputs that deliver PCM, outputs that pull blocks from an
// input in their own worker thread, and the one event-dispatch thread that brings the outputs'
// progress and done events to the GUI (main) thread, the thread that runs the Qt event loop.
//
// Threads, in short:
// - GUI thread: constructs components, sets properties, calls Start/Stop and receives every
//   handler call (OnProgress and OnDone through the dispatcher, OnThreadException through the
//   worker's synchronous call).
// - One worker thread per output (TAuThread): PrepareOutput, WriteBlock, FinishOutput and so
//   every read of the input.
// - One dispatcher thread for all outputs (TEventHandler).
#pragma once

#include "audio/ACS_Tags.h"
#include "audio/ACS_Types.h"

#include <QFile>
#include <QIODevice>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Every error the framework raises; the message is meant for the user.
class EAuException : public std::exception {
public:
    // `systemError`: the system's error number of a failed write or create, where known.
    explicit EAuException(const QString& message, int systemError = 0)
        : m_message(message), m_utf8(message.toStdString()), m_systemError(systemError) {}
    const QString& Message() const { return m_message; }
    int SystemError() const { return m_systemError; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
    int m_systemError = 0;
};

// A file stream opened by name with one of the fm* modes of ACS_Types.h. Raises EAuException
// "Cannot create file %s" / "Cannot open file %s". Deleting it closes the file. Used by one
// thread at a time.
class TAuFileStream : public QFile {
public:
    TAuFileStream(const QString& fileName, uint32_t mode);
};

// Abstract PCM source. Reads, seeks, open and close of one input are serialised by its data
// lock (a recursive mutex). ReadPosition and DataSize are atomic because the GUI thread reads
// them for Progress while the worker reads the input.
class TAuInput : public QObject {
public:
    explicit TAuInput(QObject* owner = nullptr);
    ~TAuInput() override;

    // Format of the delivered PCM.
    virtual int BitsPerSample() = 0;
    virtual int Channels() = 0;
    virtual int SampleRate() = 0;
    virtual int TotalTime() { return 0; }       // whole seconds
    virtual int64_t SampleCount() { return 0; } // frames

    // Prepares to deliver data from the beginning / releases what StartReading took.
    virtual void StartReading() = 0;
    virtual void FinishReading() = 0;
    // Hands out a pointer into the input's own buffer in `buffer` and the bytes valid there in
    // `bytes` (at most the number asked for); 0 bytes means no more data. Called under the data
    // lock on the thread that reads (the worker during a run).
    virtual void ReadBlock(char*& buffer, int& bytes) = 0;
    // The locked, end-of-stream-aware wrapper around ReadBlock.
    virtual void ReadData(char*& buffer, int& bytes);
    // Close with any failure ignored, then InUse = false.
    virtual void Reset();

    // Under the data lock: Exhausted = false, StartReading; a failure there is swallowed and
    // leaves the input empty (Exhausted = true). Outputs call it first in PrepareOutput.
    void Open();
    // Under the data lock: FinishReading; its failure propagates. Outputs call it last.
    void Close();
    // Copies up to `count` bytes from one ReadData call to `dest` (when not null).
    int ReadInto(void* dest, int count);
    // Repeats ReadInto until `count` bytes are copied or the input ends (`endReached` true).
    int FillBuffer(void* dest, int count, bool& endReached);
    void Lock() { m_dataLock.lock(); }
    void Unlock() { m_dataLock.unlock(); }

    int64_t ReadPosition() const { return FReadPosition.load(); }
    // Total bytes the input will deliver in this run; -1 when unknown.
    int64_t DataSize() const { return FDataSize.load(); }
    int FrameSize() const { return FFrameSize; }
    bool InUse() const { return FInUse.load(); }
    bool Exhausted() const { return FExhausted; }
    // Text of the failure the last Open swallowed; empty when it succeeded. Outputs use it to
    // refuse an input that could not be opened instead of writing an empty file.
    QString OpenFailure() const;
    // What the data delivered lacks of what the source holds (a file cut short of the length
    // its header gives, audio that did not decode), naming the file; empty when whole. Set on
    // the reading thread; read once the run is over.
    QString DamageText() const;

protected:
    // Sets the damage text (the first one of a run is kept); empty clears it.
    void NoteDamage(const QString& text);

    std::atomic<int64_t> FReadPosition{0}; // bytes delivered since reading started
    std::atomic<int64_t> FDataSize{0};     // -1 = unknown
    int FFrameSize = 0;                    // channels * bits / 8
    std::atomic<bool> FInUse{false};       // between StartReading and FinishReading
    int FBufferNext = 1;                   // 1-based next unread byte of the block buffer
    int FBufferLast = 0;                   // 1-based last valid byte; Next > Last = empty
    std::recursive_mutex m_dataLock;       // the data lock
    bool FExhausted = false;               // guarded by the data lock
    QString FOpenFailure;                  // guarded by the data lock
    QString m_damage;                      // guarded by the data lock
};

// A source reading from a byte stream, with a sub-range (StartSample..EndSample, inclusive)
// and looping. The stream is a QIODevice; one the caller supplied is never freed here.
class TAuStreamedInput : public TAuInput {
public:
    explicit TAuStreamedInput(QObject* owner = nullptr);

    // GUI thread, while the input is not reading. A stream set here belongs to the caller.
    virtual void SetStream(QIODevice* stream);
    // Positions the data at `sample` (frames from the start of the data); `sample` returns
    // the sample actually reached. False when the input cannot seek.
    virtual bool SeekSample(int64_t& sample) = 0;
    // Stops at the end of the data (or of the sub-range) unless looping; never delivers more
    // than DataSize bytes when DataSize is known. Raises EAuException when asked for fewer
    // bytes than one frame, which could only be answered with nothing.
    void ReadData(char*& buffer, int& bytes) override;

    QIODevice* Stream() const { return FStream; }
    bool ExternalStream() const { return FExternalStream; }
    bool CanSeek() const { return FCanSeek; }
    int64_t StartSample() const { return FStartSample; }
    int64_t EndSample() const { return FEndSample; }
    bool Loop() const { return FLoop.load(); }
    void SetStartSample(int64_t v) { FStartSample = v; }
    void SetEndSample(int64_t v) { FEndSample = v; }
    void SetLoop(bool v) { FLoop = v; }

protected:
    QIODevice* FStream = nullptr;
    bool FExternalStream = false;
    bool FCanSeek = true;
    int64_t FStartSample = 0;
    int64_t FEndSample = -1; // -1 = to the end
    std::atomic<bool> FLoop{false};
    int64_t FSampleCount = 0;
};

// A source reading a named file (or an assigned stream). The open lock serialises OpenFile
// and CloseFile, which the GUI thread (IsValid, format queries) and the worker both call.
class TAuFileIn : public TAuStreamedInput {
public:
    explicit TAuFileIn(QObject* owner = nullptr);

    // Each opens the file first (reading its header), then returns the value.
    int BitsPerSample() override;
    int Channels() override;
    int SampleRate() override;
    int TotalTime() override;
    int64_t SampleCount() override;

    void StartReading() override;
    void FinishReading() override;
    void Reset() override;
    void SetStream(QIODevice* stream) override;

    // Opens the file if not open and reads its header into DataSize, BitsPerSample,
    // SampleRate, Channels and HeaderValid.
    virtual void OpenFile() = 0;
    virtual void CloseFile() = 0;

    // False when there is neither stream nor file name; else (if the input can seek) opens
    // the file and tells whether its header was understood. May raise "Cannot open file %s".
    bool IsValid();
    // Sets the start of the next run (idle) or moves within the running one (counted from
    // StartSample). False when the input cannot seek or `sample` is beyond the end.
    bool Seek(int64_t sample);

    QString FileName() const { return FFileName; }
    // Closes the file, then stores the name.
    void SetFileName(const QString& name);
    bool HeaderValid() const { return FHeaderValid; }

protected:
    std::recursive_mutex m_openLock; // the open lock
    QString FFileName;
    int FOpened = 0; // > 0 while the file is open
    bool FHeaderValid = false;
    int FBitsPerSample = 0;
    int FSampleRate = 0;
    int FChannels = 0;
    int FTotalTime = 0; // whole seconds
};

// A file source that also owns the file's ID3v1, ID3v2 and APEv2 tag objects, created with
// the component and freed with it. The objects follow the component's threading: the GUI
// thread, or the worker of the output pulling from this input while it runs.
class TAuTaggedFileIn : public TAuFileIn {
public:
    explicit TAuTaggedFileIn(QObject* owner = nullptr) : TAuFileIn(owner) {}
    TId3v1Tags* Id3v1Tags() const { return FId3v1Tags.get(); }
    TId3v2Tags* Id3v2Tags() const { return FId3v2Tags.get(); }
    TAPEv2Tags* APEv2Tags() const { return FAPEv2Tags.get(); }
    // Writing a tag property copies the given values into the owned object.
    void SetId3v1Tags(const TId3v1Tags& tags) { FId3v1Tags->Assign(tags); }
    void SetId3v2Tags(const TId3v2Tags& tags) { FId3v2Tags->Assign(tags); }
    void SetAPEv2Tags(const TAPEv2Tags& tags) { FAPEv2Tags->Assign(tags); }

protected:
    const std::unique_ptr<TId3v1Tags> FId3v1Tags = std::make_unique<TId3v1Tags>();
    const std::unique_ptr<TId3v2Tags> FId3v2Tags = std::make_unique<TId3v2Tags>();
    const std::unique_ptr<TAPEv2Tags> FAPEv2Tags = std::make_unique<TAPEv2Tags>();
};

class TAuThread;

// Abstract PCM sink with its own worker thread. Start resumes the worker for one run
// (PrepareOutput, WriteBlock until it returns false or Stop, FinishOutput); the worker then
// suspends itself until the next Start.
//
// Every concrete output must call ShutDownWorker() first in its destructor, so the worker
// never runs a virtual operation of a half-destroyed object.
//
// Shared state: InUse, StopCalled, WritingAllowed and LastProgress are atomic; FailureText
// is guarded by a mutex; the handlers are set and called on the GUI thread only.
class TAuOutput : public QObject {
public:
    explicit TAuOutput(QObject* owner = nullptr);
    ~TAuOutput() override;

    // GUI thread. Clears FailureText; raises "Component is Busy" while a run is in progress or
    // requested (or from inside this output's OnThreadException), "Input is not assigned"
    // without input; else resumes the worker and returns. Right after a run has ended it
    // first waits for the worker to suspend (at most the done delay).
    void Start();
    // GUI thread. async: ask the worker to end after its current block; OnDone follows as
    // usual. Not async: returns only once the worker is idle, running the workers'
    // synchronous calls meanwhile; no OnDone and no progress event of this output is
    // delivered afterwards.
    void Stop(bool async);

    // 0 without input, -1 when the input's size is unknown, else percent read (0..100).
    int Progress() const;
    // Milliseconds the worker sleeps before each block (applied only above 5; values above
    // 100 are ignored).
    int BlockDelay() const;
    void SetBlockDelay(int ms);

    // Milliseconds the worker waits after a run before its done event is posted: 300 by
    // default, giving a window's progress bar time to show 100 %; a command line sets 0. Set
    // on the GUI thread while the output is idle.
    int DoneDelay() const { return FDoneDelay.load(); }
    void SetDoneDelay(int ms) { FDoneDelay.store(ms < 0 ? 0 : ms); }

    QString FailureText() const;
    // The system's error number of the failed run where its output knew it (a write to a full
    // disk: ENOSPC), else 0. Cleared with FailureText.
    int SystemError() const;
    bool InUse() const { return FInUse.load(); }
    bool StopCalled() const { return FStopCalled.load(); }
    bool WritingAllowed() const { return FWritingAllowed.load(); }

    TAuInput* Input() const { return FInput.data(); }
    // GUI thread. On a running output: Stop(false), store, Start.
    virtual void SetInput(TAuInput* input);

    void SetOnDone(TOutputDoneEvent handler);
    // The progress event comes when Progress has changed: the first value of a run at once,
    // then at most one every 50 ms.
    void SetOnProgress(TOutputProgressEvent handler);
    void SetOnThreadException(TThreadExceptionEvent handler);
    const TOutputDoneEvent& OnDone() const { return FOnDone; }
    const TOutputProgressEvent& OnProgress() const { return FOnProgress; }
    const TThreadExceptionEvent& OnThreadException() const { return FOnThreadException; }

    TAuThread* Thread() const { return FThread.get(); }

protected:
    // Worker thread. Pulls one block from the input and writes it; false when there is
    // nothing more to write.
    virtual bool WriteBlock(bool abort) = 0;
    // Worker thread. Completes and closes what was written, then Close()s the input.
    virtual void FinishOutput() = 0;
    // Worker thread. Opens the target, Open()s the input, writes any header.
    virtual void PrepareOutput() = 0;
    // Worker thread, after a failed run (FinishOutput is not called then): releases whatever
    // the run still holds so the next run can create the same file and open the same input.
    // The base resets the input; overrides release their own target first, then call it.
    virtual void ReleaseAfterFailure();

    // Stops the worker for good and waits for it. Idempotent; see the class comment.
    void ShutDownWorker();

    std::atomic<bool> FStopCalled{false};
    std::atomic<bool> FWritingAllowed{false};
    std::atomic<int> FLastProgress{0};
    std::atomic<bool> FInUse{false};
    std::atomic<int> FDoneDelay{300};

private:
    friend class TAuThread;
    friend class TEventHandler;

    // Worker thread: one whole run.
    void RunCycle();
    // Worker thread: records the failure and calls OnThreadException on the GUI thread.
    void ReportFailure(const QString& text, int systemError);
    // GUI thread, from the dispatcher.
    void DeliverEvent(int kind);

    mutable std::mutex m_failureLock; // guards FFailureText and FSystemError
    QString FFailureText;
    int FSystemError = 0;
    std::unique_ptr<TAuThread> FThread;
    QPointer<TAuInput> FInput;
    TOutputDoneEvent FOnDone;
    TOutputProgressEvent FOnProgress;
    TThreadExceptionEvent FOnThreadException;
    std::atomic<bool> FHasOnDone{false};
    std::atomic<bool> FHasOnProgress{false};
    bool FShutDown = false;
    std::atomic<bool> FInFailureCall{false}; // GUI thread runs OnThreadException
};

// A sink writing to a byte stream; a stream the caller supplied is never freed here.
class TAuStreamedOutput : public TAuOutput {
public:
    explicit TAuStreamedOutput(QObject* owner = nullptr) : TAuOutput(owner) {}
    // GUI thread, while idle. The stream stays the caller's.
    void SetStream(QIODevice* stream);
    QIODevice* Stream() const { return FStream; }
    bool ExternalStream() const { return FExternalStream; }

protected:
    // Frees the stream if this output opened it, then resets the input.
    void ReleaseAfterFailure() override;
    // Frees the stream if this output opened it (worker thread).
    void CloseOwnStream();

    QIODevice* FStream = nullptr;
    bool FExternalStream = false;
};

// A sink writing a named file.
class TAuFileOut : public TAuStreamedOutput {
public:
    explicit TAuFileOut(QObject* owner = nullptr) : TAuStreamedOutput(owner) {}
    QString FileName() const { return FFileName; }
    // Stores the name (nothing is closed).
    void SetFileName(const QString& name) { FFileName = name; }
    TFileOutputMode FileMode() const { return FFileMode; }
    // The base stores foRewrite whatever it is given; outputs that can append override it.
    virtual void SetFileMode(TFileOutputMode mode);
    uint32_t AccessMask() const { return FAccessMask; }
    void SetAccessMask(uint32_t mask) { FAccessMask = mask; }

protected:
    QString FFileName;
    TFileOutputMode FFileMode = foRewrite;
    uint32_t FAccessMask = 0; // passed to the stream, which ignores it
};

// A file sink that also owns ID3v1, ID3v2 and APEv2 tag objects, created with the component
// and freed with it. Set them on the GUI thread before Start; the worker reads them during
// the run.
class TAuTaggedFileOut : public TAuFileOut {
public:
    explicit TAuTaggedFileOut(QObject* owner = nullptr) : TAuFileOut(owner) {}
    TId3v1Tags* Id3v1Tags() const { return FId3v1Tags.get(); }
    TId3v2Tags* Id3v2Tags() const { return FId3v2Tags.get(); }
    TAPEv2Tags* APEv2Tags() const { return FAPEv2Tags.get(); }
    // Writing a tag property copies the given values into the owned object.
    void SetId3v1Tags(const TId3v1Tags& tags) { FId3v1Tags->Assign(tags); }
    void SetId3v2Tags(const TId3v2Tags& tags) { FId3v2Tags->Assign(tags); }
    void SetAPEv2Tags(const TAPEv2Tags& tags) { FAPEv2Tags->Assign(tags); }

protected:
    const std::unique_ptr<TId3v1Tags> FId3v1Tags = std::make_unique<TId3v1Tags>();
    const std::unique_ptr<TId3v2Tags> FId3v2Tags = std::make_unique<TId3v2Tags>();
    const std::unique_ptr<TAPEv2Tags> FAPEv2Tags = std::make_unique<TAPEv2Tags>();
};

// The worker thread of one output. Created suspended with its output; each Resume runs one
// cycle, after which the thread suspends itself again. Its flags are atomic; the suspension
// state is guarded by its own mutex.
class TAuThread {
public:
    explicit TAuThread(TAuOutput* owner);
    ~TAuThread(); // terminates, resumes and joins

    // GUI thread: asks for one more run (picked up as soon as the thread is suspended).
    void Resume();
    // Any thread: true while the thread waits for Resume and no run is pending.
    bool IsSuspended() const;
    // GUI thread: withdraws a run that was asked for but has not begun; true if it did.
    bool CancelPendingRun();
    // Waits up to `ms` milliseconds for the thread to become suspended; true if it is.
    bool WaitSuspended(int ms) const;
    // Wakes a sleep of the thread (the done delay) so it can see a changed flag.
    void Wake();

    std::atomic<bool> NotifyDone{true};     // post OnDone at the end of the run
    std::atomic<bool> CycleFinished{false}; // set when a run has ended
    std::atomic<bool> StopRequested{false}; // polled before each block
    std::atomic<int> BlockDelay{0};         // milliseconds, 0..100

    // Worker thread: sleeps `ms` milliseconds, returning early when woken.
    void Sleep(int ms);

private:
    void Execute();

    friend class TEventHandler;
    // True once the thread has suspended after run number `cycle` (or begun a later one).
    bool HasSuspendedSince(uint64_t cycle) const;
    uint64_t Cycle() const;

    TAuOutput* m_owner;
    mutable std::mutex m_lock; // guards the flags below
    mutable std::condition_variable m_changed;
    bool m_suspended = true;
    bool m_runRequested = false;
    bool m_terminated = false;
    bool m_wake = false;
    uint64_t m_cycle = 0; // runs begun
    std::thread m_thread;
};

// The one event-dispatch thread shared by every output. Workers post progress and done
// events; the dispatcher delivers each on the GUI thread and waits until its handler has run.
// A done event is delivered only once its worker has suspended. The queue, RefusedSender and
// the state of the event being delivered are guarded by one mutex.
class TEventHandler {
public:
    enum TEventKind : uint8_t { ekProgress = 0, ekDone = 1 };

    // GUI thread: the outputs count themselves in and out; the dispatcher exists while at
    // least one output does.
    static TEventHandler* Acquire();
    static void Release();
    static TEventHandler* Instance();

    // Worker thread: queue an event unless its sender is refused.
    void Post(TEventKind kind, TAuOutput* sender, TAuThread* thread);
    // Any thread: a worker has suspended; a done event waiting for that may go now.
    void WakeUp();
    // GUI thread: refuse the sender's events and drop the queued and undelivered ones.
    void Refuse(TAuOutput* sender);
    // GUI thread: accept the sender's events again.
    void Unrefuse(TAuOutput* sender);
    // The output whose events are refused at the moment (the latest one), or null.
    TAuOutput* RefusedSender() const;

    struct TRecord;
    struct TShared;

private:
    TEventHandler();
    ~TEventHandler();
    void Execute();

    std::shared_ptr<TShared> m_shared;
    std::thread m_thread;
};
