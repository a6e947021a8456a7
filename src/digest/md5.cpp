// MD5 after RFC 1321: the context, which gathers the bytes into 64-byte
// blocks and pads the message. The compression function is in
// md5_transform.cpp.
#include "md5.h"

#include "md5_transform.h"

namespace {

const uint8_t Md5Padding[64] = {0x80};

inline void StoreLe32(uint8_t *p, uint32_t x) {
    p[0] = (uint8_t)x;
    p[1] = (uint8_t)(x >> 8);
    p[2] = (uint8_t)(x >> 16);
    p[3] = (uint8_t)(x >> 24);
}

inline uint32_t LoadLe32(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

void CopyBytes(uint8_t *to, const uint8_t *from, uint32_t length) {
    for (uint32_t i = 0; i < length; i++)
        to[i] = from[i];
}

} // namespace

// The block as RFC 1321 states it, 16 words; they are laid out little-endian
// again for Md5CompressBlocks, which reads each word where it adds it.
void Md5Transform(uint32_t state[4], const uint32_t words[16]) {
    uint8_t block[64];
    for (int k = 0; k < 16; k++)
        StoreLe32(block + 4 * k, words[k]);
    Md5CompressBlocks(state, block, 1);
}

void Md5Init(Md5Context *context) {
    context->bit_count_low = 0;
    context->bit_count_high = 0;
    context->state[0] = 0x67452301;
    context->state[1] = 0xEFCDAB89;
    context->state[2] = 0x98BADCFE;
    context->state[3] = 0x10325476;
}

void Md5Update(Md5Context *context, const void *bytes, uint32_t length) {
    const uint8_t *input = (const uint8_t *)bytes;
    uint32_t index = (context->bit_count_low >> 3) & 0x3F;

    uint32_t low = context->bit_count_low + (length << 3);
    if (low < context->bit_count_low)
        context->bit_count_high++;
    context->bit_count_low = low;
    context->bit_count_high += length >> 29;

    // Top up a pending partial block first; whole blocks after it are
    // compressed straight from the caller's bytes, and only the tail is kept.
    if (index != 0) {
        uint32_t room = 64 - index;
        if (length < room) {
            CopyBytes(context->block + index, input, length);
            return;
        }
        CopyBytes(context->block + index, input, room);
        Md5CompressBlocks(context->state, context->block, 1);
        input += room;
        length -= room;
    }
    if (length >= 64) {
        Md5CompressBlocks(context->state, input, length / 64);
        input += length & ~63u;
        length &= 63;
    }
    CopyBytes(context->block, input, length);
}

void Md5Final(Md5Context *context) {
    uint32_t saved_low = context->bit_count_low;
    uint32_t saved_high = context->bit_count_high;

    uint32_t index = (saved_low >> 3) & 0x3F;
    Md5Update(context, Md5Padding, index < 56 ? 56 - index : 120 - index);

    // Exactly 56 bytes wait in the block; the saved count fills words 14 and 15.
    uint32_t words[16];
    for (int k = 0; k < 14; k++)
        words[k] = LoadLe32(context->block + 4 * k);
    words[14] = saved_low;
    words[15] = saved_high;
    Md5Transform(context->state, words);

    for (int k = 0; k < 4; k++)
        StoreLe32(context->digest + 4 * k, context->state[k]);
}
