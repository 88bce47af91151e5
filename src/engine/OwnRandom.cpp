#include "engine/OwnRandom.h"

#include <utility>

#include "toolkit/Random.h"

TOwnRandom::TOwnRandom(std::shared_ptr<uint32_t> seed) : FSeed(std::move(seed)) {
    if (FSeed) {
        FSaved = RandSeed;
        RandSeed = *FSeed;
    }
}

TOwnRandom::~TOwnRandom() {
    if (FSeed) {
        *FSeed = RandSeed;
        RandSeed = FSaved;
    }
}
