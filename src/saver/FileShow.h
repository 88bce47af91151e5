#pragma once

#include <string>

#include "engine/CbScreenSaver.h"
#include "toolkit/Picture.h"

class TInstallerReader;
class TKeepScreenOn;

// A slide show of the pictures inside an installer file, read from the file one at a time as
// the show asks for them; the sound is a file on disk (see TSoundFile), or none.
class TFileShow : public TCbScreenSaver {
public:
    // The reader is borrowed and must outlive the show.
    TFileShow(TCanvas& targetCanvas,
              const TRect& targetRect,
              const TSaverSettings& settings,
              const TInstallerReader& reader,
              const std::string& soundFileName,
              const TShowServices& services);

    // What builds this show on a canvas; the reader is borrowed by every show built.
    static TShowFactory Factory(const TInstallerReader& reader,
                                const TSaverSettings& settings,
                                const std::string& soundFileName,
                                const TShowServices& services);

protected:
    const TBitmap& GetPicture(int32_t index) override;
    TPictureJob PictureJob(int32_t index) override;
    std::string GetSoundFileName() override;

private:
    const TInstallerReader& FReader;
    std::string FSoundFileName;
    TPicture FPicture;
};

// The sound piece of an installer file as a private temporary file carrying its recorded
// extension (the sound player chooses its decoder by it); removed with the object.
class TSoundFile {
public:
    // Writes nothing and names nothing when the file has no sound.
    explicit TSoundFile(const TInstallerReader& reader);
    ~TSoundFile();
    TSoundFile(const TSoundFile&) = delete;
    TSoundFile& operator=(const TSoundFile&) = delete;

    const std::string& Name() const { return FName; }

private:
    std::string FName;
};

// Plays the file's show full screen in a window of its own until a key or the second mouse
// movement, with its sound unless quiet; answers why it could not, or empty. Each of its windows
// is given to keepOn, when there is one, to hold the desktop's blanking off. Needs a
// QApplication.
std::string PlayShowFullScreen(const TInstallerReader& reader,
                               bool quiet = false,
                               TKeepScreenOn* keepOn = nullptr);
