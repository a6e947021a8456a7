// The MD5 compression function for x86 processors with AVX-512VL. MD5 is one
// chain of dependent steps, so the vectors serve for their instructions, not
// their width: the chaining values live in lane 0 of four registers, where
// vpternlogd computes any of F, G, H and I in one operation and vprold
// rotates. A step then costs four operations in a row where the portable one
// needs up to five: faster wherever these take a cycle each, as they do on
// Intel's processors and AMD's Zen 4, but not on Zen 5 (see below).
#include "md5_transform.h"

#ifdef KESTRUM_MD5_HAS_AVX512

#include <cpuid.h>
#include <immintrin.h>

#define KESTRUM_AVX512 __attribute__((target("avx512f,avx512vl")))

namespace {

// vpternlogd looks its result up in an 8-bit table indexed by the three input
// bits; the table of a function is the function applied to these columns.
const int kB = 0xF0, kC = 0xCC, kD = 0xAA;
const int kTableF = ((kB & kC) | (~kB & kD)) & 0xFF;
const int kTableG = ((kB & kD) | (kC & ~kD)) & 0xFF;
const int kTableH = (kB ^ kC ^ kD) & 0xFF;
const int kTableI = (kC ^ (kB | ~kD)) & 0xFF;

// x86 is little-endian: a word is one unaligned 32-bit load.
#define WORD(k) _mm_loadu_si32(block + 4 * (k))

// As in the portable version, word and constant join a before b is known.
// Left to itself the compiler moves them after f, onto the chain: the empty
// asm makes the partial sum a value it must produce first.
#define STEP(table, a, b, c, d, k, t, s)                                                           \
    a = _mm_add_epi32(a, _mm_add_epi32(WORD(k), _mm_cvtsi32_si128((int)(t))));                     \
    __asm__("" : "+v"(a));                                                                         \
    a = _mm_add_epi32(a, _mm_ternarylogic_epi32(b, c, d, table));                                  \
    a = _mm_add_epi32(_mm_rol_epi32(a, s), b);
#define STEP_F(a, b, c, d, k, t, s) STEP(kTableF, a, b, c, d, k, t, s)
#define STEP_G(a, b, c, d, k, t, s) STEP(kTableG, a, b, c, d, k, t, s)
#define STEP_H(a, b, c, d, k, t, s) STEP(kTableH, a, b, c, d, k, t, s)
#define STEP_I(a, b, c, d, k, t, s) STEP(kTableI, a, b, c, d, k, t, s)

// Reads XCR0 without needing the XSAVE target in the whole file.
uint32_t EnabledStateComponents() {
    uint32_t low, high;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
}

// AMD's family 1Ah (Zen 5) takes two cycles for vpaddd, vprold and
// vpternlogd alike, where a general-purpose add or rotate takes one: a step
// then costs eight cycles on the vectors and at most five on the portable
// path. Later AMD families are taken to be alike until measured otherwise.
bool VectorOperationsTakeTwoCycles() {
    unsigned int eax, ebx, ecx, edx;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx))
        return false;
    const bool amd = ebx == 0x68747541 && edx == 0x69746e65 && ecx == 0x444d4163; // AuthenticAMD
    if (!amd || !__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    unsigned int family = (eax >> 8) & 0xF;
    if (family == 0xF)
        family += (eax >> 20) & 0xFF;
    return family >= 0x1A;
}

} // namespace

bool Md5CpuHasAvx512() {
    unsigned int eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE))
        return false;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx))
        return false;
    if (!(ebx & bit_AVX512F) || !(ebx & bit_AVX512VL))
        return false;
    // The system saves SSE, AVX, the opmasks and the upper ZMM halves.
    const uint32_t needed = 0x02 | 0x04 | 0x20 | 0x40 | 0x80;
    return (EnabledStateComponents() & needed) == needed;
}

bool Md5CpuFavoursAvx512() { return Md5CpuHasAvx512() && !VectorOperationsTakeTwoCycles(); }

KESTRUM_AVX512 void Md5BlocksAvx512(uint32_t state[4], const uint8_t *block, size_t count) {
    __m128i a = _mm_cvtsi32_si128((int)state[0]), b = _mm_cvtsi32_si128((int)state[1]);
    __m128i c = _mm_cvtsi32_si128((int)state[2]), d = _mm_cvtsi32_si128((int)state[3]);
    for (; count != 0; count--, block += 64) {
        const __m128i a0 = a, b0 = b, c0 = c, d0 = d;

#include "md5_steps.inc"

        a = _mm_add_epi32(a, a0);
        b = _mm_add_epi32(b, b0);
        c = _mm_add_epi32(c, c0);
        d = _mm_add_epi32(d, d0);
    }
    state[0] = (uint32_t)_mm_cvtsi128_si32(a);
    state[1] = (uint32_t)_mm_cvtsi128_si32(b);
    state[2] = (uint32_t)_mm_cvtsi128_si32(c);
    state[3] = (uint32_t)_mm_cvtsi128_si32(d);
}

#endif
