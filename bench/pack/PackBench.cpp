// Builds an installer from 255 pictures of 1 MiB each and, in the same run, concatenates the
// same files with cat: the build's wall time beside cat's (and beside cat followed by an fsync
// of its output, since the build's save ends with one), and the build's peak memory beside the
// pictures' total size. Each runs in a child process, so the build's peak is its own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "pack/BuildInstaller.h"

namespace {

constexpr int PictureCount = 255;
constexpr size_t PictureSize = 1 << 20;

struct Pictures {
    QTemporaryDir dir;
    std::vector<std::string> names;

    Pictures() {
        std::string bytes(PictureSize, '\0');
        for (int k = 0; k < PictureCount; ++k) {
            for (size_t i = 0; i < PictureSize; ++i) {
                bytes[i] = static_cast<char>((i * 7 + k) % 251);
            }
            names.push_back(Path("p" + std::to_string(k) + ".jpg"));
            std::ofstream(names.back(), std::ios::binary) << bytes;
        }
    }
    std::string Path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
};

const Pictures& TestPictures() {
    static Pictures pictures;
    return pictures;
}

// Waits for a child; returns its wall time in seconds and its peak resident bytes.
std::pair<double, long> Wait(pid_t child, std::chrono::steady_clock::time_point start) {
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child failed with status %d\n", status);
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss * 1024L};
}

std::pair<double, long> RunCat(const Pictures& pictures, const std::string& output) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        if (!std::freopen(output.c_str(), "wb", stdout)) {
            _exit(1);
        }
        std::vector<char*> args{const_cast<char*>("cat")};
        for (const std::string& name : pictures.names) {
            args.push_back(const_cast<char*>(name.c_str()));
        }
        args.push_back(nullptr);
        execvp("cat", args.data());
        _exit(1);
    }
    return Wait(child, start);
}

std::pair<double, long> RunBuild(const Pictures& pictures, const std::string& output) {
    TSaverSettings settings;
    InitSaverSettings(settings);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        try {
            BuildInstaller(output,
                           "Bench",
                           pictures.Path("") + "/",
                           settings,
                           pictures.names,
                           "",
                           pictures.Path("out"),
                           [] {});
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            _exit(1);
        }
        _exit(0);
    }
    return Wait(child, start);
}

// Flushes what earlier steps left dirty, so that no step pays for another's writes.
void Settle() {
    sync();
}

// Writes output as cat does, then forces it to disk as a safe save must.
double RunCatAndFsync(const Pictures& pictures, const std::string& output) {
    auto start = std::chrono::steady_clock::now();
    RunCat(pictures, output);
    int fd = open(output.c_str(), O_RDONLY);
    fsync(fd);
    close(fd);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_BuildInstallerBesideCat(benchmark::State& state) {
    const Pictures& pictures = TestPictures();
    double catSeconds = 0;
    double catFsyncSeconds = 0;
    double buildSeconds = 0;
    double slowestBuild = 0;
    long peak = 0;
    for (auto _ : state) {
        Settle();
        catSeconds += RunCat(pictures, pictures.Path("cat.out")).first;
        Settle();
        catFsyncSeconds += RunCatAndFsync(pictures, pictures.Path("cat.out"));
        Settle();
        auto [seconds, rss] = RunBuild(pictures, pictures.Path("installer.exe"));
        buildSeconds += seconds;
        slowestBuild = std::max(slowestBuild, seconds);
        peak = std::max(peak, rss);
        state.SetIterationTime(seconds);
    }
    double total = static_cast<double>(PictureCount) * PictureSize;
    auto average = benchmark::Counter::kAvgIterations;
    state.counters["cat_ms"] = benchmark::Counter(catSeconds * 1000, average);
    state.counters["cat_fsync_ms"] = benchmark::Counter(catFsyncSeconds * 1000, average);
    state.counters["slowest_ms"] = slowestBuild * 1000;
    state.counters["ratio_cat"] = buildSeconds / catSeconds;
    state.counters["ratio_cat_fsync"] = buildSeconds / catFsyncSeconds;
    state.counters["peak_MiB"] = peak / 1048576.0;
    state.counters["peak_ratio"] = peak / total;
}

BENCHMARK(BM_BuildInstallerBesideCat)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
