#include "pack/InstallerReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "pack/CaPack.h"

namespace {

int32_t Le32At(const char* bytes) {
    int32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// An extension field as the text field rule leaves it for an extension of FileExtLower: all zero
// for none, else a dot, up to four more bytes that are no dot and no delimiter, and zeros after a
// shorter text. ".jpeg" fills the field without a terminator.
bool IsStoredExt(const char (&field)[5]) {
    if (field[0] == 0) {
        return std::all_of(field, field + 5, [](char c) { return c == 0; });
    }
    if (field[0] != '.') {
        return false;
    }
    bool ended = false;
    for (int i = 1; i < 5; ++i) {
        const char c = field[i];
        if (ended ? c != 0 : c == '.' || c == '/' || c == ':') {
            return false;
        }
        ended = ended || c == 0;
    }
    return true;
}

bool IsZero(const void* bytes, size_t size) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    return std::all_of(p, p + size, [](unsigned char c) { return c == 0; });
}

}  // namespace

TInstallerReader::TInstallerReader(const std::string& fileName) {
    Open(fileName);
}

TInstallerReader::~TInstallerReader() {
    Close();
}

TInstallerReader::TInstallerReader(TInstallerReader&& other) noexcept {
    *this = std::move(other);
}

TInstallerReader& TInstallerReader::operator=(TInstallerReader&& other) noexcept {
    if (this != &other) {
        Close();
        FFile = std::exchange(other.FFile, -1);
        FLength = std::exchange(other.FLength, 0);
        FFileName = std::move(other.FFileName);
        FTrailer = std::exchange(other.FTrailer, {});
        FEntries = std::move(other.FEntries);
    }
    return *this;
}

void TInstallerReader::Close() {
    if (FFile >= 0) {
        ::close(FFile);
    }
    FFile = -1;
    FLength = 0;
    FTrailer = {};
    FEntries.clear();
}

void TInstallerReader::Open(const std::string& fileName) {
    Close();
    FFileName = fileName;
    // Non-blocking, so that a FIFO does not hang the open before it is refused below.
    FFile = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (FFile < 0) {
        throw std::runtime_error("无法打开文件 " + fileName);
    }
    try {
        struct stat info;
        if (::fstat(FFile, &info) != 0 || !S_ISREG(info.st_mode)) {
            Refuse("它不是普通文件");
        }
        FLength = info.st_size;
        if (FLength >= PackSizeLimit) {
            Refuse("文件超过 2 GB");
        }
        if (FLength < InstallerTailLength + SettingsRecordLength + ImagePackOverhead) {
            Refuse("文件太短");
        }
        char tail[InstallerTailLength];
        ReadInto(tail, FLength - InstallerTailLength, InstallerTailLength);
        if (std::memcmp(tail + InstallerTrailerLength + 4, PackMarker, PackMarkerLength) != 0) {
            Refuse("文件末尾没有屏保标记");
        }
        if (Le32At(tail + InstallerTrailerLength) != InstallerTrailerLength) {
            Refuse("索引的长度不是 146");
        }
        std::memcpy(&FTrailer, tail, InstallerTrailerLength);
        CheckPieces();
        ReadDirectory();
    } catch (...) {
        Close();
        throw;
    }
}

void TInstallerReader::CheckPieces() {
    // Every sum is taken in 64 bits, so no int32 from the file can wrap; the pieces must follow
    // each other without gaps up to the trailer, exactly as the builder writes them.
    const TInstallerTrailer& t = FTrailer;
    if (t.SsOffset < 0 || t.SsSize < 0 || t.UiOffset < 0 || t.UiSize < 0) {
        Refuse("存根的位置或长度无效");
    }
    const int64_t ieSize = int64_t{t.SettingsOffset} - t.SsSize - t.UiSize;
    // An absent stub has offset 0 and size 0 wherever it would have started.
    const bool ssPlaced = t.SsOffset == ieSize || (t.SsOffset == 0 && t.SsSize == 0);
    const bool uiPlaced = t.UiOffset == ieSize + t.SsSize || (t.UiOffset == 0 && t.UiSize == 0);
    if (ieSize < 0 || !ssPlaced || !uiPlaced) {
        Refuse("存根的位置或长度无效");
    }
    if (t.SettingsSize != SettingsRecordLength) {
        Refuse("设置记录的长度不是 77965");
    }
    const int64_t trailerOffset = FLength - InstallerTailLength;
    const int64_t imagesEnd = int64_t{t.ImagesOffset} + t.ImagesSize;
    if (t.ImagesOffset != int64_t{t.SettingsOffset} + SettingsRecordLength ||
        t.ImagesSize < ImagePackOverhead || imagesEnd > trailerOffset) {
        Refuse("图片包的位置或长度无效");
    }
    const bool soundPlaced =
        t.HasSound == 1
            ? t.SoundOffset == imagesEnd && t.SoundSize >= 0 &&
                  int64_t{t.SoundOffset} + t.SoundSize == trailerOffset && IsStoredExt(t.SoundExt)
            : t.HasSound == 0 && t.SoundOffset == 0 && t.SoundSize == 0 &&
                  IsZero(t.SoundExt, sizeof t.SoundExt) && imagesEnd == trailerOffset;
    if (!soundPlaced) {
        Refuse("声音的位置、长度或扩展名无效");
    }
}

void TInstallerReader::ReadDirectory() {
    const int64_t pack = FTrailer.ImagesOffset;
    const int64_t packSize = FTrailer.ImagesSize;
    char marker[PackMarkerLength];
    ReadInto(marker, pack, PackMarkerLength);
    if (std::memcmp(marker, PackMarker, PackMarkerLength) != 0) {
        Refuse("图片包开头没有屏保标记");
    }
    // The directory, then its length, ends the pack.
    const int64_t directory = packSize - ImagePackDirectoryLength - 4;
    char bytes[ImagePackDirectoryLength + 4];
    ReadInto(bytes, pack + directory, sizeof bytes);
    if (Le32At(bytes + ImagePackDirectoryLength) != ImagePackDirectoryLength) {
        Refuse("图片包末尾不是 3329");
    }
    const int count = static_cast<unsigned char>(bytes[0]);
    FEntries.resize(count);
    // With no pictures the vector has no array to copy into: its data() may be null.
    if (count > 0) {
        std::memcpy(FEntries.data(), bytes + 1, count * sizeof(TImagePackEntry));
    }
    // The pictures follow the marker one after another, up to the directory.
    int64_t next = PackMarkerLength;
    for (int k = 0; k < count; ++k) {
        const TImagePackEntry& entry = FEntries[k];
        if (entry.Offset != next || entry.Size < 0 || next + entry.Size > directory) {
            Refuse("第 " + std::to_string(k + 1) + " 张图片的位置或长度无效");
        }
        if (!IsStoredExt(entry.Ext)) {
            Refuse("第 " + std::to_string(k + 1) + " 张图片的扩展名无效");
        }
        next += entry.Size;
    }
    if (next != directory) {
        Refuse("图片之后、目录之前有多余的数据");
    }
    const size_t used = 1 + count * sizeof(TImagePackEntry);
    if (!IsZero(bytes + used, ImagePackDirectoryLength - used)) {
        Refuse("图片目录中有多余的条目");
    }
}

std::string TInstallerReader::Title() const {
    return ReadFieldUtf8(FTrailer.Title);
}

TSaverSettings TInstallerReader::Settings() const {
    TSaverSettings settings;
    ReadInto(&settings, FTrailer.SettingsOffset, SettingsRecordLength);
    return settings;
}

const TImagePackEntry& TInstallerReader::Entry(int index) const {
    if (index < 0 || index >= PictureCount()) {
        throw std::out_of_range("picture index out of range");
    }
    return FEntries[index];
}

std::string TInstallerReader::PictureExt(int index) const {
    return ReadFieldUtf8(Entry(index).Ext);
}

std::string TInstallerReader::PictureBytes(int index) const {
    const TImagePackEntry& entry = Entry(index);
    return Read(int64_t{FTrailer.ImagesOffset} + entry.Offset, entry.Size);
}

std::string TInstallerReader::SoundExt() const {
    return ReadFieldUtf8(FTrailer.SoundExt);
}

std::string TInstallerReader::SoundBytes() const {
    return Read(FTrailer.SoundOffset, FTrailer.SoundSize);
}

std::string TInstallerReader::Read(int64_t offset, int64_t size) const {
    std::string bytes(static_cast<size_t>(size), '\0');
    ReadInto(bytes.data(), offset, size);
    return bytes;
}

void TInstallerReader::ReadInto(void* buffer, int64_t offset, int64_t size) const {
    if (FFile < 0) {
        throw std::logic_error("no installer file is open");
    }
    auto* p = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(FFile, p + done, size - done, offset + done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Refuse(std::string("读取失败：") + std::strerror(errno));
        }
        // The file shrank since it was checked.
        if (got == 0) {
            Refuse("文件在读取时变短了");
        }
        done += got;
    }
}

void TInstallerReader::Refuse(const std::string& reason) const {
    throw std::runtime_error("“" + FFileName + "” 不是 Kavro 屏保文件或已损坏\n" + reason);
}

std::string TInstallerReader::PieceBytes(const TPiece& piece) const {
    if (piece.Offset < 0 || piece.Size < 0 || piece.Offset > FLength - piece.Size) {
        Refuse("所要的部分不在文件之内");
    }
    return Read(piece.Offset, piece.Size);
}
