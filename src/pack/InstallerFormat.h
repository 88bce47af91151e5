#pragma once

#include <cstddef>
#include <cstdint>

#include "pack/InstallerLayout.h"
#include "settings/SaverSettings.h"

// The installer file, as the builders write it and the reader checks it; its records and the
// check of its layout are in InstallerLayout.h, shared with the first stage.

static_assert(sizeof(TImagePackEntry) == 13);
static_assert(offsetof(TImagePackEntry, Ext) == 8);
static_assert(sizeof(TInstallerTrailer) == 146);
static_assert(offsetof(TInstallerTrailer, SettingsOffset) == 116);
static_assert(offsetof(TInstallerTrailer, HasSound) == 140);
static_assert(offsetof(TInstallerTrailer, SoundExt) == 141);

// The 15 bytes that open the image pack and close the installer file.
constexpr char PackMarker[] = LAYOUT_MARKER;
constexpr int32_t PackMarkerLength = LayoutMarkerLength;
static_assert(sizeof PackMarker == PackMarkerLength + 1);

constexpr int ImagePackEntryCount = LayoutEntryCount;
// Picture count byte, then the entries: the directory's length, stored after it.
constexpr int32_t ImagePackDirectoryLength = 1 + ImagePackEntryCount * sizeof(TImagePackEntry);
static_assert(ImagePackDirectoryLength == LayoutDirectoryLength);
// What a pack holds besides its pictures: the marker, the directory and its length.
constexpr int32_t ImagePackOverhead = PackMarkerLength + ImagePackDirectoryLength + sizeof(int32_t);
static_assert(ImagePackOverhead == LayoutPackOverhead);

constexpr int32_t InstallerTrailerLength = sizeof(TInstallerTrailer);
// What follows the pieces of an installer file: the trailer, its length and the marker.
constexpr int32_t InstallerTailLength = InstallerTrailerLength + sizeof(int32_t) + PackMarkerLength;
static_assert(InstallerTailLength == LayoutTailLength);

constexpr int32_t SettingsRecordLength = sizeof(TSaverSettings);
static_assert(SettingsRecordLength == LayoutSettingsLength);
