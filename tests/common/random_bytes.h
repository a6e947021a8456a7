// Reproducible pseudo-random test data, the same on every platform.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <random>
#include <vector>

inline std::vector<uint8_t> RandomBytes(size_t length, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(length);
    for (auto &b : bytes)
        b = (uint8_t)random();
    return bytes;
}
