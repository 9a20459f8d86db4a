#include "TTrackChecksum.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <isa-l/crc.h>

// The samples are taken from memory as little-endian 32-bit words.
static_assert(std::endian::native == std::endian::little);

TTrackChecksum::TTrackChecksum(int64_t totalSamples, bool first, bool last)
    : m_firstChecked(first ? SkippedSectors * SamplesPerSector : 1),
      m_lastChecked(last ? totalSamples - SkippedSectors * SamplesPerSector : totalSamples) {}

void TTrackChecksum::Add(const uint8_t* data, size_t bytes) {
    // ISA-L's CRC32 is the gzip one (zlib's crc32), many times faster than a table.
    for (size_t done = 0; done < bytes;) {
        const size_t n = std::min<size_t>(bytes - done, size_t(1) << 30);
        m_crc = crc32_gzip_refl(m_crc, data + done, n);
        done += n;
    }
    const int64_t pairs = int64_t(bytes / 4);
    // Only the pairs with 1-based index in [m_firstChecked, m_lastChecked] count; the loop
    // runs over those alone, without a branch, so the compiler can vectorise it.
    const int64_t from = std::max<int64_t>(m_index + 1, m_firstChecked);
    const int64_t to = std::min<int64_t>(m_index + pairs, m_lastChecked);
    uint64_t products = 0;
    uint64_t lows = 0;
    for (int64_t i = from; i <= to; ++i) {
        uint32_t v;
        std::memcpy(&v, data + 4 * (i - m_index - 1), 4);
        const uint64_t product = uint64_t(v) * uint64_t(uint32_t(i));
        products += product;
        lows += uint32_t(product);
    }
    m_products += products;
    m_lows += lows;
    m_index += pairs;
}

uint32_t TTrackChecksum::ArV2() const {
    // v2 adds the high halves of the products as well: their sum is what the low halves'
    // sum leaves of the products' sum, shifted down.
    return uint32_t(m_lows) + uint32_t((m_products - m_lows) >> 32);
}
