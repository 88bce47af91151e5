// Plays a real show full screen: show_demo <folder of pictures> [seconds] [sound file].
// Pictures are the folder's files of every accepted picture extension in name order, one second
// each, with a title screen and a few captions; the show ends after the given seconds, or on a key
// or the second mouse movement.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "engine/CaSaverForms.h"
#include "engine/CaScreenSaverMain.h"
#include "platform/SdlMediaControl.h"
#include "platform/SdlWavePlayer.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/QtFrameClock.h"
#include "toolkit/QtScreen.h"
#include "toolkit/QtTimer.h"
#include "toolkit/QtWorker.h"

namespace {

void Caption(TSaverPictureText& slot, const char* text, int32_t position, TColor color, int size) {
    WriteFieldUtf8(slot.Text, text);
    WriteFieldUtf8(slot.Font.Name, "宋体");
    slot.Font.Size = size;
    slot.Font.Style = fsBold;
    slot.Font.Color = color;
    slot.Position = position;
    slot.Left = 120;
    slot.Top = 90;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: show_demo <folder of pictures> [seconds] [sound file]\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QStringList patterns;
    for (const TPictureFormat& format : PictureFormats) {
        patterns << "*" + QString::fromUtf8(format.Ext);
    }
    std::vector<std::string> pictures;
    // Without QDir::CaseSensitive the patterns match ".JPG" too.
    for (const QFileInfo& info : dir.entryInfoList(patterns, QDir::Files, QDir::Name)) {
        if (pictures.size() < MaxPictures) {
            pictures.push_back(info.absoluteFilePath().toStdString());
        }
    }
    if (pictures.empty()) {
        std::fprintf(stderr, "show_demo: no pictures in %s\n", argv[1]);
        return 1;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    const std::string sound = argc > 3 ? argv[3] : "";

    TSaverSettings settings;
    InitSaverSettings(settings);
    WriteFieldUtf8(settings.Title, "海边的假日");
    settings.PictureCount = static_cast<uint8_t>(pictures.size());
    settings.BackColor = RGBColor(16, 24, 40);
    settings.StretchImages = 1;
    settings.IntervalSeconds = 1;
    settings.SequentialOrder = 1;
    settings.SoundIncluded = settings.PlaySound = sound.empty() ? 0 : 1;
    settings.Description.ShowDescription = 1;
    WriteFieldUtf8(settings.Description.DescriptionText,
                   "这是一个图片屏幕保护程序。\r\n按任意键或移动鼠标退出。\r\nKavro demo");
    WriteFieldUtf8(settings.Description.WebAddress, "www.example.org");
    WriteFieldUtf8(settings.Description.CompanyName, "示例公司");
    WriteFieldUtf8(settings.Description.RightsNotice, "版权所有 (c) 2026");
    Caption(settings.PictureTexts[0],
            "第一张图片\r\n底部中央的两行字幕",
            tpBottomCenter,
            RGBColor(255, 255, 0),
            18);
    Caption(settings.PictureTexts[1], "左上角 Top left", tpTopLeft, RGBColor(255, 255, 255), 14);
    Caption(settings.PictureTexts[2], "用户自定义 (120, 90)", tpCustom, RGBColor(0, 255, 255), 16);
    Caption(settings.PictureTexts[3], "右下角", tpBottomRight, RGBColor(255, 128, 0), 24);

    TQtTimerFactory timers;
    TQtScreen screen;
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    TQtFrameClockFactory frames;
    TQtWorker worker;
    TShowServices services{timers, screen, media, wave, &frames, &worker};
    TCaSaverForm form(settings.BackColor,
                      TCaScreenSaverMain::FullScreen(settings, pictures, sound, services),
                      screen);
    if (seconds > 0) {
        QTimer::singleShot(seconds * 1000, &form, [&form] { form.EndSaver(); });
    }
    form.RunSaver();
    return 0;
}
