#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "support/JpegWriter.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Picture.h"

namespace {

constexpr int PhotoWidth = 4000, PhotoHeight = 3000;

// A 4000 x 3000 bitmap of noise, so that no copy can profit from repeats.
TBitmap& Photo() {
    static TBitmap photo(PhotoWidth, PhotoHeight);
    static bool painted = false;
    if (!painted) {
        std::mt19937 random(1);
        QImage& image = photo.Image();
        for (int y = 0; y < PhotoHeight; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
            for (int x = 0; x < PhotoWidth; ++x) {
                row[x] = 0xFF000000u | (random() & 0xFFFFFF);
            }
        }
        painted = true;
    }
    return photo;
}

// A 12-megapixel photo-like JPEG (smooth gradients plus noise, quality 90), made once.
const std::string& PhotoJpeg() {
    static std::string path;
    if (path.empty()) {
        std::vector<unsigned char> rgb(static_cast<size_t>(PhotoWidth) * PhotoHeight * 3);
        std::mt19937 random(2);
        size_t i = 0;
        for (int y = 0; y < PhotoHeight; ++y) {
            for (int x = 0; x < PhotoWidth; ++x) {
                const int noise = static_cast<int>(random() % 25) - 12;
                rgb[i++] =
                    static_cast<unsigned char>(std::clamp(x * 255 / PhotoWidth + noise, 0, 255));
                rgb[i++] =
                    static_cast<unsigned char>(std::clamp(y * 255 / PhotoHeight + noise, 0, 255));
                rgb[i++] = static_cast<unsigned char>(
                    std::clamp((x + y) * 255 / (PhotoWidth + PhotoHeight) + noise, 0, 255));
            }
        }
        auto bytes = EncodeJpeg(PhotoWidth, PhotoHeight, 3, rgb.data(), 90, false);
        path = (std::filesystem::temp_directory_path() / "kavro_bench_photo.jpg").string();
        WriteFileBytes(path, bytes.data(), bytes.size());
    }
    return path;
}

// The thread's own CPU time: the machine is shared, and wall time would count the moments
// another process holds the core into one phase or another at random.
double Now() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// One load per cache line of the 1080 source rows that the stretch reads: the memory traffic it
// cannot avoid, since its columns lie closer together than a cache line.
uint64_t ReadStretchSourceRows(const QImage& image) {
    uint64_t sum = 0;
    for (int y = 0; y < 1080; ++y) {
        const auto* row =
            reinterpret_cast<const uint64_t*>(image.constScanLine(y * PhotoHeight / 1080));
        for (int x = 0; x < PhotoWidth / 2; x += 8) {
            sum += row[x];
        }
    }
    return sum;
}

// Stretch-draw of the photo onto a 1920 x 1080 bitmap, timed in the same iteration as a memcpy
// between two more bitmaps of the destination's size (allocated as the destination is) and as
// the bare read of the source rows: "ratio" = stretch / memcpy, "read_ratio" = read / memcpy.
void BM_StretchDraw4000x3000To1920x1080(benchmark::State& state) {
    TBitmap& photo = Photo();
    TBitmap target(1920, 1080), from(1920, 1080), to(1920, 1080);
    const size_t bytes = size_t(1920) * 1080 * 4;
    double stretchSeconds = 0, copySeconds = 0, readSeconds = 0;
    for (auto _ : state) {
        const double t0 = Now();
        target.Canvas().StretchDraw({0, 0, 1920, 1080}, photo);
        benchmark::ClobberMemory();
        const double t1 = Now();
        std::memcpy(to.Image().bits(), from.Image().constBits(), bytes);
        benchmark::ClobberMemory();
        const double t2 = Now();
        benchmark::DoNotOptimize(ReadStretchSourceRows(photo.Image()));
        const double t3 = Now();
        stretchSeconds += t1 - t0;
        copySeconds += t2 - t1;
        readSeconds += t3 - t2;
        state.SetIterationTime(t1 - t0);
    }
    const double n = double(state.iterations());
    state.counters["memcpy_us"] = copySeconds / n * 1e6;
    state.counters["read_us"] = readSeconds / n * 1e6;
    state.counters["ratio"] = stretchSeconds / copySeconds;
    state.counters["read_ratio"] = readSeconds / copySeconds;
    state.SetBytesProcessed(state.iterations() * int64_t(bytes));
}
BENCHMARK(BM_StretchDraw4000x3000To1920x1080)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same memcpy back to back, its 2 x 8.3 MB staying in the last-level cache between copies.
void BM_MemcpyOf1920x1080(benchmark::State& state) {
    const size_t bytes = 1920 * 1080 * 4;
    TBitmap from(1920, 1080), to(1920, 1080);
    for (auto _ : state) {
        std::memcpy(to.Image().bits(), from.Image().constBits(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_MemcpyOf1920x1080)->Unit(benchmark::kMicrosecond);

void BM_JpegDecodeIntoPicture(benchmark::State& state) {
    const std::string& path = PhotoJpeg();
    TPicture picture;
    for (auto _ : state) {
        picture.LoadFromFile(path);
        benchmark::DoNotOptimize(picture.Graphic().Image().constBits());
    }
}
BENCHMARK(BM_JpegDecodeIntoPicture)->Unit(benchmark::kMillisecond);

// libjpeg's own decode of the same file with its defaults (islow, fancy upsampling, RGB) into
// a reused buffer.
void BM_JpegDecodePlainLibjpeg(benchmark::State& state) {
    const std::string& path = PhotoJpeg();
    std::vector<unsigned char> buffer(static_cast<size_t>(PhotoWidth) * PhotoHeight * 3);
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, file);
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = buffer.data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_JpegDecodePlainLibjpeg)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
