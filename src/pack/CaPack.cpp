#include "pack/CaPack.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "pack/InstallerFormat.h"
#include "toolkit/AtomicFile.h"
#include "toolkit/HugePages.h"
#include "toolkit/UserFile.h"

namespace {

const char* const SizeLimitMessage = "安装文件超过 2 GB 的上限";
const char* const OutOfMemoryMessage = "Out of memory while expanding memory stream";

// Writes are handed to the disk in pieces of this size while the next piece is copied.
constexpr int64_t WriteChunk = int64_t{8} << 20;

const char* const ReadErrorMessage = "Stream read error";
const char* const WriteErrorMessage = "Stream write error";

// A fixed first line and, below it, the file and the reason.
std::runtime_error FileError(const std::string& first,
                             const std::string& fileName,
                             const std::string& reason) {
    return std::runtime_error(first + "\n" + FileReasonLine(fileName, reason));
}

// Writes count bytes, starting the disk write of each chunk as soon as it is in the page cache,
// so that the final flush waits for the last chunk rather than for the whole file.
bool WriteAll(TAtomicFile& file, const char* bytes, int64_t count) {
    for (int64_t done = 0; done < count;) {
        const int64_t chunk = std::min(WriteChunk, count - done);
        if (!file.Write(bytes + done, static_cast<size_t>(chunk))) {
            return false;
        }
        // A hint only: the flush before the rename still waits for every byte.
        sync_file_range(file.Fd(), done, chunk, SYNC_FILE_RANGE_WRITE);
        done += chunk;
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
    return Append(source, nullptr);
}

int32_t TCaPack::Append(QIODevice& source, const std::string* fileName) {
    int64_t length = source.size();
    CheckRoom(length);
    if (!source.seek(0)) {
        throw std::runtime_error(ReadErrorMessage);
    }
    int32_t start = FSize;
    char* tail = Extend(length);
    int64_t done = 0;
    while (done < length) {
        errno = 0;
        int64_t got = source.read(tail + done, length - done);
        if (got <= 0) {
            const int error = errno;
            FStream.resize(start);
            FSize = start;
            if (!fileName) {
                throw std::runtime_error(ReadErrorMessage);
            }
            // Nothing to read before the promised length: the file was cut meanwhile.
            throw FileError(ReadErrorMessage,
                            *fileName,
                            got == 0 || error == 0 ? "文件在读取时被修改" : FileErrorReason(error));
        }
        done += got;
    }
    return static_cast<int32_t>(length);
}

int32_t TCaPack::AddFile(const std::string& fileName) {
    // Opened read-only by the name's own bytes: this platform has no share modes to keep other
    // writers out meanwhile. A FIFO or a device is refused rather than waited on.
    std::string reason;
    const int fd = OpenRegularFile(fileName, reason);
    if (fd < 0) {
        throw FileError("无法打开文件 " + fileName, fileName, reason);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileError("无法打开文件 " + fileName, fileName, "系统错误");
    }
    return Append(file, &fileName);
}

void TCaPack::SaveToFile(const std::string& fileName) {
    // Written beside the target under a name of its own and renamed over it once every byte is
    // on disk: a failure leaves the old target as it was and removes the new file. A link
    // stays a link; the file it leads to is replaced.
    TAtomicFile file(fileName);
    if (!file.Open()) {
        throw FileError("无法创建文件 " + fileName, fileName, file.Reason());
    }
    if (!WriteAll(file, FStream.constData(), FSize) || !file.Commit()) {
        throw FileError(WriteErrorMessage, fileName, file.Reason());
    }
}
