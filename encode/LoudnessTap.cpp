#include "LoudnessTap.h"

#include <cstring>

TLoudnessTap::TLoudnessTap(QObject* owner) : TAuInput(owner) {}

void TLoudnessTap::StartReading() {
    if (!m_source)
        throw EAuException(QStringLiteral("Input is not assigned"));
    m_source->Open();
    if (!m_source->OpenFailure().isEmpty())
        throw EAuException(m_source->OpenFailure());
    FInUse = true;
    FReadPosition = 0;
    FDataSize = m_source->DataSize();
    FFrameSize = m_source->FrameSize();
    m_bits = m_source->BitsPerSample();
    m_channels = m_source->Channels();
    m_partial.clear();
    m_meter.reset();
    if ((m_bits == 8 || m_bits == 16 || m_bits == 24 || m_bits == 32) && m_channels > 0)
        m_meter = std::make_shared<TLoudnessMeter>(unsigned(m_channels),
                                                   (unsigned long)m_source->SampleRate());
}

void TLoudnessTap::FinishReading() {
    FInUse = false;
    m_source->Close();
}

void TLoudnessTap::ReadBlock(char*& buffer, int& bytes) {
    m_source->ReadData(buffer, bytes);
    if (!buffer || bytes <= 0)
        return;
    FReadPosition += bytes;
    if (m_meter)
        measure(buffer, bytes);
}

void TLoudnessTap::measure(const char* data, int bytes) {
    const int sampleBytes = m_bits / 8;
    const int frameBytes = sampleBytes * m_channels;
    if (!m_partial.isEmpty()) {
        // Complete the frame the last block cut off.
        const int need = std::min(frameBytes - int(m_partial.size()), bytes);
        m_partial.append(data, need);
        data += need;
        bytes -= need;
        if (m_partial.size() < frameBytes)
            return;
        const QByteArray frame = m_partial;
        m_partial.clear();
        measure(frame.constData(), frameBytes);
    }
    const int frames = bytes / frameBytes;
    if (bytes % frameBytes)
        m_partial = QByteArray(data + frames * frameBytes, bytes % frameBytes);
    if (m_bits == 16) {
        m_meter->AddPcm16(reinterpret_cast<const uint8_t*>(data), size_t(frames));
        return;
    }
    const size_t n = size_t(frames) * size_t(m_channels);
    m_float.resize(n);
    const auto* p = reinterpret_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i, p += sampleBytes) {
        switch (m_bits) {
        case 8: // unsigned, 128 is silence
            m_float[i] = (int(p[0]) - 128) / 128.0f;
            break;
        case 24:
            m_float[i] =
                float(int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >>
                      8) /
                8388608.0f;
            break;
        default: {
            int32_t v;
            std::memcpy(&v, p, 4);
            m_float[i] = float(v / 2147483648.0);
        }
        }
    }
    m_meter->AddFloat(m_float.data(), size_t(frames));
}
