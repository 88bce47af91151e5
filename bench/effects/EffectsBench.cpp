// Time of each transition effect on a bitmap canvas, next to two baselines that write as many
// bytes: one plain memcpy per frame-sized chunk (the counter "ratio" is effect / memcpy), and a
// memcpy per row of exactly the rectangles the effect draws, with no canvas in between (the
// counter "ratio_rows" is effect / row copies).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/CcTransition.h"
#include "toolkit/Bitmap.h"

namespace {

// The thread's own CPU time: the machine is shared, and wall time would count the moments
// another process holds the core, at random, into one phase or another.
double Now() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct TSpan {
    TRect Rect;  // clipped to the target
    int Dx = 0;  // source column minus target column
    int Dy = 0;
};

// Collects the rectangles a run writes on a width x height target, drawing nothing.
class TCountingCanvas : public TCanvas {
public:
    TCountingCanvas(int width, int height) : FBounds{0, 0, width, height} {}

    void FillRect(const TRect& r) override { Add(r, 0, 0); }
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) override {
        (void)source;
        Add(dest, sourceRect.Left - dest.Left, sourceRect.Top - dest.Top);
    }

    std::vector<TSpan> Spans;
    int64_t Pixels = 0;

private:
    void Add(const TRect& r, int dx, int dy) {
        TRect c = r.Intersected(FBounds);
        if (!c.IsEmpty()) {
            Spans.push_back({c, dx, dy});
            Pixels += int64_t(c.Width()) * c.Height();
        }
    }
    TRect FBounds;
};

void Effect(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const int height = static_cast<int>(state.range(2));
    TBitmap source(width, height), target(width, height);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(source.Image().scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = 0xFF000000u | (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u);
        }
    }
    TCountingCanvas counter(width, height);
    TCcTransition runner;
    runner.Run(&source, &counter, effect);
    const int64_t bytes = counter.Pixels * 4;
    const size_t frame = size_t(width) * height * 4;
    // The baselines copy between two more bitmaps, so that their memory is allocated (aligned,
    // paged) exactly as the effect's source and target are.
    TBitmap fromBitmap(width, height), toBitmap(width, height);
    fromBitmap.Image().fill(1);
    const auto* from = reinterpret_cast<const uint32_t*>(fromBitmap.Image().constBits());
    auto* to = reinterpret_cast<uint32_t*>(toBitmap.Image().bits());

    double effectSeconds = 0, copySeconds = 0, rowSeconds = 0;
    for (auto _ : state) {
        auto t0 = Now();
        runner.Run(&source, &target.Canvas(), effect);
        auto t1 = Now();
        for (int64_t left = bytes; left > 0; left -= int64_t(frame)) {
            std::memcpy(to, from, size_t(std::min<int64_t>(left, frame)));
            benchmark::ClobberMemory();
        }
        auto t2 = Now();
        for (const TSpan& s : counter.Spans) {
            const size_t n = size_t(s.Rect.Width()) * 4;
            for (int y = s.Rect.Top; y < s.Rect.Bottom; ++y) {
                std::memcpy(&to[size_t(y) * width + s.Rect.Left],
                            &from[size_t(y + s.Dy) * width + s.Rect.Left + s.Dx],
                            n);
            }
        }
        benchmark::ClobberMemory();
        auto t3 = Now();
        effectSeconds += t1 - t0;
        copySeconds += t2 - t1;
        rowSeconds += t3 - t2;
        state.SetIterationTime(t1 - t0);
    }
    const double n = double(state.iterations());
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["memcpy_ms"] = copySeconds / n * 1e3;
    state.counters["rows_ms"] = rowSeconds / n * 1e3;
    state.counters["ratio"] = effectSeconds / copySeconds;
    state.counters["ratio_rows"] = effectSeconds / rowSeconds;
    state.SetBytesProcessed(int64_t(n) * bytes);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        for (int effect = 1; effect <= 20; ++effect) {
            b->Args({effect, w, h});
        }
    }
}

BENCHMARK(Effect)
    ->Apply(Sizes)
    ->ArgNames({"effect", "w", "h"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
