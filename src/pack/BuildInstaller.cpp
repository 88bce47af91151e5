#include "pack/BuildInstaller.h"

#include <sys/stat.h>

#include <QDir>
#include <filesystem>
#include <memory>
#include <system_error>

#include "pack/CaPackSetup.h"
#include "pack/PictureShrink.h"
#include "settings/ShowExtras.h"

void BuildInstaller(const std::string& targetPath,
                    const std::string& titleBytes,
                    const std::string& programDir,
                    const TSaverSettings& settings,
                    const std::vector<std::string>& pictureFiles,
                    const std::string& soundFile,
                    const std::string& outputDir,
                    const std::function<void()>& progressStep) {
    // The shrinking starts at once, so that the stubs are appended while it runs.
    std::unique_ptr<TPictureShrinker> shrinker;
    if (ReadShowExtras(settings).ShrinkPictures) {
        shrinker = std::make_unique<TPictureShrinker>(pictureFiles, TPictureShrinker::Threads());
    }
    TCaPackImages::TReplacement replace;
    if (shrinker) {
        replace = [&](int index, std::string& bytes, std::string& ext) {
            TShrunkPicture picture = shrinker->Take(index, progressStep);
            bytes = std::move(picture.Bytes);
            ext = std::move(picture.Ext);
            return picture.Shrunk;
        };
    }
    auto setup = std::make_unique<TCaPackSetup>(titleBytes, programDir);
    setup->AddIeStub();
    progressStep();
    setup->AddSsStub();
    progressStep();
    setup->AddUiStub();
    progressStep();
    setup->AddSettings(settings);
    progressStep();
    setup->AddImagePackWith(pictureFiles, replace);
    shrinker.reset();
    progressStep();
    setup->AddSound(soundFile);
    progressStep();
    setup->AddTrailer();
    progressStep();
    setup->AddMarker();
    progressStep();
    // A folder that cannot be made shows up as the save's own error. The name is taken as the
    // bytes it is.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(outputDir), ignored);
    progressStep();
    setup->SaveToFile(targetPath);
    // The installer file is a program that runs when started: executable as far as the
    // user's umask lets a new file be.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(targetPath.c_str(), 0777 & ~mask);
    progressStep();
    setup.reset();
    progressStep();
}

int BuildSteps(const TSaverSettings& settings, int pictureCount) {
    return BuildInstallerSteps + (ReadShowExtras(settings).ShrinkPictures ? pictureCount : 0);
}
