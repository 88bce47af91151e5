#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/SaverSettings.h"

// The installer file, as the builders write it and the reader checks it. All numbers are
// little-endian; offsets and sizes are int32, so no file reaches 2 GiB.
//
// The file: [ie.dat] [ss.dat] [ui.dat] settings record, image pack, [sound], trailer, int32 146,
// marker; the pieces follow each other without gaps. The image pack: marker, the pictures in
// list order, the picture count byte, 256 directory entries, int32 3329.

#pragma pack(push, 1)

// One picture in the image pack's directory.
struct TImagePackEntry {
    int32_t Offset;  // 0: from the pack's first byte
    int32_t Size;    // 4
    char Ext[5];     // 8: ".jpg", ".jpeg", ".bmp"; no terminator when full
};

// The index at the end of an installer file; offsets count from the file's first byte.
struct TInstallerTrailer {
    char Title[100];         // 0: code-page bytes
    int32_t SsOffset;        // 100: 0 without ss.dat
    int32_t SsSize;          // 104
    int32_t UiOffset;        // 108: 0 without ui.dat
    int32_t UiSize;          // 112
    int32_t SettingsOffset;  // 116
    int32_t SettingsSize;    // 120: always 77965
    int32_t ImagesOffset;    // 124
    int32_t ImagesSize;      // 128
    int32_t SoundOffset;     // 132: 0 without sound
    int32_t SoundSize;       // 136
    uint8_t HasSound;        // 140
    char SoundExt[5];        // 141: ".mp3"; all zero without sound
};

#pragma pack(pop)

static_assert(sizeof(TImagePackEntry) == 13);
static_assert(offsetof(TImagePackEntry, Ext) == 8);
static_assert(sizeof(TInstallerTrailer) == 146);
static_assert(offsetof(TInstallerTrailer, SettingsOffset) == 116);
static_assert(offsetof(TInstallerTrailer, HasSound) == 140);
static_assert(offsetof(TInstallerTrailer, SoundExt) == 141);

// The 15 bytes that open the image pack and close the installer file.
constexpr char PackMarker[] = "sky mirror band";
constexpr int32_t PackMarkerLength = 15;
static_assert(sizeof PackMarker == PackMarkerLength + 1);

constexpr int ImagePackEntryCount = 256;
// Picture count byte, then the entries: the directory's length, stored after it.
constexpr int32_t ImagePackDirectoryLength = 1 + ImagePackEntryCount * sizeof(TImagePackEntry);
static_assert(ImagePackDirectoryLength == 3329);
// What a pack holds besides its pictures: the marker, the directory and its length.
constexpr int32_t ImagePackOverhead = PackMarkerLength + ImagePackDirectoryLength + sizeof(int32_t);
static_assert(ImagePackOverhead == 3348);

constexpr int32_t InstallerTrailerLength = sizeof(TInstallerTrailer);
// What follows the pieces of an installer file: the trailer, its length and the marker.
constexpr int32_t InstallerTailLength = InstallerTrailerLength + sizeof(int32_t) + PackMarkerLength;
static_assert(InstallerTailLength == 165);

constexpr int32_t SettingsRecordLength = sizeof(TSaverSettings);
static_assert(SettingsRecordLength == 77965);
