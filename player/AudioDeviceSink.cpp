#include "AudioDeviceSink.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>
#include <atomic>

namespace {

std::atomic<bool> g_started{false}; // some sink was started in this process

QAudioFormat cdFormat() {
    QAudioFormat f;
    f.setSampleRate(44100);
    f.setChannelCount(2);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

QString errorText(QAudio::Error e) {
    switch (e) {
    case QAudio::NoError:
        return QString();
    case QAudio::OpenError:
        return QCoreApplication::translate("TAudioDeviceSink",
                                           "The sound device could not be opened.");
    case QAudio::IOError:
        return QCoreApplication::translate("TAudioDeviceSink",
                                           "The sound device stopped taking audio.");
    case QAudio::UnderrunError:
        return QString(); // the sink ran dry for a moment: more follows
    case QAudio::FatalError:
        return QCoreApplication::translate("TAudioDeviceSink", "The sound device failed.");
    }
    return QCoreApplication::translate("TAudioDeviceSink", "The sound device failed.");
}

} // namespace

TAudioDeviceSink::TAudioDeviceSink() = default;

TAudioDeviceSink::~TAudioDeviceSink() {
    Stop();
}

bool TAudioDeviceSink::Start(QString& error) {
    Stop();
    m_device = QMediaDevices::defaultAudioOutput();
    if (m_device.isNull()) {
        error = QCoreApplication::translate(
            "TAudioDeviceSink", "No sound device: no sound output is available (is a sound "
                                "server such as PulseAudio running?).");
        return false;
    }
    if (!m_device.isFormatSupported(cdFormat())) {
        error =
            QCoreApplication::translate(
                "TAudioDeviceSink", "The sound device \"%1\" does not take 16-bit stereo 44100 Hz "
                                    "audio.")
                .arg(m_device.description());
        return false;
    }
    g_started = true;
    m_sink = std::make_unique<QAudioSink>(m_device, cdFormat());
    m_sink->setBufferSize(44100); // a quarter second: position and pause follow closely
    m_io = m_sink->start();
    if (!m_io || m_sink->error() == QAudio::OpenError) {
        error = QCoreApplication::translate("TAudioDeviceSink",
                                            "The sound device \"%1\" could not be opened.")
                    .arg(m_device.description());
        m_sink.reset();
        m_io = nullptr;
        return false;
    }
    return true;
}

qint64 TAudioDeviceSink::Room() {
    if (!m_sink || !m_io || m_sink->state() == QAudio::SuspendedState)
        return 0;
    return m_sink->bytesFree() / 4 * 4; // whole sample frames
}

qint64 TAudioDeviceSink::Write(const char* data, qint64 size) {
    if (!m_io)
        return 0;
    const qint64 n = m_io->write(data, size);
    return n < 0 ? 0 : n;
}

qint64 TAudioDeviceSink::Pending() {
    if (!m_sink)
        return 0;
    // The sink turns idle once the sound server has played everything it was given; until
    // then the server still holds some, even when the sink's own buffer is empty.
    if (m_sink->state() == QAudio::IdleState)
        return 0;
    return qMax<qint64>(1, m_sink->bufferSize() - m_sink->bytesFree());
}

void TAudioDeviceSink::Suspend() {
    if (m_sink)
        m_sink->suspend();
}

void TAudioDeviceSink::Resume() {
    if (m_sink)
        m_sink->resume();
}

void TAudioDeviceSink::Stop() {
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
    m_io = nullptr;
}

QString TAudioDeviceSink::Error() {
    return m_sink ? errorText(m_sink->error()) : QString();
}

void TAudioDeviceSink::LetServerRepliesSettle() {
    if (!g_started)
        return;
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
}
