// The MD5 compression function in plain C++, for any processor. Every step
// is written out with its own word, constant and rotation, so each can be
// checked against RFC 1321 line by line.
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

void Md5BlocksPortable(uint32_t state[4], const uint8_t *block, size_t count) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; count != 0; count--, block += 64) {
        const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

#include "md5_steps.inc"

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
