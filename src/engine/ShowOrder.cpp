#include "engine/ShowOrder.h"

#include <utility>

#include "toolkit/Random.h"

TShowOrder::TShowOrder(
    int32_t pictureCount, bool withTitle, TKind kind, int32_t screenOffset, uint32_t seed)
    : FCount(pictureCount)
    , FWithTitle(withTitle)
    , FKind(kind)
    , FOffset(pictureCount > 0 ? screenOffset % pictureCount : 0)
    , FGenerator(seed) {}

int32_t TShowOrder::Shown(int32_t sequenceIndex) const {
    // The title screen stays where it is; the pictures turn.
    if (sequenceIndex == 0 || FOffset == 0) {
        return sequenceIndex;
    }
    return (sequenceIndex - 1 + FOffset) % FCount + 1;
}

int32_t TShowOrder::Next() {
    const int32_t n = FCount;
    const int32_t first = FWithTitle ? 0 : 1;
    switch (FKind) {
        case Sequential:
            ++FSequence;
            if (FSequence > n) {
                FSequence = first;
            }
            break;
        case RandomDraws: {
            if (first == n && FSequence == n) {
                break;
            }
            int32_t k;
            do {
                k = Random(n + 1);
            } while (k < first || k == FSequence);
            FSequence = k;
            break;
        }
        case Shuffle:
            if (FNext >= FRound.size()) {
                NewRound();
            }
            if (!FRound.empty()) {
                FSequence = FRound[FNext++];
            }
            break;
    }
    return Current();
}

void TShowOrder::NewRound() {
    FRound.clear();
    for (int32_t k = FWithTitle ? 0 : 1; k <= FCount; ++k) {
        FRound.push_back(k);
    }
    // Fisher-Yates with the show's own generator, so that Random's draws stay as they are.
    for (size_t i = FRound.size(); i > 1; --i) {
        std::uniform_int_distribution<size_t> pick(0, i - 1);
        std::swap(FRound[i - 1], FRound[pick(FGenerator)]);
    }
    // The frame on the screen now does not open the round: it would stay up twice as long.
    if (FRound.size() > 1 && FRound.front() == FSequence) {
        std::uniform_int_distribution<size_t> pick(1, FRound.size() - 1);
        std::swap(FRound.front(), FRound[pick(FGenerator)]);
    }
    FNext = 0;
}
