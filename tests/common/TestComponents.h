// Small real components for the framework tests: an input that generates a byte pattern (with
// a chosen announced size, speed and failure point) and an output that counts what it pulls.
#pragma once

#include "audio/ACS_Classes.h"

#include <QByteArray>

#include <atomic>
#include <thread>
#include <vector>

// Delivers `Total` bytes of a counting pattern as 16-bit stereo 44.1 kHz, announcing
// `Announced` bytes (-1: unknown), sleeping `DelayMs` per block, failing after `FailAfter`
// blocks when that is >= 0.
class TPatternInput : public TAuInput {
public:
    explicit TPatternInput(int64_t total, QObject* owner = nullptr)
        : TAuInput(owner), Total(total), Announced(total) {}

    int BitsPerSample() override { return 16; }
    int Channels() override { return 2; }
    int SampleRate() override { return 44100; }

    void StartReading() override {
        if (FInUse)
            throw EAuException(QStringLiteral("The component is Busy"));
        FInUse = true;
        ++Starts;
        FReadPosition = 0;
        FDataSize = Announced;
        m_pos = 0;
        m_blocks = 0;
    }
    void FinishReading() override {
        ++Finishes;
        FInUse = false;
    }
    void ReadBlock(char*& buffer, int& bytes) override {
        if (FailAfter >= 0 && m_blocks >= FailAfter)
            throw EAuException(QStringLiteral("Pattern input failed"));
        if (DelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(DelayMs));
        ++m_blocks;
        const int64_t left = Total - m_pos;
        const int n = int(std::min<int64_t>({int64_t(bytes), left, int64_t(sizeof m_buf)}));
        for (int i = 0; i < n; ++i)
            m_buf[i] = char((m_pos + i) * 7);
        m_pos += n;
        FReadPosition += n;
        buffer = m_buf;
        bytes = n;
    }

    // The byte the pattern has at `pos`.
    static char ByteAt(int64_t pos) { return char(pos * 7); }

    int64_t Total;
    int64_t Announced;
    int DelayMs = 0;
    int FailAfter = -1;
    std::atomic<int> Starts{0};
    std::atomic<int> Finishes{0};

private:
    char m_buf[4096];
    int64_t m_pos = 0;
    int m_blocks = 0;
};

// Pulls 4096-byte blocks from its input and counts them; can fail in PrepareOutput.
class TCountingOutput : public TAuOutput {
public:
    explicit TCountingOutput(QObject* owner = nullptr) : TAuOutput(owner) {}
    ~TCountingOutput() override { ShutDownWorker(); }

    std::atomic<int64_t> Bytes{0};
    std::atomic<int> Finished{0};
    bool FailPrepare = false;
    int PrepareDelayMs = 0;

protected:
    void PrepareOutput() override {
        if (PrepareDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(PrepareDelayMs));
        if (FailPrepare)
            throw EAuException(QStringLiteral("Cannot prepare the output"));
        Bytes = 0;
        Input()->Open();
    }
    bool WriteBlock(bool abort) override {
        if (abort)
            return false;
        char buf[4096];
        const int n = Input()->ReadInto(buf, sizeof buf);
        Bytes += n;
        return n > 0;
    }
    void FinishOutput() override {
        ++Finished;
        Input()->Close();
    }
};
