// The MD5 compression function, internal to the context.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Compresses one block, given as 16 words decoded little-endian, into state.
void Md5Transform(uint32_t state[4], const uint32_t words[16]);

// Compresses `count` consecutive 64-byte blocks, at any address, into state.
// The chaining values are loaded once for the whole run, not once a block.
void Md5CompressBlocks(uint32_t state[4], const uint8_t *blocks, size_t count);
