// The MD5 compression function, shared by the context, its tests and its
// benchmarks. The context picks the version to use the first time it
// compresses, according to the processor it runs on.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Compresses `count` consecutive 64-byte blocks, at any address, into state.
typedef void Md5BlocksFunction(uint32_t state[4], const uint8_t *blocks, size_t count);

Md5BlocksFunction Md5BlocksPortable;

// The fastest version this processor can run.
Md5BlocksFunction *Md5BestBlocksFunction();

// The version every context uses from now on; NULL lets the next compression
// choose again. Meant for tests and benchmarks, before any other thread hashes.
void Md5UseBlocksFunction(Md5BlocksFunction *compress);
