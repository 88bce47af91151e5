#pragma once

#include <cstddef>
#include <cstdint>

// Writes `count` RGB32 pixels each channel of which lies between `from` and `to` in proportion
// to weight (0 gives `from`, 256 gives `to` exactly), rounded to the nearest; the alpha byte is
// set opaque. `out` may be `from` or `to`.
void MixPixels(
    const uint32_t* from, const uint32_t* to, uint32_t* out, size_t count, uint32_t weight);
