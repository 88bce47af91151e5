// Cost of one slide-show tick on a 1920 x 1080 screen with a 12-megapixel JPEG, next to its
// parts measured alone: decode, the two stretches, the effect.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "engine/CaScreenSaverMain.h"
#include "engine/CcTransition.h"
#include "support/FakeScreen.h"
#include "support/FakeTimer.h"
#include "support/SilentSound.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Picture.h"

namespace {

constexpr int SW = 1920;
constexpr int SH = 1080;
constexpr int PW = 4000;
constexpr int PH = 3000;
constexpr int Effect = 9;

// A photo-like 4000 x 3000 JPEG (smooth shading with grain), made once per run.
const std::string& PhotoFile() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("kavro-bench-" + std::to_string(::getpid()) + ".jpg"))
                            .string();
        QImage image(PW, PH, QImage::Format_RGB32);
        uint32_t noise = 1;
        for (int y = 0; y < PH; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < PW; ++x) {
                noise = noise * 1103515245u + 12345u;
                const int grain = static_cast<int>((noise >> 16) & 15) - 8;
                const double u = x / double(PW), v = y / double(PH);
                row[x] = qRgb(std::clamp(int(128 + 100 * std::sin(6 * u + 2 * v)) + grain, 0, 255),
                              std::clamp(int(128 + 90 * std::cos(5 * v - 3 * u)) + grain, 0, 255),
                              std::clamp(int(60 + 150 * u * v) + grain, 0, 255));
            }
        }
        image.save(QString::fromStdString(p), "JPG", 90);
        std::atexit([] { std::filesystem::remove(PhotoFile()); });
        return p;
    }();
    return path;
}

void EnsureApp() {
    static int argc = 1;
    static char name[] = "show_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

// A show of one picture on a bitmap the size of the screen, ticked by hand.
struct TShowRig {
    TFakeTimerFactory Timers;
    TFakeScreen Screen{SW, SH};
    TSilentMedia Media;
    TSilentWave Wave;
    TBitmap Target{SW, SH};
    std::vector<std::string> Files{PhotoFile()};
    std::unique_ptr<TCbScreenSaver> Show;

    TShowRig() {
        TSaverSettings settings;
        InitSaverSettings(settings);
        settings.PictureCount = 1;
        settings.StretchImages = 1;
        settings.SequentialOrder = 1;
        settings.IntervalSeconds = 5;
        for (auto& flag : settings.Transitions) {
            flag = 0;
        }
        settings.Transitions[Effect - 1] = 1;
        TShowServices services{Timers, Screen, Media, Wave};
        Show = std::make_unique<TCaScreenSaverMain>(
            Target.Canvas(), Rect(0, 0, SW, SH), settings, Files, "", false, services);
        Show->Start();
    }
    ~TShowRig() { TCbScreenSaver::Stop(Show); }
    void Tick() {
        if (!Timers.Last->Fire() || !Timers.Last->Enabled()) {
            throw std::runtime_error("the show froze");
        }
    }
};

long RssKiB() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_Tick(benchmark::State& state) {
    EnsureApp();
    TShowRig rig;
    rig.Tick();
    for (auto _ : state) {
        rig.Tick();
    }
}

void BM_DecodeAlone(benchmark::State& state) {
    TPicture picture;
    picture.LoadFromFile(PhotoFile());
    for (auto _ : state) {
        picture.LoadFromFile(PhotoFile());
        benchmark::DoNotOptimize(picture.Graphic().Image().constBits());
    }
}

// The tick's two scalings: the picture fitted into the frame (1440 x 1080 at x = 240), then
// the frame onto the 1921 x 1081 target bitmap.
void BM_StretchAlone(benchmark::State& state) {
    TPicture picture;
    picture.LoadFromFile(PhotoFile());
    TBitmap frame(SW, SH), target(SW + 1, SH + 1);
    for (auto _ : state) {
        frame.Canvas().StretchDraw(Rect(240, 0, 1680, SH), picture.Graphic());
        target.Canvas().StretchDraw(target.Canvas().ClipRect(), frame);
        benchmark::DoNotOptimize(target.Image().constBits());
    }
}

void BM_EffectAlone(benchmark::State& state) {
    TBitmap source(SW + 1, SH + 1), screen(SW, SH);
    source.Canvas().Brush().Color = RGBColor(30, 60, 90);
    source.Canvas().FillRect(source.Canvas().ClipRect());
    for (auto _ : state) {
        auto* runner = new TCcTransition();
        runner->Run(&source, &screen.Canvas(), Effect);
        runner->CancelAndFree();
        benchmark::DoNotOptimize(screen.Image().constBits());
    }
}

// The same parts one after the other, as a tick runs them but without the show around them:
// the caches are as cold for each part as they are inside a tick.
void BM_PartsInSequence(benchmark::State& state) {
    TPicture picture;
    TBitmap frame(SW, SH), target(SW + 1, SH + 1), screen(SW, SH);
    for (auto _ : state) {
        picture.LoadFromFile(PhotoFile());
        frame.Canvas().StretchDraw(Rect(240, 0, 1680, SH), picture.Graphic());
        target.Canvas().StretchDraw(target.Canvas().ClipRect(), frame);
        auto* runner = new TCcTransition();
        runner->Run(&target, &screen.Canvas(), Effect);
        runner->CancelAndFree();
        benchmark::DoNotOptimize(screen.Image().constBits());
    }
}

// Resident memory after 1,000 ticks against after the first ten.
void BM_TickMemory(benchmark::State& state) {
    EnsureApp();
    for (auto _ : state) {
        TShowRig rig;
        for (int i = 0; i < 10; ++i) {
            rig.Tick();
        }
        const long before = RssKiB();
        for (int i = 10; i < 1000; ++i) {
            rig.Tick();
        }
        state.counters["rss_after_10_KiB"] = static_cast<double>(before);
        state.counters["rss_growth_KiB"] = static_cast<double>(RssKiB() - before);
    }
}

}  // namespace

BENCHMARK(BM_DecodeAlone)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_StretchAlone)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_EffectAlone)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PartsInSequence)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Tick)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_TickMemory)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_MAIN();
