#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/CaPack.h"
#include "pack/CaPackImages.h"
#include "pack/InstallerFormat.h"
#include "settings/SaverSettings.h"

// Assembles an installer file: the stubs beside the program, the settings record, the image
// pack, the sound file, then the trailer, its length and the marker.
class TCaPackSetup : public TCaPack {
public:
    // title holds code-page bytes; programDir ends with "/".
    TCaPackSetup(const std::string& title, const std::string& programDir);

    // Each stub is appended only when it exists in the program's folder.
    void AddIeStub();
    void AddSsStub();
    void AddUiStub();
    void AddSettings(const TSaverSettings& settings);
    void AddImagePack(const std::vector<std::string>& pictureFiles);
    // The same, with some pictures' bytes replaced.
    void AddImagePackWith(const std::vector<std::string>& pictureFiles,
                          const TCaPackImages::TReplacement& replace);
    // An empty name adds no sound; any other name must be a readable file.
    void AddSound(const std::string& soundFile);
    // Appends the trailer and its length.
    void AddTrailer();

    const TInstallerTrailer& Trailer() const { return FTrailer; }

private:
    // Appends FProgramDir + name when it exists; false when it does not.
    bool AddStub(const char* name, int32_t& offset, int32_t& size);

    std::string FProgramDir;
    TInstallerTrailer FTrailer = {};
};
