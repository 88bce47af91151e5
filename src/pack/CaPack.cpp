#include "pack/CaPack.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "pack/InstallerFormat.h"
#include "toolkit/HugePages.h"

namespace {

const char* const SizeLimitMessage = "安装文件超过 2 GB 的上限";
const char* const OutOfMemoryMessage = "Out of memory while expanding memory stream";

// Writes are handed to the disk in pieces of this size while the next piece is copied.
constexpr int64_t WriteChunk = int64_t{8} << 20;

// Writes count bytes to fd, starting the disk write of each chunk as soon as it is in the page
// cache, so that the final flush waits for the last chunk rather than for the whole file.
bool WriteAll(int fd, const char* bytes, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        int64_t chunkEnd = std::min(count, done + WriteChunk);
        int64_t chunkStart = done;
        while (done < chunkEnd) {
            ssize_t written = ::write(fd, bytes + done, chunkEnd - done);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            done += written;
        }
        // A hint too: the flush before the rename still waits for every byte.
        sync_file_range(fd, chunkStart, chunkEnd - chunkStart, SYNC_FILE_RANGE_WRITE);
    }
    return true;
}

}  // namespace

void TCaPack::Clear() {
    FStream.clear();
    FSize = 0;
}

void TCaPack::CheckRoom(int64_t count) const {
    if (count < 0 || FSize + count >= FSizeLimit) {
        throw std::runtime_error(SizeLimitMessage);
    }
}

void TCaPack::Reserve(int64_t count) {
    CheckRoom(count);
    try {
        Grow(FSize + count);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(OutOfMemoryMessage);
    }
}

void TCaPack::Grow(int64_t capacity) {
    if (capacity <= FStream.capacity()) {
        return;
    }
    FStream.reserve(capacity);
    char* data = FStream.data();
    // Filling hundreds of megabytes of fresh memory 4 KiB page by 4 KiB page costs more in page
    // faults than the copying itself.
    AdviseHugePages(data + FSize, data + FStream.capacity());
}

char* TCaPack::Extend(int64_t count) {
    CheckRoom(count);
    int64_t needed = FSize + count;
    try {
        if (needed > FStream.capacity()) {
            // Unknown appends grow by half, not by doubling: the stream may hold gigabytes.
            Grow(std::max<int64_t>(needed, FStream.capacity() + FStream.capacity() / 2));
        }
        FStream.resize(needed);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(OutOfMemoryMessage);
    }
    char* tail = FStream.data() + FSize;
    FSize = static_cast<int32_t>(needed);
    return tail;
}

void TCaPack::AddBuffer(const void* buffer, int32_t count) {
    if (count <= 0) {
        return;
    }
    std::memcpy(Extend(count), buffer, count);
}

void TCaPack::AddMarker() {
    AddBuffer(PackMarker, PackMarkerLength);
}

int32_t TCaPack::AddStream(QIODevice& source) {
    int64_t length = source.size();
    CheckRoom(length);
    if (!source.seek(0)) {
        throw std::runtime_error("Stream read error");
    }
    int32_t start = FSize;
    char* tail = Extend(length);
    int64_t done = 0;
    while (done < length) {
        int64_t got = source.read(tail + done, length - done);
        if (got <= 0) {
            FStream.resize(start);
            FSize = start;
            throw std::runtime_error("Stream read error");
        }
        done += got;
    }
    return static_cast<int32_t>(length);
}

int32_t TCaPack::AddFile(const std::string& fileName) {
    // Opened read-only: this platform has no share modes to keep other writers out meanwhile.
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        throw std::runtime_error("无法打开文件 " + fileName);
    }
    return AddStream(file);
}

void TCaPack::SaveToFile(const std::string& fileName) {
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw std::runtime_error("无法创建文件 " + fileName);
    }
    // commit() flushes the data to disk before the rename. The flush stays: without a journal on
    // the disk, nothing else orders the data before the rename, and a power loss could leave the
    // target empty or torn. The chunked write has most of it on its way by then.
    if (!WriteAll(file.handle(), FStream.constData(), FSize) || !file.commit()) {
        throw std::runtime_error("Stream write error");
    }
}
