#include "settings/ShowExtras.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr char Tag[4] = {'K', 'V', 'X', '1'};

unsigned char* SlotBytes(TSaverSettings& settings) {
    return reinterpret_cast<unsigned char*>(&settings.PictureTexts[ShowExtrasSlot]);
}
const unsigned char* SlotBytes(const TSaverSettings& settings) {
    return reinterpret_cast<const unsigned char*>(&settings.PictureTexts[ShowExtrasSlot]);
}

uint32_t Checksum(const unsigned char* slot, int length) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, slot + 4, 3);
    crc = crc32(crc, slot + ShowExtrasHeaderSize, static_cast<uInt>(length));
    return static_cast<uint32_t>(crc);
}

uint32_t ReadUint32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The payload length of a valid block, or -1.
int ValidLength(const unsigned char* slot) {
    if (std::memcmp(slot, Tag, sizeof Tag) != 0 || slot[4] < 1) {
        return -1;
    }
    int length = slot[5] | (slot[6] << 8);
    if (length > MaxShowExtrasPayload || ReadUint32(slot + 7) != Checksum(slot, length)) {
        return -1;
    }
    return length;
}

}  // namespace

bool HasShowExtras(const TSaverSettings& settings) {
    return ValidLength(SlotBytes(settings)) >= 0;
}

TShowExtras ReadShowExtras(const TSaverSettings& settings) {
    TShowExtras extras;
    const unsigned char* slot = SlotBytes(settings);
    int length = ValidLength(slot);
    if (length < 0) {
        return extras;
    }
    const unsigned char* payload = slot + ShowExtrasHeaderSize;
    // A field beyond the block's length was written by an earlier revision: default.
    auto field = [&](int offset) -> int { return offset < length ? payload[offset] : -1; };
    auto flag = [&](int offset, bool& value) {
        if (field(offset) >= 0) {
            value = field(offset) != 0;
        }
    };
    namespace F = ShowExtrasField;
    flag(F::Shuffle, extras.Shuffle);
    // The record's own order wins over an inconsistent block.
    extras.Shuffle = extras.Shuffle && settings.SequentialOrder == 0;
    flag(F::ShowDates, extras.ShowDates);
    if (int corner = field(F::DateCorner); corner >= tpTopLeft && corner <= tpBottomRight) {
        extras.DateCorner = static_cast<TTextPosition>(corner);
    }
    flag(F::EachScreenDifferent, extras.EachScreenDifferent);
    flag(F::ShrinkPictures, extras.ShrinkPictures);
    for (int k = 0; k < MoreTransitionCount; ++k) {
        flag(F::MoreTransitions + k, extras.MoreTransitions[k]);
    }
    if (int half = field(F::TransitionHalfSeconds);
        half >= MinTransitionHalfSeconds && half <= MaxTransitionHalfSeconds) {
        extras.TransitionHalfSeconds = half;
    }
    flag(F::PanZoom, extras.PanZoom);
    if (field(F::Fill) == TShowExtras::fmBlur) {
        extras.Fill = TShowExtras::fmBlur;
    }
    flag(F::NoClassicTransitions, extras.NoClassicTransitions);
    // Without any effect of its own the show would have none to choose.
    bool anyMore = std::any_of(std::begin(extras.MoreTransitions),
                               std::end(extras.MoreTransitions),
                               [](bool on) { return on; });
    extras.NoClassicTransitions = extras.NoClassicTransitions && anyMore;
    return extras;
}

void WriteShowExtras(TSaverSettings& settings, const TShowExtras& extras) {
    TShowExtras choices = extras;
    bool anyClassic = std::any_of(std::begin(settings.Transitions),
                                  std::end(settings.Transitions),
                                  [](uint8_t on) { return on != 0; });
    bool anyMore = std::any_of(std::begin(choices.MoreTransitions),
                               std::end(choices.MoreTransitions),
                               [](bool on) { return on; });
    choices.NoClassicTransitions = (choices.NoClassicTransitions || !anyClassic) && anyMore;

    TSaverPictureText& slot = settings.PictureTexts[ShowExtrasSlot];
    if (choices == TShowExtras{}) {
        if (HasShowExtras(settings)) {
            InitPictureText(slot);
        }
        return;
    }
    if (choices.Shuffle) {
        settings.SequentialOrder = 0;
    }
    if (choices.NoClassicTransitions) {
        std::memset(settings.Transitions, 1, sizeof settings.Transitions);
    }

    InitPictureText(slot);
    unsigned char* bytes = SlotBytes(settings);
    unsigned char* payload = bytes + ShowExtrasHeaderSize;
    namespace F = ShowExtrasField;
    payload[F::Shuffle] = choices.Shuffle;
    payload[F::ShowDates] = choices.ShowDates;
    payload[F::DateCorner] = static_cast<unsigned char>(choices.DateCorner);
    payload[F::EachScreenDifferent] = choices.EachScreenDifferent;
    payload[F::ShrinkPictures] = choices.ShrinkPictures;
    for (int k = 0; k < MoreTransitionCount; ++k) {
        payload[F::MoreTransitions + k] = choices.MoreTransitions[k];
    }
    payload[F::TransitionHalfSeconds] = static_cast<unsigned char>(std::clamp(
        choices.TransitionHalfSeconds, MinTransitionHalfSeconds, MaxTransitionHalfSeconds));
    payload[F::PanZoom] = choices.PanZoom;
    payload[F::Fill] = choices.Fill == TShowExtras::fmBlur ? 1 : 0;
    payload[F::NoClassicTransitions] = choices.NoClassicTransitions;

    std::memcpy(bytes, Tag, sizeof Tag);
    bytes[4] = ShowExtrasVersion;
    bytes[5] = F::Count & 0xFF;
    bytes[6] = F::Count >> 8;
    uint32_t crc = Checksum(bytes, F::Count);
    for (int i = 0; i < 4; ++i) {
        bytes[7 + i] = static_cast<unsigned char>(crc >> (8 * i));
    }
}

bool TransitionAllowed(const TSaverSettings& settings, const TShowExtras& extras, int effect) {
    if (effect >= 1 && effect <= TransitionCount) {
        return !extras.NoClassicTransitions && settings.Transitions[effect - 1] != 0;
    }
    int k = effect - TransitionCount - 1;
    return k >= 0 && k < MoreTransitionCount && extras.MoreTransitions[k];
}
