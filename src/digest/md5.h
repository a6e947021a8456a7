// The MD5 message digest (RFC 1321) over a stream of bytes fed in pieces of
// any size. Plain C++, no platform header: it builds and runs anywhere.
//
// Use: Md5Init, any number of Md5Update calls, one Md5Final, then read
// `digest`. Initialise the context again before it serves another message.
#pragma once

#include <stdint.h>

struct Md5Context {
    uint32_t bit_count_low;  // message bits fed so far, modulo 2^64: low word
    uint32_t bit_count_high; // ... and high word
    uint32_t state[4];       // chaining values A, B, C, D
    uint8_t block[64];       // bytes of the current, not yet compressed block
    uint8_t digest[16];      // the result, written by Md5Final
};

void Md5Init(Md5Context *context);
void Md5Update(Md5Context *context, const void *bytes, uint32_t length);
void Md5Final(Md5Context *context);
