#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/CaPack.h"
#include "pack/InstallerFormat.h"

// Builds the image pack: the marker, every picture file's bytes, then a directory that a reader
// finds from the pack's end.
class TCaPackImages : public TCaPack {
public:
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
