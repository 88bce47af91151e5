#include "pack/InstallerReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

#include "pack/CaPack.h"

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
        static_assert(PackSizeLimit == int64_t{1} << 31, "the layout check's limit");
        TInstallerLayout layout;
        char reason[LayoutReasonSize];
        if (CheckInstallerLayout(FFile, FLength, &layout, reason) != 0) {
            Refuse(reason);
        }
        FTrailer = layout.Trailer;
        FEntries.assign(layout.Entries, layout.Entries + layout.PictureCount);
    } catch (...) {
        Close();
        throw;
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
    char reason[LayoutReasonSize];
    if (LayoutRead(FFile, buffer, offset, size, reason) != 0) {
        Refuse(reason);
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
