// Puts one compression function in force for a scope, and lets the context
// choose again when the scope ends, however the test leaves it.
#pragma once

#include "md5_transform.h"

struct TransformInForce {
    explicit TransformInForce(Md5BlocksFunction *compress) { Md5UseBlocksFunction(compress); }
    ~TransformInForce() { Md5UseBlocksFunction(NULL); }
    TransformInForce(const TransformInForce &) = delete;
    TransformInForce &operator=(const TransformInForce &) = delete;
};
