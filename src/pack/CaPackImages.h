#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/CaPack.h"

#pragma pack(push, 1)

// One picture in the image pack's directory.
struct TImagePackEntry {
    int32_t Offset;  // 0: from the pack's first byte
    int32_t Size;    // 4
    char Ext[5];     // 8: ".jpg", ".jpeg", ".bmp"; no terminator when full
};

#pragma pack(pop)

static_assert(sizeof(TImagePackEntry) == 13);

// The 15 bytes that open the image pack and close the installer file.
constexpr char PackMarker[] = "sky mirror band";
constexpr int32_t PackMarkerLength = 15;
static_assert(sizeof PackMarker == PackMarkerLength + 1);

constexpr int ImagePackEntryCount = 256;
// Picture count byte, then the entries: the directory's length, stored after it.
constexpr int32_t ImagePackDirectoryLength = 1 + ImagePackEntryCount * sizeof(TImagePackEntry);
static_assert(ImagePackDirectoryLength == 3329);

// Builds the image pack: the marker, every picture file's bytes, then a directory that a reader
// finds from the pack's end.
class TCaPackImages : public TCaPack {
public:
    void AddMarker();
    // Packs the pictures in list order; at most 255 names.
    void AddImages(const std::vector<std::string>& fileNames);
    void AddImage(int index, const std::string& fileName);
    // Appends the picture count, the 256 entries and the directory's length.
    void AddDirectory();

    uint8_t ImageCount() const { return FImageCount; }
    const TImagePackEntry& Entry(int index) const { return FEntries[index]; }

private:
    uint8_t FImageCount = 0;
    TImagePackEntry FEntries[ImagePackEntryCount] = {};
};
