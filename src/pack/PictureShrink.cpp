#include "pack/PictureShrink.h"

#include <zlib.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

#include "toolkit/FileExt.h"
#include "toolkit/Orientation.h"
#include "toolkit/Picture.h"
#include "toolkit/UserFile.h"

namespace {

std::string Be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) {
        return {};
    }
    return bytes.toStdString();
}

// The JPEG with an APP1 "Exif" segment holding tiff right after its start marker.
std::string WithExifSegment(const std::string& jpeg, const std::string& tiff) {
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const size_t length = payload.size() + 2;
    return jpeg.substr(0, 2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + payload +
           jpeg.substr(2);
}

// The PNG with an eXIf chunk holding tiff right after its header chunk.
std::string WithExifChunk(const std::string& png, const std::string& tiff) {
    const std::string body = "eXIf" + tiff;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
    const size_t afterHeader = 8 + 12 + 13;
    return png.substr(0, afterHeader) + Be32(tiff.size()) + body + Be32(crc) +
           png.substr(afterHeader);
}

}  // namespace

TShrunkPicture ShrinkPicture(const std::string& fileName) {
    TShrunkPicture result;
    try {
        std::string bytes, reason;
        if (!ReadRegularFile(fileName, bytes, reason)) {
            return result;
        }
        TPicture picture;
        picture.SetKeepTransparency(true);
        picture.LoadFromBytes(bytes.data(), bytes.size(), FileExtLower(fileName), fileName);
        const int w = picture.Width(), h = picture.Height();
        if (w <= ShrinkWidth && h <= ShrinkHeight) {
            return result;
        }
        // Fitted as the show fits a picture to its screen: the box's height for a relatively
        // taller picture, else its width; the other side rounded.
        int fw = ShrinkWidth, fh = ShrinkHeight;
        if (static_cast<double>(ShrinkWidth) / ShrinkHeight >= static_cast<double>(w) / h) {
            fw = std::max(
                1, static_cast<int>(std::nearbyint(static_cast<double>(ShrinkHeight) * w / h)));
        } else {
            fh = std::max(
                1, static_cast<int>(std::nearbyint(static_cast<double>(ShrinkWidth) * h / w)));
        }
        const QImage& stored = picture.Graphic().Image();
        const bool transparent = picture.Transparent();
        // The bitmap keeps the alpha in its top byte; viewed as ARGB32 without a copy.
        const QImage source(stored.constBits(),
                            stored.width(),
                            stored.height(),
                            stored.bytesPerLine(),
                            transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        const QImage fitted =
            source.scaled(fw, fh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const TDateTaken& taken = picture.Graphic().TakenOn;
        const std::string tiff = taken.Known() ? UprightExifTiff(taken.Stamp) : std::string();
        std::string encoded = Encoded(fitted, transparent ? "png" : "jpeg", 90);
        if (encoded.size() < 33) {
            return result;
        }
        if (!tiff.empty()) {
            encoded = transparent ? WithExifChunk(encoded, tiff) : WithExifSegment(encoded, tiff);
        }
        result.Shrunk = true;
        result.Bytes = std::move(encoded);
        result.Ext = transparent ? ".png" : ".jpg";
    } catch (...) {
        // Anything that cannot be decoded or shrunk goes in as it is.
        result = {};
    }
    return result;
}

TPictureShrinker::TPictureShrinker(std::vector<std::string> files, int threads)
    : FFiles(std::move(files)), FResults(FFiles.size()), FDone(FFiles.size(), false) {
    threads = std::max(1, threads);
    // Finished pictures wait in memory for the packer; a few per worker keep the workers busy.
    FAhead = static_cast<size_t>(threads) * 2;
    for (int i = 0; i < threads && static_cast<size_t>(i) < FFiles.size(); ++i) {
        FWorkers.emplace_back([this] { Work(); });
    }
}

TPictureShrinker::~TPictureShrinker() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    for (std::thread& worker : FWorkers) {
        worker.join();
    }
}

int TPictureShrinker::Threads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

void TPictureShrinker::Work() {
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FChanged.wait(lock, [this] {
            return FStopping || FNextJob >= FFiles.size() || FNextJob < FTaken + FAhead;
        });
        if (FStopping || FNextJob >= FFiles.size()) {
            return;
        }
        const size_t index = FNextJob++;
        lock.unlock();
        TShrunkPicture picture = ShrinkPicture(FFiles[index]);
        lock.lock();
        FResults[index] = std::move(picture);
        FDone[index] = true;
        ++FFinished;
        FChanged.notify_all();
    }
}

TShrunkPicture TPictureShrinker::Take(int index, const std::function<void()>& onDone) {
    std::unique_lock<std::mutex> lock(FLock);
    const size_t i = static_cast<size_t>(index);
    for (;;) {
        // Progress is told outside the lock: a repaint may take a while.
        while (FReported < FFinished) {
            ++FReported;
            lock.unlock();
            if (onDone) {
                onDone();
            }
            lock.lock();
        }
        if (FDone[i]) {
            break;
        }
        FChanged.wait(lock, [this, i] { return FDone[i] || FReported < FFinished; });
    }
    TShrunkPicture picture = std::move(FResults[i]);
    FTaken = i + 1;
    FChanged.notify_all();
    return picture;
}
