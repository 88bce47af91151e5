#include "toolkit/PixelMix.h"

// A crossfade mixes every pixel of the screen at each frame, so this loop is what the frame
// costs: it is built to vectorise (red and blue in one word, green in another, one multiply per
// part and picture), once for processors with AVX2 and once for any other; the loader picks
// the one this processor runs.
__attribute__((target_clones("avx2", "default"))) void MixPixels(
    const uint32_t* from, const uint32_t* to, uint32_t* out, size_t count, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t a = from[i];
        const uint32_t b = to[i];
        // Each channel's sum is at most 255 * 256 + 128, so no part spills into the next.
        const uint32_t redBlue =
            (((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight + 0x800080u) >> 8) & 0xFF00FFu;
        const uint32_t green =
            (((a & 0xFF00u) * keep + (b & 0xFF00u) * weight + 0x8000u) >> 8) & 0xFF00u;
        out[i] = 0xFF000000u | redBlue | green;
    }
}
