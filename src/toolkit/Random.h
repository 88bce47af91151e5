#pragma once

#include <cstdint>

// The seed of the one process-wide generator: 0 at start, never reseeded; tests may set it.
extern uint32_t RandSeed;

// An integer from 0 to n - 1 (0 when n is 0): seed = seed * 134775813 + 1, then the high
// 32 bits of seed * n.
int32_t Random(int32_t n);
