#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cmath>

#include "PackFiles.h"
#include "pack/BuildInstaller.h"
#include "pack/InstallerReader.h"
#include "pack/PictureShrink.h"
#include "settings/ShowExtras.h"
#include "support/ExifBlock.h"
#include "support/JpegWriter.h"
#include "toolkit/Orientation.h"
#include "toolkit/Picture.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Blue = RGBColor(0, 0, 255);

// A JPEG of w x h, its top half red and its bottom half blue, with an EXIF block.
std::string HalvesJpeg(int w, int h, const std::string& tiff) {
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = y < h / 2 ? 255 : 0;
            p[1] = 0;
            p[2] = y < h / 2 ? 0 : 255;
        }
    }
    const auto jpeg = EncodeJpeg(w, h, 3, rgb.data(), 85, false);
    const std::string bytes(jpeg.begin(), jpeg.end());
    return tiff.empty() ? bytes : bytes.substr(0, 2) + ExifApp1(tiff) + bytes.substr(2);
}

void ExpectNear(TColor got, TColor want, const std::string& what) {
    EXPECT_NEAR(ColorRed(got), ColorRed(want), 30) << what;
    EXPECT_NEAR(ColorBlue(got), ColorBlue(want), 30) << what;
}

// Builds a show of the files with "缩小大图片" and reads its pictures back.
class ShrinkTest : public testing::Test {
protected:
    TInstallerReader Build(const std::vector<std::string>& pictures, bool shrink = true) {
        TSaverSettings settings;
        InitSaverSettings(settings);
        settings.PictureCount = static_cast<uint8_t>(pictures.size());
        TShowExtras extras;
        extras.ShrinkPictures = shrink;
        WriteShowExtras(settings, extras);
        Steps = 0;
        const std::string target = files.Path("show.run");
        BuildInstaller(
            target, "T", files.Dir(), settings, pictures, "", files.Path("out/"), [&] { ++Steps; });
        EXPECT_EQ(Steps, BuildSteps(settings, static_cast<int>(pictures.size())));
        return TInstallerReader(target);
    }

    TPackFiles files;
    int Steps = 0;
};

TEST_F(ShrinkTest, LargePhotoComesBackFittedUprightWithItsDate) {
    // Stored 4000 x 6000 and turned a quarter clockwise: upright 6000 x 4000, red on the right.
    const std::string photo =
        files.Write("photo.JPG", HalvesJpeg(4000, 6000, ExifTiff("2024:05:03 14:20:07", 6, true)));
    TInstallerReader reader = Build({photo});
    const std::string bytes = reader.PictureBytes(0);
    EXPECT_EQ(reader.PictureExt(0), ".jpg");
    EXPECT_LT(bytes.size(), TPackFiles::Read(photo).size());

    TPicture picture;
    picture.LoadFromBytes(bytes.data(), bytes.size(), ".jpg", "shrunk");
    EXPECT_EQ(picture.Width(), 3240);
    EXPECT_EQ(picture.Height(), 2160);
    ExpectNear(picture.Graphic().Pixels(100, 1000), Blue, "left");
    ExpectNear(picture.Graphic().Pixels(3140, 1000), Red, "right");
    EXPECT_EQ(picture.Graphic().TakenOn, TDateTaken(2024, 5, 3));
    EXPECT_EQ(picture.Graphic().TakenOn.Stamp, "2024:05:03 14:20:07");
    // Its own EXIF says upright.
    const size_t app1 = bytes.find("Exif");
    ASSERT_NE(app1, std::string::npos);
    EXPECT_EQ(OrientationFromExifSegment(
                  reinterpret_cast<const unsigned char*>(bytes.data()) + app1, bytes.size() - app1),
              1);
}

TEST_F(ShrinkTest, PicturesThatFitOrCannotBeDecodedGoInByteForByte) {
    const std::vector<std::string> pictures = {
        files.Write("small.jpg", HalvesJpeg(800, 600, ExifTiff("2020:01:01 00:00:00", 6, false))),
        // Exactly the box, and the box turned on its side, which fits as well.
        files.Write("box.jpg", HalvesJpeg(3840, 2160, "")),
        files.Write("tall.jpeg", HalvesJpeg(2160, 3840, ExifTiff("", 6, false))),
        files.Write("broken.jpg", "\xFF\xD8\xFF not really a JPEG"),
        files.Write("thumb.bmp", std::string(TPackFiles::Read(KAVRO_TEST_DATA "/red.bmp"))),
    };
    TInstallerReader reader = Build(pictures);
    for (int i = 0; i < reader.PictureCount(); ++i) {
        EXPECT_TRUE(reader.PictureBytes(i) == TPackFiles::Read(pictures[i])) << pictures[i];
    }
    EXPECT_EQ(reader.PictureExt(2), ".jpeg");
}

TEST_F(ShrinkTest, TransparentPictureStaysPngWithItsAlpha) {
    QImage image(5000, 1000, QImage::Format_ARGB32);
    image.fill(QColor(0, 255, 0, 128));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "png").write(image));
    const std::string file = files.Write("glass.webp", png.toStdString());
    TInstallerReader reader = Build({file});
    EXPECT_EQ(reader.PictureExt(0), ".png");
    const QImage back = QImage::fromData(QByteArray::fromStdString(reader.PictureBytes(0)), "png");
    EXPECT_EQ(back.size(), QSize(3840, 768));
    EXPECT_NEAR(qAlpha(back.pixel(1000, 300)), 128, 2);
    EXPECT_NEAR(qGreen(back.pixel(1000, 300)), 255, 2);
}

TEST_F(ShrinkTest, WithoutTheChoiceEveryPictureGoesInAsItIs) {
    const std::string photo = files.Write("big.jpg", HalvesJpeg(4000, 2500, ""));
    TInstallerReader reader = Build({photo}, false);
    EXPECT_EQ(Steps, 11);
    EXPECT_TRUE(reader.PictureBytes(0) == TPackFiles::Read(photo));
}

// Many pictures through two workers: each comes back in its place, and every one is counted.
TEST_F(ShrinkTest, ManyPicturesKeepTheirOrder) {
    std::vector<std::string> pictures;
    for (int i = 0; i < 9; ++i) {
        pictures.push_back(files.Write(
            "p" + std::to_string(i) + ".jpg",
            i % 3 == 0 ? HalvesJpeg(4000, 2200 + i, "") : HalvesJpeg(64 + i, 100 + i, "")));
    }
    TInstallerReader reader = Build(pictures);
    for (int i = 0; i < 9; ++i) {
        const std::string bytes = reader.PictureBytes(i);
        TPicture picture;
        picture.LoadFromBytes(bytes.data(), bytes.size(), ".jpg", "p");
        if (i % 3 == 0) {
            // 4000 wide and a little over 2160 high: the width limits, 3840 x 2112 for 2200.
            EXPECT_EQ(picture.Width(), ShrinkWidth) << i;
            EXPECT_EQ(picture.Height(), static_cast<int>(std::lround(3840.0 * (2200 + i) / 4000)))
                << i;
        } else {
            EXPECT_TRUE(bytes == TPackFiles::Read(pictures[i])) << i;
        }
    }
}

}  // namespace
