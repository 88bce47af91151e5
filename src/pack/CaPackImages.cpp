#include "pack/CaPackImages.h"

#include <sys/stat.h>

#include <climits>
#include <stdexcept>

#include "settings/SaverSettings.h"
#include "toolkit/FileExt.h"

void TCaPackImages::AddImages(const std::vector<std::string>& fileNames) {
    AddImagesWith(fileNames, {});
}

void TCaPackImages::AddImagesWith(const std::vector<std::string>& fileNames,
                                  const TReplacement& replace) {
    // The count is one byte and entry 255 stays free: more names would wrap or overrun it.
    if (fileNames.size() > MaxPictures) {
        throw std::invalid_argument("an image pack holds at most 255 pictures");
    }
    // The lengths are known before a byte is read: a pack too large for its int32 offsets fails
    // here, and the stream is sized once instead of regrowing for every picture. A file that
    // cannot be read counts 0 and fails when it is opened.
    int64_t total = ImagePackDirectoryLength + sizeof(int32_t);
    for (const std::string& fileName : fileNames) {
        struct stat info;
        if (::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            total += info.st_size;
        }
    }
    Reserve(total);
    FImageCount = static_cast<uint8_t>(fileNames.size());
    std::string bytes, ext;
    for (size_t k = 0; k < fileNames.size(); ++k) {
        const int index = static_cast<int>(k);
        if (replace && replace(index, bytes, ext)) {
            AddImageBytes(index, bytes, ext);
        } else {
            AddImage(index, fileNames[k]);
        }
    }
}

void TCaPackImages::AddImageBytes(int index, const std::string& bytes, const std::string& ext) {
    if (index < 0 || index >= ImagePackEntryCount) {
        throw std::out_of_range("image pack entry out of range");
    }
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        throw std::length_error("picture too large for the pack");
    }
    TImagePackEntry& entry = FEntries[index];
    entry.Offset = FSize;
    AddBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    entry.Size = static_cast<int32_t>(bytes.size());
    WriteFieldUtf8(entry.Ext, ext);
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
