// Plays a show on a bitmap, with nothing but the core libraries: no window, no sound.
// Usage: kavro_bitmap_show <ticks> <out.png> <picture>...; prints the last frame's centre colour.
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/CaScreenSaverMain.h"
#include "support/FakeScreen.h"
#include "support/SilentSound.h"
#include "toolkit/Bitmap.h"
#include "toolkit/QtTimer.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <ticks> <out.png> <picture>...\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const int ticks = std::atoi(argv[1]);
    const std::vector<std::string> pictures(argv + 3, argv + argc);

    TSaverSettings settings;
    InitSaverSettings(settings);
    settings.PictureCount = static_cast<uint8_t>(pictures.size());
    settings.IntervalSeconds = 1;
    settings.Description.ShowDescription = 0;

    TQtTimerFactory timers;
    TFakeScreen screen(320, 240);
    TSilentMedia media;
    TSilentWave wave;
    TBitmap target(screen.Width(), screen.Height());
    std::unique_ptr<TCbScreenSaver> show =
        std::make_unique<TCaScreenSaverMain>(target.Canvas(),
                                             TRect(0, 0, screen.Width(), screen.Height()),
                                             settings,
                                             pictures,
                                             std::string(),
                                             false,
                                             TShowServices{timers, screen, media, wave});
    show->Start();
    // The first tick comes after 100 ms, each next one after the interval of one second.
    QTimer::singleShot(100 + 1000 * (ticks - 1) + 500, &app, &QGuiApplication::quit);
    app.exec();
    TCbScreenSaver::Stop(show);

    const QImage& frame = target.Image();
    frame.save(QString::fromLocal8Bit(argv[2]));
    std::printf("centre %s\n",
                qPrintable(frame.pixelColor(frame.width() / 2, frame.height() / 2).name()));
    return 0;
}
