// The MD5 compression function, shared by the context and its tests.
#pragma once

#include <stdint.h>

// Compresses one block, given as 16 little-endian-decoded words, into state.
void Md5Transform(uint32_t state[4], const uint32_t words[16]);
