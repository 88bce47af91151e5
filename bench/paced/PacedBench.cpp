// Paced effects and the full-screen show on a real window system (run under Xvfb): frames that
// reach the window per effect, the drawing cost of a frame, pan and zoom over a minute, the
// longest stall of the user-interface thread during a show of large JPEGs, and the time from a
// key to the closed window; the blurred background's cost. Usage: bench_paced frames [first
// last] | motion <seconds> [blur] | blur <width> <height> | stall <seconds> <jpeg-dir> [all] |
// keys <count> <jpeg-dir> [ms] | jpegs <dir> <count>
#include <pthread.h>
#include <time.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>

#include "engine/CaSaverForms.h"
#include "engine/CaScreenSaverMain.h"
#include "settings/ShowExtras.h"
#include "support/SilentSound.h"
#include "toolkit/Backdrop.h"
#include "toolkit/Bitmap.h"
#include "toolkit/QtFrameClock.h"
#include "toolkit/QtScreen.h"
#include "toolkit/QtTimer.h"
#include "toolkit/QtWorker.h"
#include "toolkit/WidgetCanvas.h"

namespace {

QElapsedTimer Clock;
double Now() {
    return Clock.nsecsElapsed() / 1e6;
}

// Processor time of a thread in ms: the calling one, or the one whose clock is given.
double ThreadCpu(clockid_t clock = CLOCK_THREAD_CPUTIME_ID) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Paint events of the show's canvas widget: when each began and what it cost.
struct TPaints {
    std::vector<double> At;
    std::vector<double> Cost;
};
TPaints Paints;

class TBenchApp : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::Paint || receiver->objectName() != "imgShow") {
            return QApplication::notify(receiver, event);
        }
        const double start = Now();
        const bool result = QApplication::notify(receiver, event);
        Paints.At.push_back(start);
        Paints.Cost.push_back(Now() - start);
        return result;
    }
};

// The real frame clock, with the time of each frame's drawing and when the effect began and
// ended.
struct TFrameLog {
    std::vector<double> Cost;
    double Began = -1;
    double Ended = -1;
};

class TTimedClock : public TFrameClock {
public:
    explicit TTimedClock(TFrameLog& log) : FLog(log) {
        FInner.OnFrame = [this] {
            const double start = Now();
            if (OnFrame) {
                OnFrame();
            }
            FLog.Cost.push_back(Now() - start);
        };
    }
    void Start() override {
        FLog.Began = Now();
        FRunning = true;
        FInner.Start();
    }
    void Stop() override {
        // The show stops its clock once more when it is destroyed; the effect ended before.
        if (FRunning) {
            FLog.Ended = Now();
        }
        FRunning = false;
        FInner.Stop();
    }
    double ElapsedMs() const override { return FInner.ElapsedMs(); }

private:
    TFrameLog& FLog;
    TQtFrameClock FInner;
    bool FRunning = false;
};

class TTimedClocks : public TFrameClockFactory {
public:
    std::unique_ptr<TFrameClock> CreateFrameClock() override {
        return std::make_unique<TTimedClock>(Log);
    }
    TFrameLog Log;
};

// Real timers that note how long each handler ran: the show's ticks.
class TTimedTimer : public TTimer {
public:
    explicit TTimedTimer(std::vector<double>& costs) : FCosts(costs) {
        FInner.OnTimer = [this] {
            const double start = Now();
            // The handler may end the show and this timer with it; note nothing afterwards.
            std::vector<double>& costs = FCosts;
            if (OnTimer) {
                OnTimer();
            }
            costs.push_back(Now() - start);
        };
    }
    void SetInterval(uint32_t ms) override { FInner.SetInterval(ms); }
    uint32_t Interval() const override { return FInner.Interval(); }
    void SetEnabled(bool enabled) override { FInner.SetEnabled(enabled); }
    bool Enabled() const override { return FInner.Enabled(); }

private:
    std::vector<double>& FCosts;
    TQtTimer FInner;
};

class TTimedTimers : public TTimerFactory {
public:
    std::unique_ptr<TTimer> CreateTimer() override { return std::make_unique<TTimedTimer>(Costs); }
    std::vector<double> Costs;
};

// A show of one picture held in memory.
class TOnePictureShow : public TCbScreenSaver {
public:
    TOnePictureShow(TCanvas& canvas,
                    const TRect& rect,
                    const TSaverSettings& settings,
                    const TShowServices& services,
                    const TBitmap& picture)
        : TCbScreenSaver(canvas, rect, settings, true, services), FPicture(picture) {}

protected:
    const TBitmap& GetPicture(int32_t) override { return FPicture; }
    std::string GetSoundFileName() override { return ""; }

private:
    const TBitmap& FPicture;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

TSaverSettings BaseSettings() {
    TSaverSettings settings{};
    InitSaverSettings(settings);
    settings.PictureCount = 1;
    settings.StretchImages = 1;
    settings.SequentialOrder = 1;
    settings.IntervalSeconds = 1;
    return settings;
}

// The settings of a show of the given JPEGs in random order; with all, every further choice of
// motion is on too: 23 effects, pan and zoom, the blurred background.
TSaverSettings JpegShowSettings(const std::vector<std::string>& files, bool all = false) {
    TSaverSettings settings = BaseSettings();
    settings.PictureCount = static_cast<uint8_t>(files.size());
    settings.SequentialOrder = 0;
    if (all) {
        TShowExtras extras;
        extras.MoreTransitions[0] = extras.MoreTransitions[1] = extras.MoreTransitions[2] = true;
        extras.PanZoom = true;
        extras.Fill = TShowExtras::fmBlur;
        WriteShowExtras(settings, extras);
    }
    return settings;
}

// Processor time of the whole process in ms.
double ProcessCpu() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A photo-like picture of w x h: smooth shading, so that filtered drawing has work to do.
void Shade(TBitmap& picture) {
    const int w = picture.Width(), h = picture.Height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            picture.SetPixel(x, y, RGBColor(x * 255 / w, y * 255 / h, 128));
        }
    }
}

// Runs each effect once on the full-screen window and reports what reached it.
int Frames(int first, int last) {
    TQtTimerFactory timers;
    TQtScreen screen;
    TSilentMedia media;
    TSilentWave wave;
    TTimedClocks clocks;
    const int sw = screen.Width(), sh = screen.Height();
    TBitmap picture(sw, sh);
    Shade(picture);
    std::printf("screen %d x %d\n", sw, sh);
    std::printf(
        "effect  paints  spread ms  effect ms  frames  frame ms median/max  paint ms median\n");
    std::vector<double> allCosts;
    for (int effect = first; effect <= last; ++effect) {
        TSaverSettings settings = BaseSettings();
        for (auto& flag : settings.Transitions) {
            flag = 0;
        }
        TShowExtras extras;
        if (effect <= TransitionCount) {
            settings.Transitions[effect - 1] = 1;
        } else {
            extras.MoreTransitions[effect - TransitionCount - 1] = true;
        }
        WriteShowExtras(settings, extras);
        TShowServices services{timers, screen, media, wave, &clocks, nullptr};
        TCaSaverForm form(
            settings.BackColor,
            [&](TCanvas& canvas, const TRect& rect) {
                return std::make_unique<TOnePictureShow>(canvas, rect, settings, services, picture);
            },
            screen);
        clocks.Log = {};
        Paints = {};
        form.show();
        QElapsedTimer wait;
        wait.start();
        while ((clocks.Log.Ended < 0 || Now() < clocks.Log.Ended + 100) && wait.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        form.EndSaver();
        const TFrameLog& log = clocks.Log;
        // Paints from the effect's first frame to the first paint after its end.
        std::vector<double> shown, costs;
        for (size_t i = 0; i < Paints.At.size(); ++i) {
            if (Paints.At[i] > log.Began && Paints.At[i] <= log.Ended + 50) {
                shown.push_back(Paints.At[i]);
                costs.push_back(Paints.Cost[i]);
            }
        }
        const double spread = shown.empty() ? 0 : shown.back() - shown.front();
        allCosts.insert(allCosts.end(), log.Cost.begin(), log.Cost.end());
        std::printf("%6d  %6zu  %9.0f  %9.0f  %6zu  %8.2f / %6.2f  %8.2f\n",
                    effect,
                    shown.size(),
                    spread,
                    log.Ended - log.Began,
                    log.Cost.size(),
                    Percentile(log.Cost, 0.5),
                    Percentile(log.Cost, 1),
                    Percentile(costs, 0.5));
    }
    std::printf("all frames: drawing median %.2f ms, 95th %.2f ms, max %.2f ms\n",
                Percentile(allCosts, 0.5),
                Percentile(allCosts, 0.95),
                Percentile(allCosts, 1));
    return 0;
}

// A full-screen show of one picture of the screen's shape and one portrait picture, each 5 s,
// with slow pan and zoom (and the blurred background when asked) for the given seconds: how
// many frames reach the window each second while the picture moves, the longest gap between
// two, the drawing of a frame, and the processor time of the whole program against the clock.
int Motion(int seconds, bool blur) {
    TQtTimerFactory timers;
    TQtScreen screen;
    TSilentMedia media;
    TSilentWave wave;
    TTimedClocks clocks;
    TQtWorker worker;
    const int sw = screen.Width(), sh = screen.Height();
    TBitmap wide(sw, sh), tall(sh * 2 / 3, sh);
    Shade(wide);
    Shade(tall);
    TSaverSettings settings = BaseSettings();
    settings.PictureCount = 2;
    settings.IntervalSeconds = 5;
    for (auto& flag : settings.Transitions) {
        flag = 0;
    }
    TShowExtras extras;
    extras.MoreTransitions[0] = true;  // crossfade
    extras.PanZoom = true;
    extras.Fill = blur ? TShowExtras::fmBlur : TShowExtras::fmColour;
    WriteShowExtras(settings, extras);

    // Alternates the two pictures, decoded (and blurred) on the worker.
    class TTwoPictures : public TCbScreenSaver {
    public:
        TTwoPictures(TCanvas& canvas,
                     const TRect& rect,
                     const TSaverSettings& settings,
                     const TShowServices& services,
                     const TBitmap& a,
                     const TBitmap& b)
            : TCbScreenSaver(canvas, rect, settings, true, services), FA(a), FB(b) {}

    protected:
        const TBitmap& GetPicture(int32_t index) override { return index == 0 ? FA : FB; }
        std::string GetSoundFileName() override { return ""; }
        TPictureJob PictureJob(int32_t index) override {
            const TBitmap* picture = index == 0 ? &FA : &FB;
            return [picture] { return std::shared_ptr<const TBitmap>(picture, [](auto*) {}); };
        }

    private:
        const TBitmap& FA;
        const TBitmap& FB;
    };

    TShowServices services{timers, screen, media, wave, &clocks, &worker};
    TCaSaverForm form(
        settings.BackColor,
        [&](TCanvas& canvas, const TRect& rect) {
            return std::make_unique<TTwoPictures>(canvas, rect, settings, services, wide, tall);
        },
        screen);
    Paints = {};
    clocks.Log = {};
    QTimer::singleShot(seconds * 1000, &form, [&] { form.EndSaver(); });
    const double wallStart = Now(), cpuStart = ProcessCpu();
    form.RunSaver();
    const double wall = Now() - wallStart, cpu = ProcessCpu() - cpuStart;
    // Gaps between paints, leaving out the ones around a tick (a new picture, its effect).
    std::vector<double> gaps;
    for (size_t i = 1; i < Paints.At.size(); ++i) {
        gaps.push_back(Paints.At[i] - Paints.At[i - 1]);
    }
    std::vector<double> drawn;
    for (double c : clocks.Log.Cost) {
        if (c > 0.05) {
            drawn.push_back(c);
        }
    }
    std::printf("screen %d x %d, %d s, pan and zoom%s\n", sw, sh, seconds, blur ? ", blur" : "");
    std::printf("paints: %zu, %.1f a second; gap median %.2f ms, 99th %.2f ms, max %.2f ms\n",
                Paints.At.size(),
                Paints.At.size() * 1000.0 / wall,
                Percentile(gaps, 0.5),
                Percentile(gaps, 0.99),
                Percentile(gaps, 1));
    std::printf("frames that drew: %zu, drawing median %.2f ms, 95th %.2f ms, max %.2f ms\n",
                drawn.size(),
                Percentile(drawn, 0.5),
                Percentile(drawn, 0.95),
                Percentile(drawn, 1));
    // The fastest corner of a zoom goes a tenth of the diagonal over the interval.
    const double pxPerMs = 0.1 * std::hypot(sw, sh) / (settings.IntervalSeconds * 1000.0);
    std::printf("fastest corner %.3f px/ms: %.2f px between paints at the median gap\n",
                pxPerMs,
                pxPerMs * Percentile(gaps, 0.5));
    std::printf(
        "processor time %.0f ms over %.0f ms: %.1f %% of one core\n", cpu, wall, 100 * cpu / wall);
    return 0;
}

// The blurred background of a picture of the screen's shape and of a portrait one at
// width x height, as the decoding thread makes it.
int Blur(int width, int height) {
    TBitmap wide(width, height), tall(height * 2 / 3, height);
    Shade(wide);
    Shade(tall);
    for (const TBitmap* picture : {&wide, &tall}) {
        std::vector<double> costs;
        for (int i = 0; i < 20; ++i) {
            const double start = Now();
            const auto backdrop = MakeBackdrop(*picture, width, height);
            costs.push_back(Now() - start);
        }
        std::printf("%d x %d picture, background %d x %d: median %.2f ms, max %.2f ms\n",
                    picture->Width(),
                    picture->Height(),
                    width,
                    height,
                    Percentile(costs, 0.5),
                    Percentile(costs, 1));
    }
    return 0;
}

std::vector<std::string> Jpegs(const char* dir) {
    std::vector<std::string> files;
    for (const QString& name : QDir(dir).entryList({"*.jpg"}, QDir::Files, QDir::Name)) {
        files.push_back(QDir(dir).filePath(name).toStdString());
    }
    return files;
}

// Lateness of a 1 ms heartbeat timer over the given milliseconds, while whatever else runs.
class THeartbeat {
public:
    THeartbeat() {
        FTimer.setTimerType(Qt::PreciseTimer);
        FTimer.setInterval(1);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            const double now = Now(), cpu = ThreadCpu();
            if (FLast >= 0) {
                Late.push_back(now - FLast - 1);
                Busy.push_back(cpu - FLastCpu);
            }
            FLast = now;
            FLastCpu = cpu;
        });
        FTimer.start();
    }
    void Report(const char* what) const {
        const size_t over =
            std::count_if(Late.begin(), Late.end(), [](double l) { return l > 20; });
        const size_t worst = std::max_element(Late.begin(), Late.end()) - Late.begin();
        std::printf(
            "%s: %zu heartbeats, lateness median %.2f ms, 99.9th %.2f ms, max %.2f ms, "
            "%zu over 20 ms; the thread's own work between two beats: max %.2f ms, %.2f ms in "
            "the latest gap\n",
            what,
            Late.size(),
            Percentile(Late, 0.5),
            Percentile(Late, 0.999),
            Percentile(Late, 1),
            over,
            Percentile(Busy, 1),
            Late.empty() ? 0 : Busy[worst]);
    }
    std::vector<double> Late;
    // Processor time the user-interface thread spent between two beats.
    std::vector<double> Busy;

private:
    QTimer FTimer;
    double FLast = -1;
    double FLastCpu = 0;
};

// A full-screen show of the JPEGs for the given seconds, every effect enabled, while a 1 ms
// heartbeat notes how late it fires; first the heartbeat alone for a tenth of that time.
int Stall(int seconds, const char* dir, bool all) {
    {
        THeartbeat idle;
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < seconds * 100) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        idle.Report("heartbeat alone");
    }
    TTimedTimers timers;
    TQtScreen screen;
    TSilentMedia media;
    TSilentWave wave;
    TTimedClocks clocks;
    TQtWorker worker;
    const std::vector<std::string> files = Jpegs(dir);
    const TSaverSettings settings = JpegShowSettings(files, all);
    TShowServices services{timers, screen, media, wave, &clocks, &worker};
    TCaSaverForm form(
        settings.BackColor, TCaScreenSaverMain::FullScreen(settings, files, "", services), screen);
    QTimer::singleShot(seconds * 1000, &form, [&] { form.EndSaver(); });
    THeartbeat heartbeat;
    form.RunSaver();
    std::printf("%d s show of %zu JPEGs at %d x %d\n",
                seconds,
                files.size(),
                screen.Width(),
                screen.Height());
    heartbeat.Report("heartbeat during the show");
    std::printf(
        "%zu ticks on the user-interface thread: median %.2f ms, max %.2f ms; %zu effect "
        "frames: median %.2f ms, max %.2f ms\n",
        timers.Costs.size(),
        Percentile(timers.Costs, 0.5),
        Percentile(timers.Costs, 1),
        clocks.Log.Cost.size(),
        Percentile(clocks.Log.Cost, 0.5),
        Percentile(clocks.Log.Cost, 1));
    return 0;
}

// Starts the show of JPEGs again and again and, at a random moment of it, posts a key from
// another thread (or at a fixed moment, when ms is given); notes how long until the window has
// closed.
int Keys(int count, const char* dir, int fixedMs, bool all) {
    TQtTimerFactory timers;
    TQtScreen screen;
    TSilentMedia media;
    TSilentWave wave;
    TTimedClocks clocks;
    TQtWorker worker;
    const std::vector<std::string> files = Jpegs(dir);
    const TSaverSettings settings = JpegShowSettings(files, all);
    TShowServices services{timers, screen, media, wave, &clocks, &worker};
    std::mt19937 chance(7);
    std::uniform_int_distribution<int> delay(50, 4500);
    std::vector<double> times, busy;
    clockid_t uiClock;
    pthread_getcpuclockid(pthread_self(), &uiClock);
    for (int i = 0; i < count; ++i) {
        TCaSaverForm form(settings.BackColor,
                          TCaScreenSaverMain::FullScreen(settings, files, "", services),
                          screen);
        double sent = -1, closed = -1, sentCpu = 0, closedCpu = 0;
        QObject::connect(&form, &QDialog::finished, [&] {
            closed = Now();
            closedCpu = ThreadCpu();
        });
        const int ms = fixedMs >= 0 ? fixedMs : delay(chance);
        std::thread key([&form, &sent, &sentCpu, uiClock, ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            sent = Now();
            sentCpu = ThreadCpu(uiClock);
            QCoreApplication::postEvent(
                &form, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
        });
        form.RunSaver();
        key.join();
        times.push_back(closed - sent);
        busy.push_back(closedCpu - sentCpu);
        std::printf("key at %4d ms: closed after %.2f ms, %.2f ms of it the thread's own work\n",
                    ms,
                    closed - sent,
                    closedCpu - sentCpu);
    }
    std::printf(
        "key to closed over %d shows: median %.2f ms, max %.2f ms; the thread's own work "
        "meanwhile: median %.2f ms, max %.2f ms\n",
        count,
        Percentile(times, 0.5),
        Percentile(times, 1),
        Percentile(busy, 0.5),
        Percentile(busy, 1));
    return 0;
}

// Writes count photo-like 6000 x 4000 JPEGs (smooth shading with grain, quality 90) into dir.
int WriteJpegs(const char* dir, int count) {
    constexpr int w = 6000, h = 4000;
    QDir().mkpath(dir);
    uint32_t noise = 1;
    for (int k = 0; k < count; ++k) {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x) {
                noise = noise * 1103515245u + 12345u;
                const int grain = static_cast<int>((noise >> 16) & 15) - 8;
                const double u = x / double(w), v = y / double(h);
                row[x] =
                    qRgb(std::clamp(int(128 + 100 * std::sin(6 * u + 2 * v + k)) + grain, 0, 255),
                         std::clamp(int(128 + 90 * std::cos(5 * v - 3 * u)) + grain, 0, 255),
                         std::clamp(int(60 + 150 * u * v) + grain, 0, 255));
            }
        }
        const QString name = QDir(dir).filePath(QString("photo%1.jpg").arg(k));
        if (!image.save(name, "JPG", 90)) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    TBenchApp app(argc, argv);
    Clock.start();
    const std::string mode = argc > 1 ? argv[1] : "frames";
    if (mode == "frames") {
        return argc > 3 ? Frames(std::atoi(argv[2]), std::atoi(argv[3])) : Frames(1, 23);
    }
    if (mode == "motion" && argc > 2) {
        return Motion(std::atoi(argv[2]), argc > 3 && std::string(argv[3]) == "blur");
    }
    if (mode == "blur" && argc > 3) {
        return Blur(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (mode == "stall" && argc > 3) {
        return Stall(std::atoi(argv[2]), argv[3], argc > 4 && std::string(argv[4]) == "all");
    }
    if (mode == "jpegs" && argc > 3) {
        return WriteJpegs(argv[2], std::atoi(argv[3]));
    }
    if (mode == "keys" && argc > 3) {
        const bool all = argc > 5 && std::string(argv[5]) == "all";
        return Keys(std::atoi(argv[2]), argv[3], argc > 4 ? std::atoi(argv[4]) : -1, all);
    }
    std::fprintf(
        stderr,
        "usage: bench_paced frames [first last] | motion <seconds> [blur] | blur <w> <h> "
        "| stall <seconds> <dir> [all] | keys <count> <dir> [ms [all]] | jpegs <dir> <count>\n");
    return 2;
}
