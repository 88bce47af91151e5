#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <string>
#include <vector>

#include "support/HeicWriter.h"
#include "support/JpegWriter.h"
#include "toolkit/Picture.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Green = RGBColor(0, 255, 0), Blue = RGBColor(0, 0, 255),
                 White = RGBColor(255, 255, 255);

// 32 x 16 in quadrants: red top left, green top right, blue bottom left, white bottom right.
QImage Quadrants() {
    QImage image(32, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            image.setPixel(
                x,
                y,
                y < 8 ? (x < 16 ? 0xFFFF0000 : 0xFF00FF00) : (x < 16 ? 0xFF0000FF : 0xFFFFFFFF));
        }
    }
    return image;
}

std::string QuadrantsJpeg() {
    const QImage image = Quadrants();
    std::vector<unsigned char> rgb;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            rgb.insert(rgb.end(), {uchar(qRed(p)), uchar(qGreen(p)), uchar(qBlue(p))});
        }
    }
    const auto jpeg = EncodeJpeg(32, 16, 3, rgb.data(), 95, false);
    return std::string(jpeg.begin(), jpeg.end());
}

std::string Saved(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << format << writer.errorString().toStdString();
    return bytes.toStdString();
}

// A JPEG APP1 segment whose TIFF block holds the orientation tag, in either byte order.
std::string ExifSegment(int orientation, bool bigEndian) {
    auto u16 = [&](int v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)}
                         : std::string{char(v & 0xFF), char(v >> 8)};
    };
    auto u32 = [&](int v) { return bigEndian ? u16(0) + u16(v) : u16(v) + u16(0); };
    std::string tiff = (bigEndian ? std::string("MM") : std::string("II")) + u16(42) + u32(8);
    tiff += u16(1) + u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0) + u32(0);
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const int length = static_cast<int>(payload.size()) + 2;
    return std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
}

// The JPEG with segment placed right after its start marker.
std::string WithSegment(const std::string& jpeg, const std::string& segment) {
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

void ExpectColour(TColor got, TColor want, const std::string& what) {
    EXPECT_NEAR(ColorRed(got), ColorRed(want), 40) << what;
    EXPECT_NEAR(ColorGreen(got), ColorGreen(want), 40) << what;
    EXPECT_NEAR(ColorBlue(got), ColorBlue(want), 40) << what;
}

// The colours two pixels inside the four corners: top left, top right, bottom left, bottom
// right.
void ExpectCorners(const TPicture& picture, std::vector<TColor> want, const std::string& what) {
    const int w = picture.Width(), h = picture.Height();
    const int xs[] = {2, w - 3, 2, w - 3}, ys[] = {2, 2, h - 3, h - 3};
    for (int i = 0; i < 4; ++i) {
        ExpectColour(
            picture.Graphic().Pixels(xs[i], ys[i]), want[i], what + " corner " + std::to_string(i));
    }
}

std::string LoadError(TPicture& picture, const std::string& bytes, const std::string& ext) {
    try {
        picture.LoadFromBytes(bytes.data(), bytes.size(), ext, "p" + ext);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

}  // namespace

// Each EXIF orientation turns the stored quadrants upright: the corners come out as the tag's
// definition says, and sideways values swap width and height.
TEST(PictureOrientation, EveryExifValueGivesTheUprightPicture) {
    const std::string jpeg = QuadrantsJpeg();
    const std::vector<std::vector<TColor>> corners = {
        {Red, Green, Blue, White},  // 1
        {Green, Red, White, Blue},  // 2 mirrored left to right
        {White, Blue, Green, Red},  // 3 turned half round
        {Blue, White, Red, Green},  // 4 mirrored top to bottom
        {Red, Blue, Green, White},  // 5 mirrored along the main diagonal
        {Blue, Red, White, Green},  // 6 turned a quarter clockwise to be upright
        {White, Green, Blue, Red},  // 7 mirrored along the other diagonal
        {Green, White, Red, Blue},  // 8 turned a quarter anticlockwise to be upright
    };
    TPicture picture;
    for (int o = 1; o <= 8; ++o) {
        const std::string name = "orientation " + std::to_string(o);
        ASSERT_EQ(LoadError(picture, WithSegment(jpeg, ExifSegment(o, o % 2 == 0)), ".jpg"), "")
            << name;
        EXPECT_EQ(picture.Width(), o >= 5 ? 16 : 32) << name;
        EXPECT_EQ(picture.Height(), o >= 5 ? 32 : 16) << name;
        ExpectCorners(picture, corners[o - 1], name);
    }
    // Damaged or meaningless tags leave the picture as stored, without an error.
    std::string cut = ExifSegment(6, true);
    cut[4 + 6 + 7] = 100;  // the IFD's offset past the block's end
    for (const std::string& segment : {cut, ExifSegment(9, false), ExifSegment(0, true)}) {
        ASSERT_EQ(LoadError(picture, WithSegment(jpeg, segment), ".jpg"), "");
        EXPECT_EQ(picture.Width(), 32);
        ExpectCorners(picture, corners[0], "damaged tag");
    }
}

// Today's formats decode to known pixels, whatever extension of the list they carry, and a
// transparent pixel is drawn over the back colour.
TEST(PictureFormats, PngWebpAndHeifDecodeEvenUnderALyingExtension) {
    QImage halfClear(32, 16, QImage::Format_ARGB32);
    halfClear.fill(qRgba(255, 0, 0, 255));
    for (int y = 0; y < 16; ++y) {
        for (int x = 16; x < 32; ++x) {
            halfClear.setPixel(x, y, qRgba(0, 0, 255, 0));
        }
    }
    TPicture picture;
    picture.SetBackColor(RGBColor(0, 255, 0));
    const std::string png = Saved(halfClear, "png");
    for (const char* ext : {".png", ".jpg", ".bmp", ".heic"}) {
        ASSERT_EQ(LoadError(picture, png, ext), "") << ext;
        EXPECT_EQ(picture.Graphic().Pixels(3, 3), Red) << ext;
        EXPECT_EQ(picture.Graphic().Pixels(30, 3), Green) << "transparent over the back, " << ext;
    }
    ASSERT_EQ(LoadError(picture, QuadrantsJpeg(), ".png"), "");
    ExpectCorners(picture, {Red, Green, Blue, White}, "JPEG named .png");

    // Quality 100 is WebP's lossless mode.
    const std::string webp = Saved(Quadrants(), "webp", 100);
    for (const char* ext : {".webp", ".jpeg"}) {
        ASSERT_EQ(LoadError(picture, webp, ext), "") << ext;
        EXPECT_EQ(picture.Width(), 32);
        ExpectCorners(picture, {Red, Green, Blue, White}, std::string("WebP as ") + ext);
    }

    // HEIC written by libheif's own encoder, where the machine has one.
    const std::string heic = HeicFile(64, 64, [](int x, int, uint8_t* rgb) {
        rgb[0] = x < 32 ? 255 : 0;
        rgb[1] = 0;
        rgb[2] = x < 32 ? 0 : 255;
    });
    if (heic.empty()) {
        GTEST_SKIP() << "no HEVC encoder to write a HEIC file with";
    }
    for (const char* ext : {".heic", ".heif", ".jpg"}) {
        ASSERT_EQ(LoadError(picture, heic, ext), "") << ext;
        EXPECT_EQ(picture.Width(), 64);
        EXPECT_EQ(picture.Height(), 64);
        ExpectColour(picture.Graphic().Pixels(10, 30), Red, std::string("HEIC left ") + ext);
        ExpectColour(picture.Graphic().Pixels(54, 30), Blue, std::string("HEIC right ") + ext);
    }
    // Damaged containers are refused with a reason, never shown.
    EXPECT_NE(LoadError(picture, heic.substr(0, heic.size() / 2), ".heic"), "");
    EXPECT_NE(LoadError(picture, "not a picture at all", ".webp"), "");
}

// A picture that will be fitted into a smaller box is decoded at a scale that still covers
// the fitted size; one that would not shrink keeps its full size.
TEST(PictureTargetSize, LargeJpegsDecodeAtTheSizeTheyAreDrawnAt) {
    std::vector<unsigned char> rgb(256 * 128 * 3, 200);
    const auto big = EncodeJpeg(256, 128, 3, rgb.data(), 90, false);
    const std::string jpeg(big.begin(), big.end());
    struct TCase {
        int BoxWidth, BoxHeight, Width, Height;
    };
    // 256 x 128 fitted into 60 x 60 is 60 x 30: an eighth (32 x 16) is too small, a quarter
    // (64 x 32) is enough.
    const TCase cases[] = {{0, 0, 256, 128},
                           {60, 60, 64, 32},
                           {32, 100, 32, 16},
                           {129, 1000, 256, 128},
                           {1920, 1080, 256, 128}};
    TPicture picture;
    for (const TCase& c : cases) {
        picture.SetTargetSize(c.BoxWidth, c.BoxHeight);
        ASSERT_EQ(LoadError(picture, jpeg, ".jpg"), "");
        EXPECT_EQ(picture.Width(), c.Width) << c.BoxWidth << " x " << c.BoxHeight;
        EXPECT_EQ(picture.Height(), c.Height) << c.BoxWidth << " x " << c.BoxHeight;
    }
    // Sideways pictures compare their upright size with the box: 128 x 256 upright into
    // 100 x 100 is 50 x 100, so half the size.
    picture.SetTargetSize(100, 100);
    ASSERT_EQ(LoadError(picture, WithSegment(jpeg, ExifSegment(6, false)), ".jpg"), "");
    EXPECT_EQ(picture.Width(), 64);
    EXPECT_EQ(picture.Height(), 128);
}
