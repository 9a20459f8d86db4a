#include "TrackReader.h"

#include <cstring>

namespace {

// floor(a / b) for b > 0.
int64_t floorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

TTrackReader::TTrackReader(HCDROM handle, TSectorRead read, bool secure, int offsetSamples,
                           int discSectors)
    : m_handle(handle), m_read(std::move(read)), m_secure(secure), m_offsetBytes(offsetSamples * 4),
      m_discSectors(discSectors) {}

bool TTrackReader::Read(int sector, int count, uint8_t* out) {
    if (m_offsetBytes == 0)
        return readSectors(sector, count, out);
    // The audio of these sectors lies m_offsetBytes further on: read the sectors that cover
    // it and copy the span out.
    const int64_t from = int64_t(sector) * CdSectorBytes + m_offsetBytes;
    const int64_t bytes = int64_t(count) * CdSectorBytes;
    const int64_t first = floorDiv(from, CdSectorBytes);
    const int64_t last = floorDiv(from + bytes - 1, CdSectorBytes);
    const int span = int(last - first + 1);
    m_span.assign(size_t(span) * CdSectorBytes, 0);
    // Only the sectors on the disc are read; the rest stay silent.
    const int64_t readFrom = std::max<int64_t>(first, 0);
    const int64_t readTo = std::min<int64_t>(last, int64_t(m_discSectors) - 1);
    if (readTo >= readFrom && !readSectors(int(readFrom), int(readTo - readFrom + 1),
                                           m_span.data() + (readFrom - first) * CdSectorBytes))
        return false;
    std::memcpy(out, m_span.data() + (from - first * CdSectorBytes), size_t(bytes));
    return true;
}

bool TTrackReader::readSectors(int sector, int count, uint8_t* out) {
    return m_secure ? readSecure(sector, count, out) : readOnce(sector, count, out);
}

bool TTrackReader::readOnce(int sector, int count, uint8_t* out) {
    const size_t capacity = size_t(count) * CdSectorBytes;
    m_request.resize(sizeof(TTrackBuf) + capacity);
    auto* buf = reinterpret_cast<TTrackBuf*>(m_request.data());
    std::memset(buf, 0, sizeof(TTrackBuf));
    buf->StartFrame = uint32_t(sector);
    buf->NumFrames = uint32_t(count);
    buf->MaxLen = uint32_t(capacity);
    // A source that returns fewer bytes than asked, or puts them outside the room, failed.
    if (m_read(m_handle, buf) != 1 || buf->StartOffset < 0 || buf->Len != capacity ||
        size_t(buf->StartOffset) + buf->Len > capacity)
        return false;
    std::memcpy(out, buf->data() + buf->StartOffset, capacity);
    return true;
}

bool TTrackReader::readSecure(int sector, int count, uint8_t* out) {
    const size_t bytes = size_t(count) * CdSectorBytes;
    // A failed request is tried again: a scratch may fail a read as well as change it.
    auto readRetrying = [&](int s, int n, uint8_t* to) {
        for (int attempt = 0; attempt < MaxReads; ++attempt)
            if (readOnce(s, n, to))
                return true;
        return false;
    };
    m_second.resize(bytes);
    if (!readRetrying(sector, count, out) || !readRetrying(sector, count, m_second.data()))
        return false;
    if (std::memcmp(out, m_second.data(), bytes) == 0)
        return true;
    // Sector by sector: each that differs is read alone until a read repeats an earlier one.
    std::vector<uint8_t> reads;
    for (int i = 0; i < count; ++i) {
        uint8_t* mine = out + size_t(i) * CdSectorBytes;
        const uint8_t* other = m_second.data() + size_t(i) * CdSectorBytes;
        if (std::memcmp(mine, other, CdSectorBytes) == 0)
            continue;
        reads.assign(mine, mine + CdSectorBytes);
        reads.insert(reads.end(), other, other + CdSectorBytes);
        bool agreed = false;
        for (int r = 2; r < MaxReads && !agreed; ++r) {
            uint8_t fresh[CdSectorBytes];
            if (!readRetrying(sector + i, 1, fresh))
                return false;
            for (size_t k = 0; k < reads.size() && !agreed; k += CdSectorBytes)
                agreed = std::memcmp(reads.data() + k, fresh, CdSectorBytes) == 0;
            reads.insert(reads.end(), fresh, fresh + CdSectorBytes);
        }
        // The read that repeated (or, without agreement, the last one) is the sector's audio.
        std::memcpy(mine, reads.data() + reads.size() - CdSectorBytes, CdSectorBytes);
        agreed ? ++m_reRead : ++m_unreadable;
    }
    return true;
}
