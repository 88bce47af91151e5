#pragma once

#include <cstdint>
#include <random>
#include <vector>

// Which frame a show puts up next: 0 the title screen, 1 .. n the pictures. "正常" goes through
// the list, "随机" draws from the process-wide Random exactly as it always has, "随机(不重复)"
// shows every frame once a round in an order of its own generator. A screen offset turns the
// pictures of the sequence round by that many places, so that the shows on several screens, which
// all make the same sequence, each show a different picture at the same moment.
class TShowOrder {
public:
    enum TKind { Sequential, RandomDraws, Shuffle };

    // seed starts the shuffle's own generator; shows that are to agree use the same seed.
    TShowOrder(int32_t pictureCount,
               bool withTitle,
               TKind kind,
               int32_t screenOffset = 0,
               uint32_t seed = 0);

    // Moves on and answers the frame to show now.
    int32_t Next();
    // The frame shown now; 0 before the first Next.
    int32_t Current() const { return Shown(FSequence); }

private:
    int32_t Shown(int32_t sequenceIndex) const;
    void NewRound();

    int32_t FCount;
    bool FWithTitle;
    TKind FKind;
    int32_t FOffset;
    // Where the sequence stands, before the screen's offset.
    int32_t FSequence = 0;
    std::mt19937 FGenerator;
    std::vector<int32_t> FRound;
    size_t FNext = 0;
};
