#include "VectorState.h"

void ClearUpperVectorState() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool hasAvx = __builtin_cpu_supports("avx");
    // vzeroupper keeps the lower 128 bits of every register, so no value the compiler holds in
    // an SSE register is lost; nothing here is built for AVX, so no wider value is live.
    if (hasAvx)
        __asm__ volatile("vzeroupper");
#endif
}
