#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "PackFiles.h"
#include "pack/CaPackSetup.h"
#include "pack/InstallerReader.h"

namespace {

using namespace std::string_literals;

// Sizes of the stubs ie.dat, ss.dat and ui.dat; -1 when absent.
struct StubCase {
    int ie, ss, ui;
    int32_t ssOffset, ssSize, uiOffset, uiSize, settingsOffset;
};

class InstallerStubs : public testing::TestWithParam<StubCase> {};

TEST_P(InstallerStubs, PiecesFollowEachOtherAndTheTrailerIndexesThem) {
    const StubCase& c = GetParam();
    TPackFiles files;
    std::string stubs;
    const std::pair<const char*, int> sizes[] = {
        {"ie.dat", c.ie}, {"ss.dat", c.ss}, {"ui.dat", c.ui}};
    for (auto [name, size] : sizes) {
        if (size >= 0) {
            stubs += TPackFiles::Pattern(size, size);
            files.Write(name, TPackFiles::Pattern(size, size));
        }
    }
    std::string pictures = files.Write("p.jpg", TPackFiles::Pattern(100, 5));
    TSaverSettings settings;
    InitSaverSettings(settings);

    TCaPackSetup setup("Show", files.Dir());
    setup.AddIeStub();
    setup.AddSsStub();
    setup.AddUiStub();
    setup.AddSettings(settings);
    setup.AddImagePack({pictures});
    setup.AddSound("");
    setup.AddTrailer();
    setup.AddMarker();

    const TInstallerTrailer& t = setup.Trailer();
    EXPECT_EQ(t.SsOffset, c.ssOffset);
    EXPECT_EQ(t.SsSize, c.ssSize);
    EXPECT_EQ(t.UiOffset, c.uiOffset);
    EXPECT_EQ(t.UiSize, c.uiSize);
    EXPECT_EQ(t.SettingsOffset, c.settingsOffset);
    EXPECT_EQ(t.SettingsSize, 77965);
    EXPECT_EQ(t.ImagesOffset, c.settingsOffset + 77965);
    EXPECT_EQ(t.ImagesSize, 3448);
    EXPECT_EQ(t.SoundOffset | t.SoundSize | t.HasSound, 0);
    std::string bytes = setup.Stream().toStdString();
    EXPECT_EQ(bytes.size(), c.settingsOffset + 77965 + 3448 + 165u);
    EXPECT_EQ(setup.Size(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(bytes.substr(0, stubs.size()), stubs);
    EXPECT_EQ(std::memcmp(bytes.data() + c.settingsOffset, &settings, 77965), 0);
    EXPECT_EQ(bytes.substr(c.settingsOffset + 77965, 15), "sky mirror band");

    // The reader takes the saved file back piece by piece.
    setup.SaveToFile(files.Path("out.exe"));
    TInstallerReader reader(files.Path("out.exe"));
    EXPECT_EQ(reader.Ie().Size, std::max(c.ie, 0));
    EXPECT_EQ(reader.Ss().Offset, c.ssOffset);
    EXPECT_EQ(reader.Ui().Offset, c.uiOffset);
    EXPECT_EQ(reader.Ui().Size, c.uiSize);
    EXPECT_EQ(reader.Title(), "Show");
    EXPECT_EQ(reader.PictureBytes(0), TPackFiles::Pattern(100, 5));
    EXPECT_FALSE(reader.HasSound());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Stubs, InstallerStubs, testing::Values(
    StubCase{-1, -1, -1, 0, 0, 0, 0, 0},
    StubCase{40000, 30000, -1, 40000, 30000, 0, 0, 70000},
    StubCase{-1, -1, 500, 0, 0, 0, 500, 500},
    StubCase{-1, 30, -1, 0, 30, 0, 0, 30},
    StubCase{100, -1, 20, 0, 0, 100, 20, 120},
    StubCase{7, 0, 10, 7, 0, 7, 10, 17},
    StubCase{0, 0, 0, 0, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<StubCase>& info) {
        auto size = [](int n) { return n < 0 ? "absent"s : std::to_string(n); };
        return "ie_" + size(info.param.ie) + "_ss_" + size(info.param.ss) + "_ui_" + size(info.param.ui);
    });
// clang-format on

TEST(InstallerStubFolders, AFolderNamedLikeAStubIsNoStub) {
    TPackFiles files;
    ASSERT_TRUE(QDir(QString::fromStdString(files.Dir())).mkdir("ss.dat"));
    TCaPackSetup setup("Show", files.Dir());
    setup.AddIeStub();
    setup.AddSsStub();
    setup.AddUiStub();
    EXPECT_EQ(setup.Size(), 0);
    EXPECT_EQ(setup.Trailer().SsOffset, 0);
    EXPECT_EQ(setup.Trailer().SsSize, 0);
}

TEST(InstallerTitle, KeepsSpacesAndIsCutAt100Bytes) {
    TCaPackSetup spaced("  My Show  ", "/nowhere/");
    EXPECT_EQ(std::string(spaced.Trailer().Title, 12), "  My Show  \0"s);
    std::string long120(120, 'T');
    TCaPackSetup cut(long120, "/nowhere/");
    EXPECT_EQ(std::string(cut.Trailer().Title, 100), std::string(100, 'T'));
    EXPECT_EQ(cut.Trailer().SsOffset, 0);
    EXPECT_EQ(cut.Size(), 0);
}

TEST(InstallerSound, ExtensionAndOffsetsOfTheSoundPiece) {
    TPackFiles files;
    TCaPackSetup setup("t", files.Dir());
    setup.AddBuffer("12345", 5);
    setup.AddSound(files.Write("Theme.MP3", TPackFiles::Pattern(5000, 4)));
    EXPECT_EQ(setup.Trailer().HasSound, 1);
    EXPECT_EQ(setup.Trailer().SoundOffset, 5);
    EXPECT_EQ(setup.Trailer().SoundSize, 5000);
    EXPECT_EQ(std::string(setup.Trailer().SoundExt, 5), ".mp3\0"s);
    EXPECT_EQ(setup.Stream().toStdString().substr(5), TPackFiles::Pattern(5000, 4));

    std::string gone = files.Path("gone.wav");
    EXPECT_EQ(ErrorOf([&] { setup.AddSound(gone); }),
              "无法打开文件 " + gone + "\n" + gone + "：文件不存在");
}

TEST(InstallerLimit, PackThatWouldNotFitIsRefused) {
    TPackFiles files;
    std::string picture = files.Write("p.jpg", TPackFiles::Pattern(200, 1));
    TSaverSettings settings;
    InitSaverSettings(settings);
    TCaPackSetup setup("t", files.Dir());
    // With the trailer, its length and the marker the file would end exactly at the ceiling.
    setup.SetSizeLimit(77965 + 3548 + 165);
    setup.AddSettings(settings);
    EXPECT_EQ(ErrorOf([&] { setup.AddImagePack({picture}); }), "安装文件超过 2 GB 的上限");
    EXPECT_EQ(setup.Size(), 77965);
    setup.SetSizeLimit(77965 + 3548 + 165 + 1);
    setup.AddImagePack({picture});
    setup.AddTrailer();
    setup.AddMarker();
    EXPECT_EQ(setup.Size(), 77965 + 3548 + 165);
    EXPECT_THROW(setup.AddSound(picture), std::runtime_error);
}

}  // namespace
