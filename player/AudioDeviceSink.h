// The CD player's sink on the desktop's default sound output, through QAudioSink. The volume
// is left to the desktop's mixer. Owner thread only (QAudioSink's timers run there).
#pragma once

#include "PcmSink.h"

#include <QAudioDevice>
#include <memory>

class QAudioSink;
class QIODevice;

class TAudioDeviceSink : public TPcmSink {
public:
    TAudioDeviceSink();
    ~TAudioDeviceSink() override;

    bool Start(QString& error) override;
    qint64 Room() override;
    qint64 Write(const char* data, qint64 size) override;
    qint64 Pending() override;
    void Suspend() override;
    void Resume() override;
    void Stop() override;
    QString Error() override;

private:
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // the sink's, while started
    QAudioDevice m_device;
};
