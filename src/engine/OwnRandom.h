#pragma once

#include <cstdint>
#include <memory>

// While it lives, Random draws from the show's own seed instead of the process's, and the
// process's seed is as it was afterwards. The seed lives apart from the show, which a draw's
// caller may destroy before the guard ends.
class TOwnRandom {
public:
    explicit TOwnRandom(std::shared_ptr<uint32_t> seed);
    ~TOwnRandom();
    TOwnRandom(const TOwnRandom&) = delete;
    TOwnRandom& operator=(const TOwnRandom&) = delete;

private:
    std::shared_ptr<uint32_t> FSeed;
    uint32_t FSaved = 0;
};
