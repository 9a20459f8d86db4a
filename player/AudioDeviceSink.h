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

    // Qt 6.4's sound engine stops its PulseAudio threads in an exit handler, and libpulse aborts
    // the process when a reply of the sound server is being dispatched at that moment (the
    // server answers a stream's end for some milliseconds after the sink has closed). A process
    // that played calls this once its last sink has closed and before it ends: it runs the
    // event loop for 300 ms so those replies have arrived. Does nothing when no sink was
    // started. Owner thread.
    static void LetServerRepliesSettle();

private:
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // the sink's, while started
    QAudioDevice m_device;
};
