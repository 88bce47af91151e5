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
#include <algorithm>
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

struct BuildFigures {
    double seconds;
    long peak;
    double assembleSeconds;  // steps 1 to 8: reading and copying
    double saveSeconds;      // step 10: writing, fsync and rename
};

BuildFigures RunBuild(const Pictures& pictures, const std::string& output) {
    TSaverSettings settings;
    InitSaverSettings(settings);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::exit(1);
    }
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        // The time of each progress step, sent back to the parent.
        double steps[12] = {};
        int step = 0;
        auto begin = std::chrono::steady_clock::now();
        try {
            BuildInstaller(output,
                           "Bench",
                           pictures.Path("") + "/",
                           settings,
                           pictures.names,
                           "",
                           pictures.Path("out"),
                           [&] {
                               steps[++step] = std::chrono::duration<double>(
                                                   std::chrono::steady_clock::now() - begin)
                                                   .count();
                           });
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            _exit(1);
        }
        double figures[2] = {steps[8], steps[10] - steps[9]};
        _exit(write(pipeFds[1], figures, sizeof figures) == sizeof figures ? 0 : 1);
    }
    close(pipeFds[1]);
    auto [seconds, peak] = Wait(child, start);
    double figures[2] = {};
    if (read(pipeFds[0], figures, sizeof figures) != sizeof figures) {
        std::exit(1);
    }
    close(pipeFds[0]);
    return {seconds, peak, figures[0], figures[1]};
}

// Removes the outputs of earlier runs and flushes what they left dirty, so that each run starts
// from the same state and no run pays for another's writes.
void Settle(const Pictures& pictures) {
    for (const char* name : {"cat.out", "installer.exe"}) {
        std::remove(pictures.Path(name).c_str());
    }
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The three runs alternate within each iteration, so that the machine's changing load falls on
// all of them alike; figures are medians over the iterations.
void BM_BuildInstallerBesideCat(benchmark::State& state) {
    const Pictures& pictures = TestPictures();
    std::vector<double> cat, catFsync, build, assemble, save;
    long peak = 0;
    for (auto _ : state) {
        Settle(pictures);
        cat.push_back(RunCat(pictures, pictures.Path("cat.out")).first);
        Settle(pictures);
        catFsync.push_back(RunCatAndFsync(pictures, pictures.Path("cat.out")));
        Settle(pictures);
        BuildFigures figures = RunBuild(pictures, pictures.Path("installer.exe"));
        build.push_back(figures.seconds);
        assemble.push_back(figures.assembleSeconds);
        save.push_back(figures.saveSeconds);
        peak = std::max(peak, figures.peak);
        state.SetIterationTime(figures.seconds);
    }
    double total = static_cast<double>(PictureCount) * PictureSize;
    state.counters["build_ms"] = Median(build) * 1000;
    state.counters["assemble_ms"] = Median(assemble) * 1000;
    state.counters["save_ms"] = Median(save) * 1000;
    state.counters["cat_ms"] = Median(cat) * 1000;
    state.counters["cat_fsync_ms"] = Median(catFsync) * 1000;
    state.counters["ratio_cat"] = Median(build) / Median(cat);
    state.counters["ratio_cat_fsync"] = Median(build) / Median(catFsync);
    state.counters["peak_MiB"] = peak / 1048576.0;
    state.counters["peak_ratio"] = peak / total;
}

BENCHMARK(BM_BuildInstallerBesideCat)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(9);

}  // namespace

BENCHMARK_MAIN();
