#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pack/CaPack.h"
#include "pack/InstallerFormat.h"

// Builds the image pack: the marker, every picture file's bytes, then a directory that a reader
// finds from the pack's end.
class TCaPackImages : public TCaPack {
public:
    // What goes into the pack in place of picture index's file: true with its bytes and
    // extension, false for the file as it is.
    using TReplacement = std::function<bool(int index, std::string& bytes, std::string& ext)>;

    // Packs the pictures in list order; at most 255 names.
    void AddImages(const std::vector<std::string>& fileNames);
    // The same, with some pictures' bytes replaced.
    void AddImagesWith(const std::vector<std::string>& fileNames, const TReplacement& replace);
    void AddImage(int index, const std::string& fileName);
    // Packs bytes that stand for picture index, with their extension.
    void AddImageBytes(int index, const std::string& bytes, const std::string& ext);
    // Appends the picture count, the 256 entries and the directory's length.
    void AddDirectory();

    uint8_t ImageCount() const { return FImageCount; }
    const TImagePackEntry& Entry(int index) const { return FEntries[index]; }

private:
    uint8_t FImageCount = 0;
    TImagePackEntry FEntries[ImagePackEntryCount] = {};
};
