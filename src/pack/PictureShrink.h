#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// With "缩小大图片" a picture whose upright size exceeds this goes into the pack re-encoded to
// fit it.
constexpr int ShrinkWidth = 3840;
constexpr int ShrinkHeight = 2160;

// A picture as the pack takes it with the choice.
struct TShrunkPicture {
    // False: the file goes in byte for byte, as without the choice.
    bool Shrunk = false;
    std::string Bytes;
    std::string Ext;  // ".jpg", or ".png" for a picture with transparency
};

// The file re-encoded when it is larger than ShrinkWidth x ShrinkHeight upright: fitted into that
// box keeping its shape, upright with EXIF orientation 1 and its DateTimeOriginal kept, as JPEG
// of quality 90 or, with transparent pixels, PNG. Not shrunk when it fits, or when it cannot be
// read or decoded: the build then treats the file as it always has. Never throws for a picture.
TShrunkPicture ShrinkPicture(const std::string& fileName);

// Shrinks the pictures of a list on worker threads, a few ahead of the packer, which takes them
// in list order on its own thread.
class TPictureShrinker {
public:
    TPictureShrinker(std::vector<std::string> files, int threads);
    ~TPictureShrinker();
    TPictureShrinker(const TPictureShrinker&) = delete;
    TPictureShrinker& operator=(const TPictureShrinker&) = delete;

    // Waits for picture index, calling onDone on this thread once for every picture finished
    // meanwhile, so that a progress bar moves while the pictures are re-encoded. Each index is
    // taken once, in increasing order.
    TShrunkPicture Take(int index, const std::function<void()>& onDone);

    // How many workers suit this machine: one per core, at most four (each holds a decoded
    // picture of up to a few hundred megabytes).
    static int Threads();

private:
    void Work();

    std::vector<std::string> FFiles;
    std::vector<TShrunkPicture> FResults;
    std::vector<bool> FDone;
    size_t FNextJob = 0;
    size_t FTaken = 0;
    int FReported = 0;
    int FFinished = 0;
    size_t FAhead;
    bool FStopping = false;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<std::thread> FWorkers;
};
