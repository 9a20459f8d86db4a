#include "TTrackChecksum.h"

#include <algorithm>
#include <zlib.h>

TTrackChecksum::TTrackChecksum(int64_t totalSamples, bool first, bool last)
    : m_firstChecked(first ? SkippedSectors * SamplesPerSector : 1),
      m_lastChecked(last ? totalSamples - SkippedSectors * SamplesPerSector : totalSamples) {}

void TTrackChecksum::Add(const uint8_t* data, size_t bytes) {
    // zlib takes at most 4 GB a call; a track is far smaller, but the loop costs nothing.
    for (size_t done = 0; done < bytes;) {
        const uInt n = uInt(std::min<size_t>(bytes - done, 1u << 30));
        m_crc = uint32_t(crc32(m_crc, data + done, n));
        done += n;
    }
    const int64_t pairs = int64_t(bytes / 4);
    // Only the pairs with 1-based index in [m_firstChecked, m_lastChecked] count; the loop
    // runs over those alone so that it has no branch.
    const int64_t from = std::max<int64_t>(m_index + 1, m_firstChecked);
    const int64_t to = std::min<int64_t>(m_index + pairs, m_lastChecked);
    uint32_t v1 = m_v1;
    uint32_t v2 = m_v2;
    for (int64_t i = from; i <= to; ++i) {
        const uint8_t* p = data + 4 * (i - m_index - 1);
        const uint32_t v =
            uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        const uint64_t product = uint64_t(v) * uint64_t(i);
        v1 += uint32_t(product);
        v2 += uint32_t(product) + uint32_t(product >> 32);
    }
    m_v1 = v1;
    m_v2 = v2;
    m_index += pairs;
}
