#include "TTrackChecksum.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <isa-l/crc.h>

// The samples are taken from memory as little-endian 32-bit words.
static_assert(std::endian::native == std::endian::little);

namespace {

// Adds the products index × pair of `count` pairs from `data`, the first with index `first`,
// to `products` (modulo 2^64) and their low halves to `lows`. Built for AVX2 as well, chosen
// when the processor has it: the loop is the rip's largest cost after the copying.
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void sumProducts(const uint8_t* data, int64_t first, int64_t count, uint64_t& products,
                 uint64_t& lows) {
    uint64_t p = 0;
    uint64_t l = 0;
    for (int64_t k = 0; k < count; ++k) {
        uint32_t v;
        std::memcpy(&v, data + 4 * k, 4);
        const uint64_t product = uint64_t(v) * uint64_t(uint32_t(first + k));
        p += product;
        l += uint32_t(product);
    }
    products += p;
    lows += l;
}

} // namespace

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
    // runs over those alone, without a branch, so that the compiler can vectorise it.
    const int64_t from = std::max<int64_t>(m_index + 1, m_firstChecked);
    const int64_t to = std::min<int64_t>(m_index + pairs, m_lastChecked);
    if (from <= to)
        sumProducts(data + 4 * (from - m_index - 1), from, to - from + 1, m_products, m_lows);
    m_index += pairs;
}

uint32_t TTrackChecksum::ArV2() const {
    // v2 adds the high halves of the products as well: their sum is what the low halves'
    // sum leaves of the products' sum, shifted down.
    return uint32_t(m_lows) + uint32_t((m_products - m_lows) >> 32);
}
