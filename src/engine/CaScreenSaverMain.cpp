#include "engine/CaScreenSaverMain.h"

#include "toolkit/Screen.h"

namespace {

TSaverSettings ShowCopy(const TSaverSettings& settings, bool inPanel) {
    TSaverSettings copy = settings;
    if (inPanel) {
        copy.StretchImages = 1;
    }
    return copy;
}

}  // namespace

TCaScreenSaverMain::TCaScreenSaverMain(TCanvas& targetCanvas,
                                       const TRect& targetRect,
                                       const TSaverSettings& settings,
                                       const std::vector<std::string>& pictureFiles,
                                       const std::string& soundFileName,
                                       bool inPanel,
                                       const TShowServices& services)
    : TCbScreenSaver(targetCanvas, targetRect, ShowCopy(settings, inPanel), false, services)
    , FPictureFiles(pictureFiles)
    , FSoundFileName(soundFileName) {
    // Pictures fitted to the screen-sized frame need no more pixels than it has; transparent
    // ones show the show's background.
    FPictureLoader.SetBackColor(settings.BackColor);
    if (inPanel || settings.StretchImages != 0) {
        FPictureLoader.SetTargetSize(services.Screen.Width(), services.Screen.Height());
    }
}

TShowFactory TCaScreenSaverMain::FullScreen(const TSaverSettings& settings,
                                            const std::vector<std::string>& pictureFiles,
                                            const std::string& soundFileName,
                                            const TShowServices& services) {
    return [settings, &pictureFiles, soundFileName, services](TCanvas& canvas,
                                                              const TRect& targetRect) {
        return std::make_unique<TCaScreenSaverMain>(
            canvas, targetRect, settings, pictureFiles, soundFileName, false, services);
    };
}

const TBitmap& TCaScreenSaverMain::GetPicture(int32_t index) {
    // at() throws when PictureCount promises more pictures than the list holds.
    FPictureLoader.LoadFromFile(FPictureFiles.at(static_cast<size_t>(index)));
    return FPictureLoader.Graphic();
}

TCbScreenSaver::TPictureJob TCaScreenSaverMain::PictureJob(int32_t index) {
    auto picture = std::make_shared<TPicture>();
    picture->CopyOptions(FPictureLoader);
    return [file = FPictureFiles.at(static_cast<size_t>(index)), picture] {
        picture->LoadFromFile(file);
        return std::shared_ptr<const TBitmap>(picture, &picture->Graphic());
    };
}

std::string TCaScreenSaverMain::GetSoundFileName() {
    return FSoundFileName;
}
