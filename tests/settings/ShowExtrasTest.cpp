#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

#include "settings/ShowExtras.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr int SlotOffset = 102 + 293 * 255;

TSaverSettings Defaults() {
    TSaverSettings s;
    InitSaverSettings(s);
    return s;
}

Bytes ImageOf(const TSaverSettings& s) {
    auto p = reinterpret_cast<const unsigned char*>(&s);
    return Bytes(p, p + sizeof s);
}

Bytes SlotOf(const TSaverSettings& s) {
    Bytes image = ImageOf(s);
    return Bytes(image.begin() + SlotOffset, image.begin() + SlotOffset + 293);
}

unsigned char* Slot(TSaverSettings& s) {
    return reinterpret_cast<unsigned char*>(&s) + SlotOffset;
}

// Puts a block with the given version and payload into slot 255, as another program would.
void PutBlock(TSaverSettings& s, int version, const Bytes& payload) {
    unsigned char* b = Slot(s);
    std::memcpy(b, "KVX1", 4);
    b[4] = static_cast<unsigned char>(version);
    b[5] = payload.size() & 0xFF;
    b[6] = payload.size() >> 8;
    std::memcpy(b + 11, payload.data(), payload.size());
    uLong crc = crc32(crc32(0, Z_NULL, 0), b + 4, 3);
    crc = crc32(crc, payload.data(), static_cast<uInt>(payload.size()));
    for (int i = 0; i < 4; ++i) {
        b[7 + i] = static_cast<unsigned char>(crc >> (8 * i));
    }
}

TShowExtras AllSet() {
    TShowExtras e;
    e.Shuffle = true;
    e.ShowDates = true;
    e.DateCorner = tpBottomLeft;
    e.EachScreenDifferent = true;
    e.ShrinkPictures = true;
    e.MoreTransitions[0] = true;
    e.MoreTransitions[2] = true;
    e.TransitionHalfSeconds = 6;
    e.PanZoom = true;
    e.Fill = TShowExtras::fmBlur;
    return e;
}

TEST(ShowExtras, DefaultChoicesLeaveTheRecordAsItIs) {
    TSaverSettings s = Defaults();
    Bytes before = ImageOf(s);
    WriteShowExtras(s, TShowExtras{});
    EXPECT_EQ(ImageOf(s), before);
    EXPECT_FALSE(HasShowExtras(s));
    EXPECT_EQ(ReadShowExtras(s), TShowExtras{});
}

TEST(ShowExtras, DefaultChoicesTakeAnEarlierBlockOut) {
    TSaverSettings s = Defaults();
    WriteShowExtras(s, AllSet());
    ASSERT_TRUE(HasShowExtras(s));
    WriteShowExtras(s, TShowExtras{});
    TSaverSettings expected = Defaults();
    expected.SequentialOrder = 0;
    EXPECT_EQ(ImageOf(s), ImageOf(expected));
}

TEST(ShowExtras, BlockBytesAsLaidOut) {
    TSaverSettings s = Defaults();
    TShowExtras e;
    e.Shuffle = true;
    WriteShowExtras(s, e);
    Bytes slot = SlotOf(s);
    // Tag, version 1, length 12, CRC-32 0x93580682, then the twelve payload bytes.
    Bytes head = {'K', 'V', 'X', '1', 1, 12, 0, 0x82, 0x06, 0x58, 0x93, 1,
                  0,   5,   0,   0,   0, 0,  0, 2,    0,    0,    0,    0};
    EXPECT_EQ(Bytes(slot.begin(), slot.begin() + head.size()), head);
    // The rest of the slot, the font and position included, stays as the defaults left it.
    Bytes defaultSlot = SlotOf(Defaults());
    EXPECT_EQ(Bytes(slot.begin() + 23, slot.end()),
              Bytes(defaultSlot.begin() + 23, defaultSlot.end()));

    WriteShowExtras(s, AllSet());
    slot = SlotOf(s);
    EXPECT_EQ(Bytes(slot.begin() + 7, slot.begin() + 23),
              (Bytes{0xFD, 0x53, 0xB5, 0x88, 1, 1, 3, 1, 1, 1, 0, 1, 6, 1, 1, 0}));
}

TEST(ShowExtras, EveryChoiceComesBack) {
    std::vector<TShowExtras> cases(8);
    cases[0].Shuffle = true;
    cases[1].ShowDates = true;
    cases[1].DateCorner = tpTopLeft;
    cases[2].EachScreenDifferent = true;
    cases[3].ShrinkPictures = true;
    cases[4].MoreTransitions[1] = true;
    cases[5].TransitionHalfSeconds = 1;
    cases[6].PanZoom = true;
    cases[6].Fill = TShowExtras::fmBlur;
    cases[7] = AllSet();
    for (const TShowExtras& e : cases) {
        TSaverSettings s = Defaults();
        WriteShowExtras(s, e);
        EXPECT_EQ(ReadShowExtras(s), e) << &e - cases.data();
        // Nothing outside slot 255 moves but the order.
        Bytes image = ImageOf(s), before = ImageOf(Defaults());
        std::copy(before.begin() + SlotOffset,
                  before.begin() + SlotOffset + 293,
                  image.begin() + SlotOffset);
        EXPECT_EQ(image, before);
    }
}

TEST(ShowExtras, WritingTwiceGivesTheSameBytes) {
    TSaverSettings a = Defaults(), b = Defaults();
    WriteShowExtras(a, AllSet());
    WriteShowExtras(b, TShowExtras{});
    WriteShowExtras(b, ReadShowExtras(a));
    EXPECT_EQ(ImageOf(a), ImageOf(b));
}

struct Damage {
    const char* what;
    int offset;  // in the slot
    unsigned char value;
};

class DamagedBlock : public testing::TestWithParam<Damage> {};

TEST_P(DamagedBlock, IsNoBlock) {
    TSaverSettings s = Defaults();
    WriteShowExtras(s, AllSet());
    Slot(s)[GetParam().offset] = GetParam().value;
    EXPECT_FALSE(HasShowExtras(s));
    EXPECT_EQ(ReadShowExtras(s), TShowExtras{});
}

INSTANTIATE_TEST_SUITE_P(ShowExtras,
                         DamagedBlock,
                         testing::Values(Damage{"tag", 3, '2'},
                                         Damage{"version 0", 4, 0},
                                         Damage{"version changed", 4, 2},
                                         Damage{"shorter", 5, 11},
                                         Damage{"longer than the slot", 6, 2},
                                         Damage{"checksum", 8, 0},
                                         Damage{"payload", 11 + 3, 0}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name) {
                                 c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(ShowExtras, RandomOrOldBytesAreNoChoices) {
    std::mt19937 generator(1);
    for (int round = 0; round < 2000; ++round) {
        TSaverSettings s = Defaults();
        for (int i = 0; i < 293; ++i) {
            Slot(s)[i] = static_cast<unsigned char>(generator());
        }
        if (round % 2) {
            std::memcpy(Slot(s), "KVX1", 4);  // even with the right tag
        }
        ASSERT_EQ(ReadShowExtras(s), TShowExtras{}) << round;
    }
    TSaverSettings caption = Defaults();
    WriteFieldText(caption.PictureTexts[255].Text, "KVX1 a caption someone left here");
    EXPECT_EQ(ReadShowExtras(caption), TShowExtras{});
}

TEST(ShowExtras, LaterVersionIsReadForWhatIsUnderstood) {
    TSaverSettings s = Defaults();
    Bytes payload = {1, 1, 2, 0, 1, 0, 0, 1, 4, 0, 1, 0, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    PutBlock(s, 2, payload);
    TShowExtras e = ReadShowExtras(s);
    TShowExtras expected;
    expected.Shuffle = true;
    expected.ShowDates = true;
    expected.DateCorner = tpTopRight;
    expected.ShrinkPictures = true;
    expected.MoreTransitions[2] = true;
    expected.TransitionHalfSeconds = 4;
    expected.Fill = TShowExtras::fmBlur;
    EXPECT_EQ(e, expected);
}

TEST(ShowExtras, ShortBlockAndOutOfRangeValuesKeepDefaults) {
    TSaverSettings s = Defaults();
    PutBlock(s, 1, {0, 1});
    TShowExtras expected;
    expected.ShowDates = true;
    EXPECT_EQ(ReadShowExtras(s), expected);

    // Corner 6 (custom), half seconds 0 and 7, fill 2: each back to its default.
    for (Bytes payload :
         {Bytes{0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 2}, Bytes{0, 1, 5, 0, 0, 0, 0, 0, 7}}) {
        PutBlock(s, 1, payload);
        EXPECT_EQ(ReadShowExtras(s), expected);
    }
}

TEST(ShowExtras, ShuffleIsRandomOrderForOtherReaders) {
    TSaverSettings s = Defaults();
    s.SequentialOrder = 1;
    TShowExtras e;
    e.Shuffle = true;
    WriteShowExtras(s, e);
    EXPECT_EQ(s.SequentialOrder, 0);
    EXPECT_TRUE(ReadShowExtras(s).Shuffle);
    // A record whose own order says "in order" plays in order.
    s.SequentialOrder = 1;
    EXPECT_FALSE(ReadShowExtras(s).Shuffle);
}

TEST(ShowExtras, OnlyNewEffectsLeaveOldReadersAllTwenty) {
    TSaverSettings s = Defaults();
    std::memset(s.Transitions, 0, sizeof s.Transitions);
    TShowExtras e;
    e.MoreTransitions[0] = true;
    WriteShowExtras(s, e);
    for (uint8_t flag : s.Transitions) {
        EXPECT_EQ(flag, 1);
    }
    TShowExtras read = ReadShowExtras(s);
    EXPECT_TRUE(read.NoClassicTransitions);
    std::vector<bool> allowed;
    for (int effect = 0; effect <= 24; ++effect) {
        allowed.push_back(TransitionAllowed(s, read, effect));
    }
    std::vector<bool> expected(25, false);
    expected[21] = true;
    EXPECT_EQ(allowed, expected);
    // Read, changed elsewhere and written back, the record still runs only effect 21.
    read.PanZoom = true;
    WriteShowExtras(s, read);
    EXPECT_TRUE(ReadShowExtras(s).NoClassicTransitions);
    EXPECT_FALSE(TransitionAllowed(s, ReadShowExtras(s), 1));
    // The user chose some of the twenty again.
    read.NoClassicTransitions = false;
    WriteShowExtras(s, read);
    EXPECT_TRUE(TransitionAllowed(s, ReadShowExtras(s), 1));

    // With one of the twenty chosen the record keeps its flags.
    TSaverSettings mixed = Defaults();
    std::memset(mixed.Transitions, 0, sizeof mixed.Transitions);
    mixed.Transitions[4] = 1;
    WriteShowExtras(mixed, e);
    TShowExtras mixedRead = ReadShowExtras(mixed);
    EXPECT_FALSE(mixedRead.NoClassicTransitions);
    EXPECT_TRUE(TransitionAllowed(mixed, mixedRead, 5));
    EXPECT_FALSE(TransitionAllowed(mixed, mixedRead, 6));
    EXPECT_TRUE(TransitionAllowed(mixed, mixedRead, 21));
}

}  // namespace
