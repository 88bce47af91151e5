#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "PackFiles.h"
#include "pack/CaPackImages.h"

namespace {

using namespace std::string_literals;

// Builds a pack the way the installer builder does.
std::string BuildPack(const std::vector<std::string>& names, TCaPackImages& pack) {
    pack.AddMarker();
    pack.AddImages(names);
    pack.AddDirectory();
    return pack.Stream().toStdString();
}

TEST(ImagePack, TwoPicturesOf100And200Bytes) {
    TPackFiles files;
    std::string a = TPackFiles::Pattern(100, 1);
    std::string b = TPackFiles::Pattern(200, 2);
    TCaPackImages pack;
    std::string bytes = BuildPack({files.Write("Sea.JPG", a), files.Write("b.bmp", b)}, pack);

    ASSERT_EQ(bytes.size(), 3648u);
    EXPECT_EQ(bytes.substr(0, 15), "sky mirror band");
    EXPECT_EQ(bytes.substr(15, 100), a);
    EXPECT_EQ(bytes.substr(115, 200), b);
    EXPECT_EQ(bytes[315], 2);
    EXPECT_EQ(bytes.substr(316, 26),
              "\x0F\0\0\0\x64\0\0\0.jpg\0"s
              "\x73\0\0\0\xC8\0\0\0.bmp\0"s);
    EXPECT_EQ(bytes.substr(342, 3302), std::string(3302, '\0'));
    EXPECT_EQ(bytes.substr(3644), "\x01\x0D\0\0"s);
    EXPECT_EQ(pack.ImageCount(), 2);
}

struct CountCase {
    int pictures;
    int pictureSize;
    size_t packLength;
    int32_t lastOffset;  // of picture pictures - 1
};

class ImagePackCount : public testing::TestWithParam<CountCase> {};

TEST_P(ImagePackCount, DirectoryFollowsThePictures) {
    const CountCase& c = GetParam();
    TPackFiles files;
    std::vector<std::string> names;
    for (int k = 0; k < c.pictures; ++k) {
        names.push_back(
            files.Write("p" + std::to_string(k) + ".jpg", TPackFiles::Pattern(c.pictureSize, k)));
    }
    TCaPackImages pack;
    std::string bytes = BuildPack(names, pack);
    ASSERT_EQ(bytes.size(), c.packLength);
    size_t directory = bytes.size() - 3333;
    EXPECT_EQ(static_cast<unsigned char>(bytes[directory]), c.pictures);
    for (int k = 0; k < c.pictures; ++k) {
        EXPECT_EQ(Le32(bytes, directory + 1 + 13 * k), 15 + k * c.pictureSize);
        EXPECT_EQ(Le32(bytes, directory + 5 + 13 * k), c.pictureSize);
    }
    if (c.pictures > 0) {
        EXPECT_EQ(Le32(bytes, directory + 1 + 13 * (c.pictures - 1)), c.lastOffset);
    }
    size_t unused = directory + 1 + 13 * c.pictures;
    EXPECT_EQ(bytes.substr(unused, bytes.size() - 4 - unused),
              std::string(bytes.size() - 4 - unused, '\0'));
}

INSTANTIATE_TEST_SUITE_P(Counts,
                         ImagePackCount,
                         testing::Values(CountCase{0, 0, 3348, 0},
                                         CountCase{1, 10, 3358, 15},
                                         CountCase{2, 7, 3362, 22},
                                         CountCase{255, 3, 4113, 777}),
                         [](const testing::TestParamInfo<CountCase>& info) {
                             return std::to_string(info.param.pictures) + "_pictures";
                         });

TEST(ImagePack, ZeroLengthPictureSharesItsOffsetWithTheNext) {
    TPackFiles files;
    TCaPackImages pack;
    BuildPack({files.Write("a.jpg", TPackFiles::Pattern(100, 1)),
               files.Write("empty.jpg", ""),
               files.Write("c.jpg", TPackFiles::Pattern(50, 3))},
              pack);
    // Unary plus copies a packed field, which EXPECT_EQ would otherwise bind misaligned.
    EXPECT_EQ(+pack.Entry(1).Offset, 115);
    EXPECT_EQ(+pack.Entry(1).Size, 0);
    EXPECT_EQ(+pack.Entry(2).Offset, 115);
    EXPECT_EQ(+pack.Entry(2).Size, 50);
}

TEST(ImagePack, ExtensionFillsFiveBytesOrStaysEmpty) {
    TPackFiles files;
    std::filesystem::create_directory(files.Path("my.pics"));
    TCaPackImages pack;
    BuildPack({files.Write("A.JPEG", TPackFiles::Pattern(30, 1)),
               files.Write("b.Jpg", TPackFiles::Pattern(20, 2)),
               files.Write("my.pics/photo", TPackFiles::Pattern(10, 3))},
              pack);
    EXPECT_EQ(std::string(pack.Entry(0).Ext, 5), ".jpeg");
    EXPECT_EQ(+pack.Entry(1).Offset, 45);
    EXPECT_EQ(std::string(pack.Entry(1).Ext, 5), ".jpg\0"s);
    EXPECT_EQ(std::string(pack.Entry(2).Ext, 5), std::string(5, '\0'));
    EXPECT_EQ(+pack.Entry(2).Offset, 65);
}

TEST(ImagePack, MissingPictureStopsThePack) {
    TPackFiles files;
    std::string gone = files.Path("gone.jpg");
    TCaPackImages pack;
    pack.AddMarker();
    EXPECT_EQ(ErrorOf([&] {
                  pack.AddImages({files.Write("a.jpg", "abc"), gone});
              }),
              "无法打开文件 " + gone + "\n" + gone + "：文件不存在");
    EXPECT_EQ(pack.Stream().toStdString(), "sky mirror bandabc");
}

TEST(ImagePack, MoreThan255PicturesAreRefusedBeforeReading) {
    TPackFiles files;
    std::vector<std::string> names(256, files.Write("a.jpg", "abc"));
    TCaPackImages pack;
    pack.AddMarker();
    EXPECT_THROW(pack.AddImages(names), std::invalid_argument);
    EXPECT_EQ(pack.Size(), 15);
}

TEST(ImagePack, PackReachingTwoGibibytesIsRefusedBeforeReading) {
    TPackFiles files;
    std::vector<std::string> names;
    for (const char* name : {"a.jpg", "b.jpg"}) {
        names.push_back(files.Path(name));
        std::ofstream(names.back()).close();
        std::filesystem::resize_file(names.back(), PackSizeLimit / 2 - 1000);  // sparse
    }
    TCaPackImages pack;
    pack.AddMarker();
    EXPECT_EQ(ErrorOf([&] { pack.AddImages(names); }), "安装文件超过 2 GB 的上限");
    EXPECT_EQ(pack.Size(), 15);
    EXPECT_EQ(pack.ImageCount(), 0);
}

}  // namespace
