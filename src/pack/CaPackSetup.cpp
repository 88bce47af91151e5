#include "pack/CaPackSetup.h"

#include <sys/stat.h>

#include <QBuffer>
#include <memory>

#include "pack/CaPackImages.h"
#include "toolkit/FileExt.h"

TCaPackSetup::TCaPackSetup(const std::string& title, const std::string& programDir)
    : FProgramDir(programDir) {
    WriteFieldText(FTrailer.Title, title);
}

bool TCaPackSetup::AddStub(const char* name, int32_t& offset, int32_t& size) {
    std::string fileName = FProgramDir + name;
    // Only an ordinary file is a stub: a folder of that name would fail the whole build.
    struct stat info;
    if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    offset = FSize;
    size = AddFile(fileName);
    return true;
}

void TCaPackSetup::AddIeStub() {
    int32_t offset = 0;
    int32_t size = 0;
    AddStub("ie.dat", offset, size);
}

void TCaPackSetup::AddSsStub() {
    AddStub("ss.dat", FTrailer.SsOffset, FTrailer.SsSize);
}

void TCaPackSetup::AddUiStub() {
    AddStub("ui.dat", FTrailer.UiOffset, FTrailer.UiSize);
}

void TCaPackSetup::AddSettings(const TSaverSettings& settings) {
    FTrailer.SettingsOffset = FSize;
    AddBuffer(&settings, sizeof settings);
    FTrailer.SettingsSize = sizeof settings;
}

void TCaPackSetup::AddImagePack(const std::vector<std::string>& pictureFiles) {
    AddImagePackWith(pictureFiles, {});
}

void TCaPackSetup::AddImagePackWith(const std::vector<std::string>& pictureFiles,
                                    const TCaPackImages::TReplacement& replace) {
    auto images = std::make_unique<TCaPackImages>();
    // The pack must leave room for the rest of this file, so it fails before reading too much.
    images->SetSizeLimit(SizeLimit() - FSize - InstallerTailLength);
    images->AddMarker();
    images->AddImagesWith(pictureFiles, replace);
    images->AddDirectory();

    // The pictures are held twice only while the pack is copied, into room made for it and
    // the tail at once; the pack goes right after.
    Reserve(images->Size() + InstallerTailLength);
    QBuffer source;
    source.setData(images->Stream());
    source.open(QIODevice::ReadOnly);
    FTrailer.ImagesOffset = FSize;
    FTrailer.ImagesSize = AddStream(source);
    source.close();
    source.setData(QByteArray());
    images.reset();
}

void TCaPackSetup::AddSound(const std::string& soundFile) {
    FTrailer.HasSound = soundFile.empty() ? 0 : 1;
    if (soundFile.empty()) {
        return;
    }
    FTrailer.SoundOffset = FSize;
    FTrailer.SoundSize = AddFile(soundFile);
    WriteFieldUtf8(FTrailer.SoundExt, FileExtLower(soundFile));
}

void TCaPackSetup::AddTrailer() {
    AddBuffer(&FTrailer, InstallerTrailerLength);
    AddBuffer(&InstallerTrailerLength, sizeof InstallerTrailerLength);
}
