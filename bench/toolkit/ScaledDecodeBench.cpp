// Decoding large JPEGs at the size they are drawn at: the wizard's thumbnail and one show frame,
// each against the full decode the same run does, and the peak memory of a huge picture.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/Picture.h"

namespace {

double Now() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A photo-like JPEG (gradients, fine detail and noise of +-noise levels, quality 90, 4:2:0) of
// width x height, written a row at a time so that even 16000 x 16000 needs no picture-sized
// buffer; made once.
std::string PhotoJpeg(int width, int height, int noise) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kavro_bench_" + std::to_string(width) + "x" +
                               std::to_string(height) + "_" + std::to_string(noise) + ".jpg"))
                                 .string();
    if (std::filesystem::exists(path)) {
        return path;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    std::mt19937 random(2);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(random() % (2 * noise + 1)) - noise;
            const int detail = ((x / 3 + y / 3) % 2) * 40;
            row[x * 3] = static_cast<unsigned char>(std::clamp(x * 255 / width + grain, 0, 255));
            row[x * 3 + 1] =
                static_cast<unsigned char>(std::clamp(y * 255 / height + detail + grain, 0, 255));
            row[x * 3 + 2] = static_cast<unsigned char>(
                std::clamp((x + y) * 255 / (width + height) + grain, 0, 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    return path;
}

// The fit the show and the thumbnail use: the box's height when the picture is relatively
// taller, else its width.
TRect Fitted(int width, int height, int boxWidth, int boxHeight) {
    if (double(boxWidth) / boxHeight >= double(width) / height) {
        const int w = int(std::lround(double(boxHeight) * width / height));
        return {(boxWidth - w) / 2, 0, (boxWidth - w) / 2 + w, boxHeight};
    }
    const int h = int(std::lround(double(boxWidth) * height / width));
    return {0, (boxHeight - h) / 2, boxWidth, (boxHeight - h) / 2 + h};
}

// Today's way: full decode, then nearest-pixel stretch (CopyRect keeps it). The new way: decode
// for the box, then the filtered stretch. Both into a frame of boxWidth x boxHeight.
void DrawFrame(const std::string& file, int boxWidth, int boxHeight, bool scaled, TBitmap& frame) {
    TPicture picture;
    if (scaled) {
        picture.SetTargetSize(boxWidth, boxHeight);
    }
    picture.LoadFromFile(file);
    const TRect place = Fitted(picture.Width(), picture.Height(), boxWidth, boxHeight);
    if (scaled) {
        frame.Canvas().StretchDraw(place, picture.Graphic());
    } else {
        frame.Canvas().CopyRect(
            place, picture.Graphic().Canvas(), {0, 0, picture.Width(), picture.Height()});
    }
}

// Full decode then the new way, alternating in each iteration: "ratio" = new / full.
void Compare(benchmark::State& state, int width, int height, int boxWidth, int boxHeight) {
    const std::string file = PhotoJpeg(width, height, static_cast<int>(state.range(0)));
    TBitmap frame(boxWidth, boxHeight);
    double before = 0, after = 0;
    for (auto _ : state) {
        const double t0 = Now();
        DrawFrame(file, boxWidth, boxHeight, false, frame);
        const double t1 = Now();
        DrawFrame(file, boxWidth, boxHeight, true, frame);
        const double t2 = Now();
        before += t1 - t0;
        after += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    const double n = double(state.iterations());
    state.counters["today_ms"] = before / n * 1e3;
    state.counters["scaled_ms"] = after / n * 1e3;
    state.counters["ratio"] = after / before;
    state.counters["file_mb"] = double(std::filesystem::file_size(file)) / 1e6;
}

// 24 megapixels into the wizard's 181 x 137 thumbnail (target ratio <= 0.15).
void BM_Thumbnail24Mp(benchmark::State& state) {
    Compare(state, 6000, 4000, 181, 137);
}
// The argument is the noise: 3 for a clean photo, 12 for a grainy one.
BENCHMARK(BM_Thumbnail24Mp)
    ->Arg(3)
    ->Arg(12)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// 24 megapixels as one show frame on a 1920 x 1080 screen (target ratio <= 0.4).
void BM_ShowFrame24MpOn1920x1080(benchmark::State& state) {
    Compare(state, 6000, 4000, 1920, 1080);
}
BENCHMARK(BM_ShowFrame24MpOn1920x1080)
    ->Arg(3)
    ->Arg(12)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// 60 megapixels into the thumbnail (target: below 150 ms).
void BM_Thumbnail60Mp(benchmark::State& state) {
    Compare(state, 9000, 6700, 181, 137);
}
BENCHMARK(BM_Thumbnail60Mp)
    ->Arg(3)
    ->Arg(12)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return -1;
}

// Peak resident memory above the idle size while a 16000 x 16000 JPEG is shown on a
// 1920 x 1080 screen: "peak_mb" (target <= 64). The frame exists before, as in the show.
void BM_PeakMemory16000SquaredOn1920x1080(benchmark::State& state) {
    const std::string file = PhotoJpeg(16000, 16000, 12);
    TBitmap frame(1920, 1080);
    double peak = 0;
    for (auto _ : state) {
        // Resets the peak to the present size.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long idle = StatusKb("VmRSS:");
        const double t0 = Now();
        DrawFrame(file, 1920, 1080, true, frame);
        state.SetIterationTime(Now() - t0);
        peak = std::max(peak, (StatusKb("VmHWM:") - idle) / 1024.0);
    }
    state.counters["peak_mb"] = peak;
    state.counters["file_mb"] = double(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_PeakMemory16000SquaredOn1920x1080)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
