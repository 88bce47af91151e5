#include "toolkit/HugePages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

void AdviseHugePages(void* begin, void* end) {
    const uintptr_t first =
        (reinterpret_cast<uintptr_t>(begin) + HugePageSize - 1) & ~(uintptr_t{HugePageSize} - 1);
    const uintptr_t last = reinterpret_cast<uintptr_t>(end) & ~(uintptr_t{HugePageSize} - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

void* AllocateHugePages(size_t& bytes) {
    const size_t rounded = (bytes + HugePageSize - 1) / HugePageSize * HugePageSize;
    if (rounded < bytes) {
        return nullptr;
    }
    void* p = std::aligned_alloc(HugePageSize, rounded);
    if (p == nullptr) {
        return nullptr;
    }
    AdviseHugePages(p, static_cast<char*>(p) + rounded);
    bytes = rounded;
    return p;
}
