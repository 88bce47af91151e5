#include "pack/CaPack.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

const char* const SizeLimitMessage = "安装文件超过 2 GB 的上限";
const char* const OutOfMemoryMessage = "Out of memory while expanding memory stream";

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
        FStream.reserve(FSize + count);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(OutOfMemoryMessage);
    }
}

char* TCaPack::Extend(int64_t count) {
    CheckRoom(count);
    int64_t needed = FSize + count;
    try {
        if (needed > FStream.capacity()) {
            // Unknown appends grow by half, not by doubling: the stream may hold gigabytes.
            FStream.reserve(std::max<int64_t>(needed, FStream.capacity() + FStream.capacity() / 2));
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
    if (file.write(FStream) != FStream.size() || !file.commit()) {
        throw std::runtime_error("Stream write error");
    }
}
