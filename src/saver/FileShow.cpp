#include "saver/FileShow.h"

#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/CaSaverForms.h"
#include "pack/InstallerReader.h"
#include "platform/SdlMediaControl.h"
#include "platform/SdlWavePlayer.h"
#include "saver/KeepScreenOn.h"
#include "saver/ScreenOrder.h"
#include "toolkit/QtFrameClock.h"
#include "toolkit/QtScreen.h"
#include "toolkit/QtTimer.h"
#include "toolkit/QtWorker.h"

TFileShow::TFileShow(TCanvas& targetCanvas,
                     const TRect& targetRect,
                     const TSaverSettings& settings,
                     const TInstallerReader& reader,
                     const std::string& soundFileName,
                     const TShowServices& services)
    : TCbScreenSaver(targetCanvas, targetRect, settings, false, services)
    , FReader(reader)
    , FSoundFileName(soundFileName) {
    // As the wizard's show does: fitted pictures are decoded no larger than the screen, and
    // transparent ones show the background.
    FPicture.SetBackColor(settings.BackColor);
    if (settings.StretchImages != 0) {
        FPicture.SetTargetSize(services.Screen.Width(), services.Screen.Height());
    }
}

TShowFactory TFileShow::Factory(const TInstallerReader& reader,
                                const TSaverSettings& settings,
                                const std::string& soundFileName,
                                const TShowServices& services) {
    return [&reader, settings, soundFileName, services](TCanvas& canvas, const TRect& rect) {
        return std::make_unique<TFileShow>(canvas, rect, settings, reader, soundFileName, services);
    };
}

const TBitmap& TFileShow::GetPicture(int32_t index) {
    const std::string bytes = FReader.PictureBytes(index);
    FPicture.LoadFromBytes(bytes.data(),
                           bytes.size(),
                           FReader.PictureExt(index),
                           FReader.FileName() + " #" + std::to_string(index + 1));
    return FPicture.Graphic();
}

// The reader reads with pread, so a worker thread may read the picture's bytes while the show
// goes on.
TCbScreenSaver::TPictureJob TFileShow::PictureJob(int32_t index) {
    auto picture = std::make_shared<TPicture>();
    picture->CopyOptions(FPicture);
    return [&reader = FReader, index, picture] {
        const std::string bytes = reader.PictureBytes(index);
        picture->LoadFromBytes(bytes.data(),
                               bytes.size(),
                               reader.PictureExt(index),
                               reader.FileName() + " #" + std::to_string(index + 1));
        return std::shared_ptr<const TBitmap>(picture, &picture->Graphic());
    };
}

std::string TFileShow::GetSoundFileName() {
    return FSoundFileName;
}

TSoundFile::TSoundFile(const TInstallerReader& reader) {
    if (!reader.HasSound()) {
        return;
    }
    const std::string bytes = reader.SoundBytes();
    const std::string ext = reader.SoundExt();
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string name =
        std::string(runtime && *runtime ? runtime : "/tmp") + "/kavro-sound-XXXXXX" + ext;
    const int fd = mkostemps(name.data(), static_cast<int>(ext.size()), O_CLOEXEC);
    if (fd < 0) {
        return;  // the show plays without its sound rather than not at all
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    if (done != bytes.size()) {
        unlink(name.c_str());
        return;
    }
    FName = name;
}

TSoundFile::~TSoundFile() {
    if (!FName.empty()) {
        unlink(FName.c_str());
    }
}

namespace {

// The show on one display: its own screen, services and window.
struct TScreenShow {
    std::unique_ptr<TQtScreen> Screen;
    std::unique_ptr<TShowServices> Services;
    std::unique_ptr<TCaSaverForm> Form;
};

}  // namespace

std::string PlayShowFullScreen(const TInstallerReader& reader, bool quiet, TKeepScreenOn* keepOn) {
    std::string failure;
    try {
        TSaverSettings settings = reader.Settings();
        std::unique_ptr<TSoundFile> soundFile;
        if (!quiet && reader.HasSound() && settings.PlaySound) {
            soundFile = std::make_unique<TSoundFile>(reader);
        }
        const std::string soundName = soundFile ? soundFile->Name() : std::string();
        if (soundName.empty()) {
            settings.PlaySound = 0;
        }
        TSaverSettings silent = settings;
        silent.PlaySound = 0;
        TQtTimerFactory timers;
        TSdlMediaControl media;
        TSdlWavePlayer wave;
        TQtFrameClockFactory frames;
        TQtWorker worker;

        // One window per display, the sound with the first; a display that comes while the
        // show plays gets its window, one that goes takes its window along.
        std::vector<TScreenShow> shows;
        QEventLoop loop;
        bool ended = false;
        auto endAll = [&] {
            if (ended) {
                return;
            }
            ended = true;
            for (TScreenShow& show : shows) {
                show.Form->EndSaver();
            }
            loop.quit();
        };
        // Each display's show knows its place in the desktop's order, so that with "each screen"
        // the displays show different pictures.
        auto add = [&](QScreen* display) {
            std::vector<TRect> places;
            for (QScreen* each : QGuiApplication::screens()) {
                const QRect g = each->geometry();
                places.push_back(TRect{g.left(), g.top(), g.right() + 1, g.bottom() + 1});
            }
            TScreenShow show;
            show.Screen = std::make_unique<TQtScreen>(display);
            show.Services = std::make_unique<TShowServices>(
                TShowServices{timers,
                              *show.Screen,
                              media,
                              wave,
                              &frames,
                              &worker,
                              ScreenIndexOf(places, show.Screen->Geometry())});
            show.Form = std::make_unique<TCaSaverForm>(
                settings.BackColor,
                TFileShow::Factory(
                    reader, shows.empty() ? settings : silent, soundName, *show.Services),
                *show.Screen);
            show.Form->OnShowError = [&failure](const std::exception& error) {
                failure = error.what();
            };
            show.Form->OnEnded = endAll;
            show.Form->ShowSaver();
            if (keepOn && show.Form->windowHandle()) {
                keepOn->Add(*show.Form->windowHandle());
            }
            shows.push_back(std::move(show));
        };
        // The primary display first: its show has the sound.
        QList<QScreen*> displays = QGuiApplication::screens();
        std::stable_partition(displays.begin(), displays.end(), [](QScreen* display) {
            return display == QGuiApplication::primaryScreen();
        });
        for (QScreen* display : displays) {
            add(display);
        }
        if (shows.empty()) {
            throw std::runtime_error("没有可以放映的屏幕。");
        }
        QObject::connect(qApp, &QGuiApplication::screenAdded, &loop, [&](QScreen* display) {
            if (!ended) {
                add(display);
            }
        });
        QObject::connect(qApp, &QGuiApplication::screenRemoved, &loop, [&](QScreen* display) {
            for (auto it = shows.begin(); it != shows.end(); ++it) {
                if (it->Screen->Display() == display && shows.size() > 1) {
                    it->Form->OnEnded = nullptr;
                    it->Form.release()->deleteLater();
                    shows.erase(it);
                    break;
                }
            }
        });
        loop.exec();
        endAll();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    return failure;
}
