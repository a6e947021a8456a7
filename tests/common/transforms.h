// The compression functions this processor can run, and a way to put one in
// force for a scope; shared by the tests and the benchmarks.
#pragma once

#include <vector>

#include "md5_transform.h"

struct Transform {
    const char *name;
    Md5BlocksFunction *compress;
};

// The portable version everywhere, the AVX-512 one where the processor has it.
inline std::vector<Transform> AvailableTransforms() {
    std::vector<Transform> transforms = {{"portable", Md5BlocksPortable}};
#ifdef KESTRUM_MD5_HAS_AVX512
    if (Md5CpuHasAvx512())
        transforms.push_back({"avx512", Md5BlocksAvx512});
#endif
    return transforms;
}

// Puts one compression function in force for a scope, and lets the context
// choose again when the scope ends, however the test leaves it.
struct TransformInForce {
    explicit TransformInForce(Md5BlocksFunction *compress) { Md5UseBlocksFunction(compress); }
    ~TransformInForce() { Md5UseBlocksFunction(NULL); }
    TransformInForce(const TransformInForce &) = delete;
    TransformInForce &operator=(const TransformInForce &) = delete;
};
