#include <benchmark/benchmark.h>
#include <jpeglib.h>

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

void BM_StretchDraw4000x3000To1920x1080(benchmark::State& state) {
    TBitmap& photo = Photo();
    TBitmap target(1920, 1080);
    for (auto _ : state) {
        target.Canvas().StretchDraw({0, 0, 1920, 1080}, photo);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 1920 * 1080 * 4);
}
BENCHMARK(BM_StretchDraw4000x3000To1920x1080)->Unit(benchmark::kMicrosecond);

void BM_MemcpyOf1920x1080(benchmark::State& state) {
    const size_t bytes = 1920 * 1080 * 4;
    std::vector<char> from(bytes, 1), to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_MemcpyOf1920x1080)->Unit(benchmark::kMicrosecond);

// One load per cache line of the 1080 source rows that the stretch above reads: the memory
// traffic it cannot avoid, since its columns lie closer together than a cache line.
void BM_ReadStretchSourceRows(benchmark::State& state) {
    const QImage& image = Photo().Image();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (int y = 0; y < 1080; ++y) {
            const auto* row =
                reinterpret_cast<const uint64_t*>(image.constScanLine(y * PhotoHeight / 1080));
            for (int x = 0; x < PhotoWidth / 2; x += 8) {
                sum += row[x];
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * 1080 * PhotoWidth * 4);
}
BENCHMARK(BM_ReadStretchSourceRows)->Unit(benchmark::kMicrosecond);

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
