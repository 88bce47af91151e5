#include "pack/CaPackImages.h"

#include <algorithm>
#include <stdexcept>

#include "settings/SaverSettings.h"
#include "toolkit/FileExt.h"
#include "toolkit/UserFile.h"

void TCaPackImages::AddImages(const std::vector<std::string>& fileNames) {
    // The count is one byte and entry 255 stays free: more names would wrap or overrun it.
    if (fileNames.size() > MaxPictures) {
        throw std::invalid_argument("an image pack holds at most 255 pictures");
    }
    // The lengths are known before a byte is read: a pack too large for its int32 offsets fails
    // here, and the stream is sized once instead of regrowing for every picture. A file that
    // cannot be read counts 0 and fails when it is opened.
    int64_t total = ImagePackDirectoryLength + sizeof(int32_t);
    for (const std::string& fileName : fileNames) {
        total += std::max<int64_t>(RegularFileSize(fileName), 0);
    }
    Reserve(total);
    FImageCount = static_cast<uint8_t>(fileNames.size());
    for (size_t k = 0; k < fileNames.size(); ++k) {
        AddImage(static_cast<int>(k), fileNames[k]);
    }
}

void TCaPackImages::AddImage(int index, const std::string& fileName) {
    if (index < 0 || index >= ImagePackEntryCount) {
        throw std::out_of_range("image pack entry out of range");
    }
    TImagePackEntry& entry = FEntries[index];
    entry.Offset = FSize;
    entry.Size = AddFile(fileName);
    WriteFieldUtf8(entry.Ext, FileExtLower(fileName));
}

void TCaPackImages::AddDirectory() {
    AddBuffer(&FImageCount, sizeof FImageCount);
    AddBuffer(FEntries, sizeof FEntries);
    AddBuffer(&ImagePackDirectoryLength, sizeof ImagePackDirectoryLength);
}
