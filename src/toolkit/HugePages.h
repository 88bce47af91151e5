#pragma once

#include <cstddef>

// The size of a transparent huge page on the platforms we build for.
constexpr size_t HugePageSize = size_t(2) << 20;

// Asks for huge pages over the whole huge pages inside [begin, end). Only a hint: where it is
// refused, small pages serve as before.
void AdviseHugePages(void* begin, void* end);

// Memory for at least bytes bytes, aligned to a huge page and rounded up to whole huge pages
// (bytes receives the rounded size), advised as huge pages; nullptr when memory runs out.
// Released with std::free.
void* AllocateHugePages(size_t& bytes);
