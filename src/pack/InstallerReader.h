#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/InstallerFormat.h"
#include "settings/SaverSettings.h"

// Reads an installer file back: its title, settings record, pictures and sound. Opening reads
// only the trailer and the picture directory, and checks every offset and size in them against
// the file's length and against each other; the pieces themselves are read when asked for.
class TInstallerReader {
public:
    // Where a piece lies in the file.
    struct TPiece {
        int64_t Offset = 0;
        int64_t Size = 0;
    };

    // A reader with no file; Open gives it one.
    TInstallerReader() = default;
    // Opens fileName as Open does.
    explicit TInstallerReader(const std::string& fileName);
    ~TInstallerReader();
    TInstallerReader(TInstallerReader&& other) noexcept;
    TInstallerReader& operator=(TInstallerReader&& other) noexcept;
    TInstallerReader(const TInstallerReader&) = delete;
    TInstallerReader& operator=(const TInstallerReader&) = delete;

    // Opens a regular file read-only and checks its layout. Throws std::runtime_error naming the
    // file when it cannot be opened, and "“<file>” 不是 Kavro 屏保文件或已损坏" with the reason on
    // a second line when it is no installer file or is damaged; the reader is then closed.
    void Open(const std::string& fileName);
    void Close();
    bool IsOpen() const { return FFile >= 0; }
    const std::string& FileName() const { return FFileName; }

    // The title, converted to UTF-8.
    std::string Title() const;
    // The trailer as stored; its offsets and sizes are checked.
    const TInstallerTrailer& Trailer() const { return FTrailer; }
    // The stubs: ie.dat at the file's start, then ss.dat and ui.dat. An absent stub has
    // offset and size 0.
    TPiece Ie() const {
        return {0, FTrailer.SettingsOffset - int64_t{FTrailer.SsSize} - FTrailer.UiSize};
    }
    TPiece Ss() const { return {FTrailer.SsOffset, FTrailer.SsSize}; }
    TPiece Ui() const { return {FTrailer.UiOffset, FTrailer.UiSize}; }
    // The file's length when it was opened.
    int64_t Length() const { return FLength; }
    // The bytes of a piece inside the file (a stub, or the whole file from offset 0).
    std::string PieceBytes(const TPiece& piece) const;

    // The pieces below are read from the file each time they are asked for, and throw as Open
    // does when the file no longer holds them.
    TSaverSettings Settings() const;

    int PictureCount() const { return static_cast<int>(FEntries.size()); }
    // Picture index's extension as stored: lower-cased, with its dot, in UTF-8.
    std::string PictureExt(int index) const;
    std::string PictureBytes(int index) const;

    bool HasSound() const { return FTrailer.HasSound != 0; }
    std::string SoundExt() const;
    std::string SoundBytes() const;

private:
    const TImagePackEntry& Entry(int index) const;
    // size bytes at offset, which the checks have placed inside the file.
    std::string Read(int64_t offset, int64_t size) const;
    void ReadInto(void* buffer, int64_t offset, int64_t size) const;
    [[noreturn]] void Refuse(const std::string& reason) const;

    int FFile = -1;
    int64_t FLength = 0;
    std::string FFileName;
    TInstallerTrailer FTrailer = {};
    // The directory's entries below the picture count, offsets counted from the pack's start.
    std::vector<TImagePackEntry> FEntries;
};
