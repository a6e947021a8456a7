// The MD5 compression function (RFC 1321, section 3.4) in plain C++. Every
// step is written out with its own word, constant and rotation, so each can
// be checked against the RFC line by line.
#include "md5_transform.h"

namespace {

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Compilers turn this into a single load where the processor allows one, and
// the word is read where it is added, so it needs no register of its own.
inline uint32_t LoadLe32(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// Each step is a = b + ((a + f(b, c, d) + word + constant) <<< s), and b is
// the value the previous step has just made. Everything that does not need b
// is added first, so from one step to the next the chain is as short as f
// allows: two operations for F and I, one for G and H, then add, rotate, add.
#define WORD(k) LoadLe32(block + 4 * (k))

// F(b, c, d) = (b & c) | (~b & d), computed as d ^ (b & (c ^ d)).
#define STEP_F(a, b, c, d, k, t, s)                                                                \
    a += WORD(k) + (t);                                                                            \
    a += (d) ^ ((b) & ((c) ^ (d)));                                                                \
    a = RotateLeft(a, s) + (b);
// G(b, c, d) = (b & d) | (c & ~d): the two ANDs never share a set bit, so the
// OR is a sum and (c & ~d) joins the chain before b is known.
#define STEP_G(a, b, c, d, k, t, s)                                                                \
    a += WORD(k) + (t);                                                                            \
    a += (c) & ~(d);                                                                               \
    a += (b) & (d);                                                                                \
    a = RotateLeft(a, s) + (b);
// H(b, c, d) = b ^ c ^ d.
#define STEP_H(a, b, c, d, k, t, s)                                                                \
    a += WORD(k) + (t);                                                                            \
    a += (b) ^ ((c) ^ (d));                                                                        \
    a = RotateLeft(a, s) + (b);
// I(b, c, d) = c ^ (b | ~d).
#define STEP_I(a, b, c, d, k, t, s)                                                                \
    a += WORD(k) + (t);                                                                            \
    a += (c) ^ ((b) | ~(d));                                                                       \
    a = RotateLeft(a, s) + (b);

} // namespace

void Md5CompressBlocks(uint32_t state[4], const uint8_t *block, size_t count) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; count != 0; count--, block += 64) {
        const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        STEP_F(a, b, c, d, 0, 0xd76aa478, 7)
        STEP_F(d, a, b, c, 1, 0xe8c7b756, 12)
        STEP_F(c, d, a, b, 2, 0x242070db, 17)
        STEP_F(b, c, d, a, 3, 0xc1bdceee, 22)
        STEP_F(a, b, c, d, 4, 0xf57c0faf, 7)
        STEP_F(d, a, b, c, 5, 0x4787c62a, 12)
        STEP_F(c, d, a, b, 6, 0xa8304613, 17)
        STEP_F(b, c, d, a, 7, 0xfd469501, 22)
        STEP_F(a, b, c, d, 8, 0x698098d8, 7)
        STEP_F(d, a, b, c, 9, 0x8b44f7af, 12)
        STEP_F(c, d, a, b, 10, 0xffff5bb1, 17)
        STEP_F(b, c, d, a, 11, 0x895cd7be, 22)
        STEP_F(a, b, c, d, 12, 0x6b901122, 7)
        STEP_F(d, a, b, c, 13, 0xfd987193, 12)
        STEP_F(c, d, a, b, 14, 0xa679438e, 17)
        STEP_F(b, c, d, a, 15, 0x49b40821, 22)

        STEP_G(a, b, c, d, 1, 0xf61e2562, 5)
        STEP_G(d, a, b, c, 6, 0xc040b340, 9)
        STEP_G(c, d, a, b, 11, 0x265e5a51, 14)
        STEP_G(b, c, d, a, 0, 0xe9b6c7aa, 20)
        STEP_G(a, b, c, d, 5, 0xd62f105d, 5)
        STEP_G(d, a, b, c, 10, 0x02441453, 9)
        STEP_G(c, d, a, b, 15, 0xd8a1e681, 14)
        STEP_G(b, c, d, a, 4, 0xe7d3fbc8, 20)
        STEP_G(a, b, c, d, 9, 0x21e1cde6, 5)
        STEP_G(d, a, b, c, 14, 0xc33707d6, 9)
        STEP_G(c, d, a, b, 3, 0xf4d50d87, 14)
        STEP_G(b, c, d, a, 8, 0x455a14ed, 20)
        STEP_G(a, b, c, d, 13, 0xa9e3e905, 5)
        STEP_G(d, a, b, c, 2, 0xfcefa3f8, 9)
        STEP_G(c, d, a, b, 7, 0x676f02d9, 14)
        STEP_G(b, c, d, a, 12, 0x8d2a4c8a, 20)

        STEP_H(a, b, c, d, 5, 0xfffa3942, 4)
        STEP_H(d, a, b, c, 8, 0x8771f681, 11)
        STEP_H(c, d, a, b, 11, 0x6d9d6122, 16)
        STEP_H(b, c, d, a, 14, 0xfde5380c, 23)
        STEP_H(a, b, c, d, 1, 0xa4beea44, 4)
        STEP_H(d, a, b, c, 4, 0x4bdecfa9, 11)
        STEP_H(c, d, a, b, 7, 0xf6bb4b60, 16)
        STEP_H(b, c, d, a, 10, 0xbebfbc70, 23)
        STEP_H(a, b, c, d, 13, 0x289b7ec6, 4)
        STEP_H(d, a, b, c, 0, 0xeaa127fa, 11)
        STEP_H(c, d, a, b, 3, 0xd4ef3085, 16)
        STEP_H(b, c, d, a, 6, 0x04881d05, 23)
        STEP_H(a, b, c, d, 9, 0xd9d4d039, 4)
        STEP_H(d, a, b, c, 12, 0xe6db99e5, 11)
        STEP_H(c, d, a, b, 15, 0x1fa27cf8, 16)
        STEP_H(b, c, d, a, 2, 0xc4ac5665, 23)

        STEP_I(a, b, c, d, 0, 0xf4292244, 6)
        STEP_I(d, a, b, c, 7, 0x432aff97, 10)
        STEP_I(c, d, a, b, 14, 0xab9423a7, 15)
        STEP_I(b, c, d, a, 5, 0xfc93a039, 21)
        STEP_I(a, b, c, d, 12, 0x655b59c3, 6)
        STEP_I(d, a, b, c, 3, 0x8f0ccc92, 10)
        STEP_I(c, d, a, b, 10, 0xffeff47d, 15)
        STEP_I(b, c, d, a, 1, 0x85845dd1, 21)
        STEP_I(a, b, c, d, 8, 0x6fa87e4f, 6)
        STEP_I(d, a, b, c, 15, 0xfe2ce6e0, 10)
        STEP_I(c, d, a, b, 6, 0xa3014314, 15)
        STEP_I(b, c, d, a, 13, 0x4e0811a1, 21)
        STEP_I(a, b, c, d, 4, 0xf7537e82, 6)
        STEP_I(d, a, b, c, 11, 0xbd3af235, 10)
        STEP_I(c, d, a, b, 2, 0x2ad7d2bb, 15)
        STEP_I(b, c, d, a, 9, 0xeb86d391, 21)

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}
