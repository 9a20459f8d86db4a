// An input that passes another input's audio through unchanged and measures its loudness on
// the way (TLoudnessMeter), so a conversion learns the ReplayGain values of what it encodes in
// the same pass. The output it feeds reads it on the output's worker thread; the meter of a
// finished run is read on the GUI thread once the run's done event has arrived.
#pragma once

#include "audio/ACS_Classes.h"
#include "audio/LoudnessMeter.h"

#include <QByteArray>
#include <memory>

class TLoudnessTap : public TAuInput {
public:
    explicit TLoudnessTap(QObject* owner = nullptr);

    // The input whose audio passes through; set before the output starts.
    void SetSource(TAuInput* source) { m_source = source; }
    // The meter of the run that ended last (null before the first); a new one each run.
    std::shared_ptr<const TLoudnessMeter> Meter() const { return m_meter; }

    int BitsPerSample() override { return m_source->BitsPerSample(); }
    int Channels() override { return m_source->Channels(); }
    int SampleRate() override { return m_source->SampleRate(); }
    int TotalTime() override { return m_source->TotalTime(); }
    int64_t SampleCount() override { return m_source->SampleCount(); }
    void StartReading() override;
    void FinishReading() override;
    void ReadBlock(char*& buffer, int& bytes) override;

private:
    // Measures whole frames of `bytes` at `data`; a partial frame waits for the next block.
    void measure(const char* data, int bytes);

    TAuInput* m_source = nullptr;
    std::shared_ptr<TLoudnessMeter> m_meter;
    int m_bits = 16;
    int m_channels = 2;
    QByteArray m_partial;       // the start of a frame a block cut off
    std::vector<float> m_float; // one block's samples, 1.0 = full scale
};
