#include "codecs/ape/ApeNNFilter.h"

#include <atomic>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

std::atomic<bool> g_allowAvx2{true};

int16_t saturate16(int32_t v) {
    return v > 32767 ? 32767 : v < -32768 ? -32768 : int16_t(v);
}

size_t roundUp8(size_t n) {
    return (n + 7) & ~size_t(7);
}

} // namespace

TApeNNFilter::TApeNNFilter(int order, int shift)
    : m_order(order), m_shift(shift), m_round(int32_t(1) << (shift - 1)) {
    // Orders are multiples of 16, so whole 8- and 16-sample vectors cover them.
    const size_t coefs = roundUp8(size_t(order)) + 16; // + 16 to align
    const size_t history = size_t(order) + kWindow;
    m_storage = std::make_unique<int16_t[]>(coefs + 2 * history);
    auto base = reinterpret_cast<uintptr_t>(m_storage.get());
    m_coef = reinterpret_cast<int16_t*>((base + 31) & ~uintptr_t(31));
#if defined(__x86_64__) || defined(__i386__)
    m_avx2 = g_allowAvx2.load() && __builtin_cpu_supports("avx2");
#endif
    m_inputs = m_storage.get() + coefs;
    m_adapts = m_inputs + history;
    reset();
}

void TApeNNFilter::AllowAvx2(bool allow) {
    g_allowAvx2 = allow;
}

void TApeNNFilter::reset() {
    std::memset(m_coef, 0, sizeof(int16_t) * size_t(m_order));
    std::memset(m_inputs, 0, sizeof(int16_t) * size_t(m_order + kWindow));
    std::memset(m_adapts, 0, sizeof(int16_t) * size_t(m_order + kWindow));
    m_dot = 0;
    m_average = 0;
    m_pos = m_order;
}

#if defined(__x86_64__) || defined(__i386__)
// The same kernel with 256-bit vectors, for processors that have AVX2 (chosen at run time).
__attribute__((target("avx2"))) static int32_t
adaptAndDotAvx2(int16_t* coef, const int16_t* inputs, const int16_t* adapts, int n, int sign) {
    __m256i sum = _mm256_setzero_si256();
    for (int j = 0; j < n; j += 16) {
        __m256i c = _mm256_load_si256(reinterpret_cast<const __m256i*>(coef + j));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(adapts + j));
        if (sign > 0)
            c = _mm256_sub_epi16(c, d);
        else if (sign < 0)
            c = _mm256_add_epi16(c, d);
        _mm256_store_si256(reinterpret_cast<__m256i*>(coef + j), c);
        sum = _mm256_add_epi32(
            sum,
            _mm256_madd_epi16(c, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(inputs + j))));
    }
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(s);
}
#endif

int32_t TApeNNFilter::adaptAndDot(const int16_t* inputs, const int16_t* adapts, int sign) {
    const int n = m_order;
#if defined(__x86_64__) || defined(__i386__)
    if (m_avx2)
        return adaptAndDotAvx2(m_coef, inputs, adapts, n, sign);
#endif
#if defined(__SSE2__)
    __m128i sum = _mm_setzero_si128();
    if (sign > 0) {
        for (int j = 0; j < n; j += 8) {
            __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(m_coef + j));
            c = _mm_sub_epi16(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(adapts + j)));
            _mm_store_si128(reinterpret_cast<__m128i*>(m_coef + j), c);
            sum = _mm_add_epi32(
                sum,
                _mm_madd_epi16(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(inputs + j))));
        }
    } else if (sign < 0) {
        for (int j = 0; j < n; j += 8) {
            __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(m_coef + j));
            c = _mm_add_epi16(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(adapts + j)));
            _mm_store_si128(reinterpret_cast<__m128i*>(m_coef + j), c);
            sum = _mm_add_epi32(
                sum,
                _mm_madd_epi16(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(inputs + j))));
        }
    } else {
        for (int j = 0; j < n; j += 8) {
            const __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(m_coef + j));
            sum = _mm_add_epi32(
                sum,
                _mm_madd_epi16(c, _mm_loadu_si128(reinterpret_cast<const __m128i*>(inputs + j))));
        }
    }
    // Horizontal sum; every addition wraps at 32 bits like the scalar definition.
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sum);
#else
    uint32_t sum = 0;
    for (int j = 0; j < n; ++j) {
        if (sign > 0)
            m_coef[j] = int16_t(uint16_t(m_coef[j]) - uint16_t(adapts[j]));
        else if (sign < 0)
            m_coef[j] = int16_t(uint16_t(m_coef[j]) + uint16_t(adapts[j]));
        sum += uint32_t(int32_t(m_coef[j]) * int32_t(inputs[j]));
    }
    return int32_t(sum);
#endif
}

int32_t TApeNNFilter::compress(int32_t x) {
    // The prediction uses the exact (64-bit) rounding addition.
    const int32_t prediction = int32_t((int64_t(m_dot) + m_round) >> m_shift);
    const int32_t out = int32_t(uint32_t(x) - uint32_t(prediction));

    // The newest input joins the window before the next dot product is formed; the adaptation
    // uses the adapt values of the inputs that this prediction was made from.
    m_inputs[m_pos] = saturate16(x);
    const int sign = out > 0 ? 1 : out < 0 ? -1 : 0;
    m_dot = adaptAndDot(m_inputs + m_pos + 1 - m_order, m_adapts + m_pos - m_order, sign);

    // Adapt value of this input: large inputs against the running average adapt faster.
    const int32_t a = x < 0 ? -x : x;
    int16_t adapt = 0;
    if (int64_t(a) > int64_t(m_average) * 3)
        adapt = x > 0 ? -32 : 32;
    else if (int64_t(a) > (int64_t(m_average) * 4) / 3)
        adapt = x > 0 ? -16 : 16;
    else if (a > 0)
        adapt = x > 0 ? -8 : 8;
    m_average += (a - m_average) / 16;
    m_adapts[m_pos - 1] >>= 1;
    m_adapts[m_pos - 2] >>= 1;
    m_adapts[m_pos - 8] >>= 1;
    m_adapts[m_pos] = adapt;

    if (++m_pos == m_order + kWindow) {
        std::memmove(m_inputs, m_inputs + kWindow, sizeof(int16_t) * size_t(m_order));
        std::memmove(m_adapts, m_adapts + kWindow, sizeof(int16_t) * size_t(m_order));
        m_pos = m_order;
    }
    return out;
}
