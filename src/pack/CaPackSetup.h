#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/CaPack.h"
#include "settings/SaverSettings.h"

#pragma pack(push, 1)

// The index at the end of an installer file; offsets count from the file's first byte.
struct TInstallerTrailer {
    char Title[100];         // 0: code-page bytes
    int32_t SsOffset;        // 100: 0 without ss.dat
    int32_t SsSize;          // 104
    int32_t UiOffset;        // 108: 0 without ui.dat
    int32_t UiSize;          // 112
    int32_t SettingsOffset;  // 116
    int32_t SettingsSize;    // 120: always 77965
    int32_t ImagesOffset;    // 124
    int32_t ImagesSize;      // 128
    int32_t SoundOffset;     // 132: 0 without sound
    int32_t SoundSize;       // 136
    uint8_t HasSound;        // 140
    char SoundExt[5];        // 141: ".mp3"; all zero without sound
};

#pragma pack(pop)

static_assert(sizeof(TInstallerTrailer) == 146);
static_assert(offsetof(TInstallerTrailer, SettingsOffset) == 116);
static_assert(offsetof(TInstallerTrailer, HasSound) == 140);

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
    // An empty name adds no sound; any other name must be a readable file.
    void AddSound(const std::string& soundFile);
    // Appends the trailer and its length.
    void AddTrailer();
    void AddMarker();

    const TInstallerTrailer& Trailer() const { return FTrailer; }

private:
    // Appends FProgramDir + name when it exists; false when it does not.
    bool AddStub(const char* name, int32_t& offset, int32_t& size);

    std::string FProgramDir;
    TInstallerTrailer FTrailer = {};
};
