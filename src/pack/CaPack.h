#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

class QIODevice;

// Offsets and sizes inside packs and installer files are int32, so no stream may reach 2 GiB.
constexpr int64_t PackSizeLimit = int64_t{1} << 31;

// An append-only byte stream assembled in memory and saved to a file in one go. FSize is the
// offset at which the next piece starts.
class TCaPack {
public:
    TCaPack() = default;
    TCaPack(const TCaPack&) = delete;
    TCaPack& operator=(const TCaPack&) = delete;

    // Empties the stream; offsets taken afterwards start at 0 again.
    void Clear();
    void AddBuffer(const void* buffer, int32_t count);
    // Appends the 15-byte marker that opens an image pack and closes an installer file.
    void AddMarker();
    // Appends the whole content of source, wherever its position was; returns its length.
    int32_t AddStream(QIODevice& source);
    // Appends a whole regular file, opened read-only; returns its length. Errors name the file
    // and the reason on a second line.
    int32_t AddFile(const std::string& fileName);
    // Replaces fileName with the stream's bytes only once all of them are written; the old file
    // stays when anything fails. Errors name the file and the reason on a second line.
    void SaveToFile(const std::string& fileName);

    int32_t Size() const { return FSize; }
    const QByteArray& Stream() const { return FStream; }

    // Lowers the 2 GiB ceiling, so that tests reach it without gigabytes of data.
    void SetSizeLimit(int64_t limit) { FSizeLimit = limit; }
    int64_t SizeLimit() const { return FSizeLimit; }

protected:
    // Raises the size error when count more bytes would reach the ceiling.
    void CheckRoom(int64_t count) const;
    // Makes room for count more bytes at once, so that known appends never regrow the stream.
    void Reserve(int64_t count);

    QByteArray FStream;
    int32_t FSize = 0;

private:
    // AddStream; a read that fails names fileName and the reason when it is given.
    int32_t Append(QIODevice& source, const std::string* fileName);
    // Makes the stream's capacity at least capacity bytes.
    void Grow(int64_t capacity);
    char* Extend(int64_t count);

    int64_t FSizeLimit = PackSizeLimit;
};
