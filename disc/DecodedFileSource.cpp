#include "DecodedFileSource.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

bool TDecodedFileSource::Open(const QString& path) {
    m_path = path;
    m_reader.SetRoundDeepSamples(true);
    if (!m_reader.Open(path) || !m_reader.AudioFound()) {
        m_error = QCoreApplication::translate("TDecodedFileSource", "%1 cannot be decoded: %2")
                      .arg(path, m_reader.ErrorText());
        return false;
    }
    // Any sample format will do: the reader rounds it to 16 bits. Rate and channels cannot be
    // changed without changing the audio.
    if (m_reader.SampleRate() != 44100 || m_reader.Channels() != 2) {
        const int channels = m_reader.Channels();
        const char* const text =
            channels == 1
                ? QT_TRANSLATE_NOOP("TDecodedFileSource",
                                    "%1 holds %2 audio at %3 Hz mono, not CD audio: a disc image "
                                    "needs 44100 Hz stereo; convert the file instead")
            : channels == 2
                ? QT_TRANSLATE_NOOP("TDecodedFileSource",
                                    "%1 holds %2 audio at %3 Hz stereo, not CD audio: a disc image "
                                    "needs 44100 Hz stereo; convert the file instead")
                : QT_TRANSLATE_NOOP("TDecodedFileSource",
                                    "%1 holds %2 audio at %3 Hz in %4 channels, not CD audio: a "
                                    "disc image needs 44100 Hz stereo; convert the file instead");
        m_error = QCoreApplication::translate("TDecodedFileSource", text)
                      .arg(path, m_reader.CodecName())
                      .arg(m_reader.SampleRate());
        if (channels != 1 && channels != 2)
            m_error = m_error.arg(channels);
        return false;
    }
    m_samples = m_reader.TotalSamples();
    if (m_samples <= 0) {
        m_error =
            QCoreApplication::translate("TDecodedFileSource", "%1 does not say how long it is")
                .arg(path);
        return false;
    }
    m_next = 0;
    return true;
}

bool TDecodedFileSource::Read(int64_t offset, int64_t count, uint8_t* out) {
    const int64_t sample = offset / 4;
    if (sample != m_next) {
        if (!m_reader.SeekSample(sample)) {
            m_error = QCoreApplication::translate("TDecodedFileSource",
                                                  "%1 cannot be read from sample %2")
                          .arg(m_path)
                          .arg(sample);
            return false;
        }
        m_next = sample;
    }
    int64_t done = 0;
    while (done < count) {
        const uint8_t* data = nullptr;
        const int n = m_reader.Read(data, int(std::min<int64_t>(count - done, 1 << 20)));
        if (n <= 0) {
            m_error = m_reader.ErrorText().isEmpty()
                          ? QCoreApplication::translate("TDecodedFileSource",
                                                        "%1 ends before the disc image does")
                                .arg(m_path)
                          : QStringLiteral("%1: %2").arg(m_path, m_reader.ErrorText());
            m_next = -1; // the decoder's position is unknown now
            return false;
        }
        std::memcpy(out + done, data, size_t(n));
        done += n;
    }
    m_next += count / 4;
    return true;
}
