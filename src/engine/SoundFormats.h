#pragma once

#include <array>
#include <cstdint>
#include <string_view>

enum TSoundKind : uint8_t { skNone = 0, skMp3 = 1, skWave = 2, skMidi = 3, skRmi = 4 };

// One accepted sound extension: lower-case with its dot, how it is played, and the name of the
// file type as the sound dialog lists it.
struct TSoundFormat {
    std::string_view Ext;
    TSoundKind Kind;
    std::string_view TypeName;
};

// Every sound extension Kavro accepts, in the order the sound dialog lists them. The player,
// the dialog's filter and a drop's sorting all derive from this list.
inline constexpr std::array<TSoundFormat, 4> SoundFormats = {{
    {".mp3", skMp3, "MP3 文件"},
    {".wav", skWave, "Wave 文件"},
    {".mid", skMidi, "MIDI 文件"},
    {".rmi", skRmi, "RMI 文件"},
}};

// The format of a lower-cased extension, or nullptr when it is no sound Kavro plays.
constexpr const TSoundFormat* FindSoundFormat(std::string_view extLower) {
    for (const TSoundFormat& format : SoundFormats) {
        if (format.Ext == extLower) {
            return &format;
        }
    }
    return nullptr;
}
