#pragma once

#include <cstdint>

#include "settings/SaverSettings.h"

// The choices of a show that the settings record has no field for: a third picture order, the
// date a photo was taken, a different picture per screen, smaller pictures in the file, three
// more effects, the transition time, slow pan and zoom and the blurred background.
//
// They travel inside the record, in caption slot 255: the picture list holds at most 255
// pictures, so that slot is never shown, and every reader ignores slots at or beyond
// PictureCount. A program that does not know the block plays the file as a show without them.
//
// How the programs get them: the record is the only carrier. The wizard writes its choices into
// its master record with WriteShowExtras before every preview and build; every holder of a copy
// (each engine, the full-screen window, the installer builder, the saver reading a file) decodes
// them from that copy with ReadShowExtras. Nothing else hands extras around, so a preview, the
// installed saver and a file opened again always see the same choices.
//
// The block in slot 255 (offsets from the slot's start, record offset 74817 + n):
//   0   4  Tag        "KVX1"
//   4   1  Version    layout revision, 1 today; a later revision only appends fields
//   5   2  Length     bytes of payload after the header, uint16
//   7   4  Checksum   CRC-32 (zlib's) of bytes 4..6 followed by the payload, uint32
//   11  .  payload    ShowExtrasField offsets below, counted from the payload's start
// A reader takes the block only when tag, Length (at most 282, the slot's room) and checksum
// agree, takes the fields that lie within Length, and keeps defaults for the rest and for any
// value outside its range. Anything else in the slot is no block: all choices stay defaults.
struct TShowExtras {
    // Each round shows every picture once in a shuffled order. Stored with SequentialOrder 0,
    // so that a program without the block plays the show in random order.
    bool Shuffle = false;
    // Draws the EXIF date a photo was taken over a picture without a caption of its own.
    bool ShowDates = false;
    // Where the date goes: tpTopLeft .. tpBottomRight.
    TTextPosition DateCorner = tpBottomRight;
    // Where the show runs once per screen, each screen starts at a different picture.
    bool EachScreenDifferent = false;
    // At create, pictures larger than 3840 x 2160 are re-encoded to fit.
    bool ShrinkPictures = false;
    // MoreTransitions[k] enables effect 21 + k (crossfade, push, zoom and fade).
    bool MoreTransitions[3] = {false, false, false};
    // Transition time in half seconds, 1 .. 6; 2 is one second.
    int TransitionHalfSeconds = 2;
    // Slow pan and zoom over each picture while it stays.
    bool PanZoom = false;
    // What fills the screen around a picture that does not cover it.
    enum TFillMode : uint8_t { fmColour = 0, fmBlur = 1 };
    TFillMode Fill = fmColour;
    // Effects 1 .. 20 are all off, whatever the record's Transitions say. Set by WriteShowExtras
    // when only effects 21 .. 23 are chosen: the record then allows all twenty, because programs
    // without the block need at least one effect they know. A record read back thus holds all
    // twenty with this set, and writing what was read keeps it; whoever writes Transitions from
    // the user's choice sets it to whether none of the twenty is chosen.
    bool NoClassicTransitions = false;

    bool operator==(const TShowExtras&) const = default;
};

// Payload offsets of version 1; one byte each, flags 0 or 1 (read as on when non-zero).
namespace ShowExtrasField {
constexpr int Shuffle = 0;
constexpr int ShowDates = 1;
constexpr int DateCorner = 2;
constexpr int EachScreenDifferent = 3;
constexpr int ShrinkPictures = 4;
constexpr int MoreTransitions = 5;  // three bytes: effects 21, 22, 23
constexpr int TransitionHalfSeconds = 8;
constexpr int PanZoom = 9;
constexpr int Fill = 10;
constexpr int NoClassicTransitions = 11;
constexpr int Count = 12;  // payload length of version 1
}  // namespace ShowExtrasField

constexpr int ShowExtrasSlot = 255;
constexpr int ShowExtrasHeaderSize = 11;
constexpr uint8_t ShowExtrasVersion = 1;
constexpr int MaxShowExtrasPayload =
    static_cast<int>(sizeof(TSaverPictureText)) - ShowExtrasHeaderSize;
constexpr int MinTransitionHalfSeconds = 1;
constexpr int MaxTransitionHalfSeconds = 6;
constexpr int MoreTransitionCount = 3;

// The choices held in the record's slot 255; all defaults when the slot holds no valid block.
TShowExtras ReadShowExtras(const TSaverSettings& settings);

// Stores the choices in slot 255. Choices that are all defaults write nothing, so the record
// stays what it is without them; a block left there from earlier is then taken out again, and
// the slot is back to its defaults. With shuffle the record's SequentialOrder becomes 0. The
// record's Transitions must be written first: NoClassicTransitions holds when extras say so or
// none of them is on, and only while one of effects 21 .. 23 is.
void WriteShowExtras(TSaverSettings& settings, const TShowExtras& extras);

// Whether the record's slot 255 holds a block this program can read.
bool HasShowExtras(const TSaverSettings& settings);

// Whether effect 1 .. 23 may run: effects 1 .. 20 from the record's Transitions unless
// NoClassicTransitions, 21 .. 23 from MoreTransitions. The engine's choice and the transition
// dialog both go by this, never by the record's flags alone.
bool TransitionAllowed(const TSaverSettings& settings, const TShowExtras& extras, int effect);

// The transition time in milliseconds.
inline int TransitionMilliseconds(const TShowExtras& extras) {
    return extras.TransitionHalfSeconds * 500;
}
