// Writes an installer file without the wizard, with the stubs of the build folder or those in
// the folder --stubs names (an installed package's lib/kavro/):
// kavro_make_show <out.run> <title> [--sound FILE] [--stubs DIR] <picture>...
// One second a picture, in order, fitted to the screen, no title screen.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pack/BuildInstaller.h"
#include "settings/CodePage.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: %s <out.run> <title> [--sound FILE] [--stubs DIR] <picture>...\n",
                     argv[0]);
        return 2;
    }
    std::string sound;
    std::string stubs = KAVRO_BUILD_DIR "/";
    std::vector<std::string> pictures;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sound") == 0 && i + 1 < argc) {
            sound = argv[++i];
        } else if (std::strcmp(argv[i], "--stubs") == 0 && i + 1 < argc) {
            stubs = std::string(argv[++i]) + "/";
        } else {
            pictures.push_back(argv[i]);
        }
    }
    TSaverSettings settings;
    InitSaverSettings(settings);
    WriteFieldUtf8(settings.Title, argv[2]);
    settings.PictureCount = static_cast<uint8_t>(pictures.size());
    settings.IntervalSeconds = 1;
    settings.SequentialOrder = 1;
    settings.StretchImages = 1;
    settings.Description.ShowDescription = 0;
    if (!sound.empty()) {
        settings.SoundIncluded = 1;
        settings.PlaySound = 1;
        WriteFieldUtf8(settings.SoundExt, sound.substr(sound.rfind('.')));
    }
    try {
        BuildInstaller(argv[1],
                       Utf8ToGbk(argv[2]),
                       stubs,
                       settings,
                       pictures,
                       sound,
                       std::string(argv[1]) + ".d/",
                       [] {});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
