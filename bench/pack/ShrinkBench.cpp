// Re-encoding large photos for "缩小大图片": one 24-megapixel photo at a time on one thread, then
// a run of them through the shrinker's workers (wall time per picture and the cores it kept
// busy), and the show file's size with and without the choice for as many copies as asked
// (KAVRO_SHRINK_PICTURES, 16 unless set; 255 for the full figure).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "pack/BuildInstaller.h"
#include "pack/PictureShrink.h"
#include "settings/ShowExtras.h"
#include "support/ExifBlock.h"
#include "support/JpegWriter.h"

namespace {

// A 6000 x 4000 photo-like picture: smooth light over the frame with some grain, as a camera's
// JPEG of quality 92 with its EXIF date.
struct Photo {
    QTemporaryDir dir;
    std::string file;
    size_t size = 0;

    Photo() {
        const int w = 6000, h = 4000;
        std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
        std::mt19937 grain(7);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
                const int noise = static_cast<int>(grain() % 24) - 12;
                p[0] = static_cast<unsigned char>(std::clamp(x * 255 / w + noise, 0, 255));
                p[1] = static_cast<unsigned char>(std::clamp(y * 255 / h + noise, 0, 255));
                p[2] = static_cast<unsigned char>(
                    std::clamp(128 + ((x / 97 + y / 89) % 7) * 16 + noise, 0, 255));
            }
        }
        const auto jpeg = EncodeJpeg(w, h, 3, rgb.data(), 92, false);
        const std::string bytes(jpeg.begin(), jpeg.end());
        file = dir.filePath("photo.jpg").toStdString();
        std::ofstream(file, std::ios::binary)
            << bytes.substr(0, 2) + ExifApp1(ExifTiff("2024:05:03 14:20:07", 1, false)) +
                   bytes.substr(2);
        size = std::filesystem::file_size(file);
    }
};

const Photo& ThePhoto() {
    static Photo photo;
    return photo;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

void OnePhotoOneThread(benchmark::State& state) {
    const Photo& photo = ThePhoto();
    size_t shrunk = 0;
    for (auto _ : state) {
        TShrunkPicture picture = ShrinkPicture(photo.file);
        shrunk = picture.Bytes.size();
        benchmark::DoNotOptimize(picture);
    }
    state.counters["photo_bytes"] = static_cast<double>(photo.size);
    state.counters["shrunk_bytes"] = static_cast<double>(shrunk);
}
BENCHMARK(OnePhotoOneThread)->Unit(benchmark::kMillisecond)->Iterations(5);

void PhotosOnEveryCore(benchmark::State& state) {
    const Photo& photo = ThePhoto();
    const std::vector<std::string> files(8, photo.file);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuBefore = CpuSeconds();
        TPictureShrinker shrinker(files, TPictureShrinker::Threads());
        for (int i = 0; i < static_cast<int>(files.size()); ++i) {
            benchmark::DoNotOptimize(shrinker.Take(i, {}));
        }
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["wall_ms_per_picture"] = wall * 1000 / files.size();
        state.counters["cores_busy"] = (CpuSeconds() - cpuBefore) / wall;
        state.counters["threads"] = TPictureShrinker::Threads();
    }
}
BENCHMARK(PhotosOnEveryCore)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void ShowFileSize(benchmark::State& state) {
    const Photo& photo = ThePhoto();
    const char* asked = std::getenv("KAVRO_SHRINK_PICTURES");
    const int count = std::clamp(asked ? std::atoi(asked) : 16, 1, MaxPictures);
    QTemporaryDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(dir.filePath(QStringLiteral("p%1.jpg").arg(i)).toStdString());
        std::filesystem::create_hard_link(photo.file, files.back());
    }
    TSaverSettings settings;
    InitSaverSettings(settings);
    settings.PictureCount = static_cast<uint8_t>(count);
    const std::string plain = dir.filePath("plain.run").toStdString();
    const std::string small = dir.filePath("small.run").toStdString();
    double plainSize = 0;
    bool plainFits = true;
    for (auto _ : state) {
        // 255 camera photos of this size pass the file's 2 GiB limit: without the choice the
        // show cannot be made, and its size is the sum of its pieces.
        try {
            BuildInstaller(plain,
                           "T",
                           "/nonexistent/",
                           settings,
                           files,
                           "",
                           dir.path().toStdString() + "/",
                           [] {});
            plainSize = static_cast<double>(std::filesystem::file_size(plain));
        } catch (const std::exception&) {
            plainFits = false;
            plainSize =
                static_cast<double>(photo.size) * count + sizeof(TSaverSettings) + 3348 + 165;
        }
        TShowExtras extras;
        extras.ShrinkPictures = true;
        TSaverSettings shrinking = settings;
        WriteShowExtras(shrinking, extras);
        BuildInstaller(
            small, "T", "/nonexistent/", shrinking, files, "", dir.path().toStdString() + "/", [] {
            });
    }
    const double smallSize = static_cast<double>(std::filesystem::file_size(small));
    state.counters["pictures"] = count;
    state.counters["plain_fits"] = plainFits;
    state.counters["plain_bytes"] = plainSize;
    state.counters["shrunk_bytes"] = smallSize;
    state.counters["ratio"] = plainSize / smallSize;
}

BENCHMARK(ShowFileSize)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
