#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/CbScreenSaver.h"
#include "toolkit/Picture.h"

// A slide show of picture files with an optional sound file.
class TCaScreenSaverMain : public TCbScreenSaver {
public:
    // The picture list is borrowed and must outlive the show. inPanel forces fitting to the
    // screen in the show's own copy of the settings.
    TCaScreenSaverMain(TCanvas& targetCanvas,
                       const TRect& targetRect,
                       const TSaverSettings& settings,
                       const std::vector<std::string>& pictureFiles,
                       const std::string& soundFileName,
                       bool inPanel,
                       const TShowServices& services);

    // What builds this show over the files in a full-screen window. The list is borrowed and
    // must outlive every show built.
    static TShowFactory FullScreen(const TSaverSettings& settings,
                                   const std::vector<std::string>& pictureFiles,
                                   const std::string& soundFileName,
                                   const TShowServices& services);

protected:
    const TBitmap& GetPicture(int32_t index) override;
    std::string GetSoundFileName() override;
    // Loads the file into a picture holder of the job's own.
    TPictureJob PictureJob(int32_t index) override;

private:
    const std::vector<std::string>& FPictureFiles;
    std::string FSoundFileName;
    TPicture FPictureLoader;
};
