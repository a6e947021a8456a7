// The MD5 compression function, shared by the context, its tests and its
// benchmarks. There are two written-out versions of it: a portable one, and
// on x86 one that needs AVX-512VL; the context picks one the first time it
// compresses, according to the processor it runs on.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Compresses one block, given as 16 words decoded little-endian, into state,
// with the version the context uses.
void Md5Transform(uint32_t state[4], const uint32_t words[16]);

// Compresses `count` consecutive 64-byte blocks, at any address, into state.
typedef void Md5BlocksFunction(uint32_t state[4], const uint8_t *blocks, size_t count);

Md5BlocksFunction Md5BlocksPortable;

// x86-64 only: no 32-bit machine at hand can run AVX-512 code (qemu does not
// emulate it), and the release must not ship a path no test has run.
#if defined(__x86_64__)
#define KESTRUM_MD5_HAS_AVX512 1
// Only for processors where Md5CpuHasAvx512 is true.
Md5BlocksFunction Md5BlocksAvx512;
// AVX-512F and AVX-512VL, and a system that saves their registers.
bool Md5CpuHasAvx512();
// ... and Md5BlocksAvx512 is the faster version on this processor.
bool Md5CpuFavoursAvx512();
#endif

// The fastest version this processor can run.
Md5BlocksFunction *Md5BestBlocksFunction();

// The version every context uses from now on; NULL lets the next compression
// choose again. Meant for tests and benchmarks, before any other thread hashes.
void Md5UseBlocksFunction(Md5BlocksFunction *compress);
