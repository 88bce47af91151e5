#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <string>
#include <vector>

#include "support/ExifBlock.h"
#include "support/HeicWriter.h"
#include "support/JpegWriter.h"
#include "toolkit/Orientation.h"
#include "toolkit/Picture.h"

namespace {

const TDateTaken May3{2024, 5, 3};

std::string Be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Le32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string SmallJpeg() {
    std::vector<unsigned char> rgb(16 * 8 * 3, 90);
    const auto jpeg = EncodeJpeg(16, 8, 3, rgb.data(), 90, false);
    return std::string(jpeg.begin(), jpeg.end());
}

std::string SmallPng() {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes.toStdString();
}

// The PNG with an eXIf chunk (with its CRC) right after IHDR.
std::string PngWithExif(const std::string& tiff) {
    const std::string png = SmallPng();
    const std::string body = "eXIf" + tiff;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
    const size_t afterHeader = 8 + 12 + 13;
    return png.substr(0, afterHeader) + Be32(tiff.size()) + body + Be32(crc) +
           png.substr(afterHeader);
}

std::string WebPWithExif(const std::string& exif) {
    std::string chunks = "VP8X" + Le32(10) + std::string(10, '\0');
    chunks += "EXIF" + Le32(exif.size()) + exif + (exif.size() % 2 ? std::string(1, '\0') : "");
    return "RIFF" + Le32(4 + chunks.size()) + "WEBP" + chunks;
}

TDateTaken Loaded(const std::string& bytes, const std::string& ext) {
    TPicture picture;
    picture.LoadFromBytes(bytes.data(), bytes.size(), ext, "p" + ext);
    return picture.Graphic().TakenOn;
}

TDateTaken FromTiff(const std::string& tiff) {
    return DateTakenFromTiff(reinterpret_cast<const unsigned char*>(tiff.data()), tiff.size());
}

TEST(ExifDate, EveryContainerGivesTheDayThePhotoWasTaken) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        const std::string tiff = ExifTiff("2024:05:03 14:20:07", 1, bigEndian);
        const std::string jpeg = SmallJpeg();
        EXPECT_EQ(Loaded(jpeg.substr(0, 2) + ExifApp1(tiff) + jpeg.substr(2), ".jpg"), May3);
        EXPECT_EQ(Loaded(PngWithExif(tiff), ".png"), May3);
        const std::string webp = WebPWithExif(tiff);
        const std::string webpWithHeader = WebPWithExif(std::string("Exif\0\0", 6) + tiff);
        for (const std::string& file : {webp, webpWithHeader}) {
            EXPECT_EQ(DateTakenFromContainer(reinterpret_cast<const unsigned char*>(file.data()),
                                             file.size()),
                      May3);
        }
    }
    // Without a date the same pictures carry none, and a load forgets the previous one.
    TPicture picture;
    const std::string jpeg = SmallJpeg();
    const std::string dated =
        jpeg.substr(0, 2) + ExifApp1(ExifTiff("2024:05:03 14:20:07", 6, false)) + jpeg.substr(2);
    picture.LoadFromBytes(dated.data(), dated.size(), ".jpg", "dated");
    EXPECT_EQ(picture.Graphic().TakenOn, May3);
    EXPECT_EQ(picture.Width(), 8) << "the orientation still counts";
    picture.LoadFromBytes(jpeg.data(), jpeg.size(), ".jpg", "plain");
    EXPECT_FALSE(picture.Graphic().TakenOn.Known());
    EXPECT_FALSE(Loaded(PngWithExif(ExifTiff("", 1, false)), ".png").Known());
}

TEST(ExifDate, HeicMetadataGivesTheDate) {
    const std::string heic = HeicFile(
        64,
        64,
        [](int, int, uint8_t* rgb) { rgb[0] = rgb[1] = rgb[2] = 0; },
        ExifTiff("2023:12:31 23:59:59", 1, true));
    if (heic.empty()) {
        GTEST_SKIP() << "no HEVC encoder to write a HEIC file with";
    }
    EXPECT_EQ(Loaded(heic, ".heic"), (TDateTaken{2023, 12, 31}));
}

struct TDamage {
    const char* Name;
    std::string Tiff;
};

class DamagedExif : public testing::TestWithParam<TDamage> {};

TEST_P(DamagedExif, GivesNoDateAndNoError) {
    EXPECT_FALSE(FromTiff(GetParam().Tiff).Known());
    const std::string jpeg = SmallJpeg();
    EXPECT_FALSE(
        Loaded(jpeg.substr(0, 2) + ExifApp1(GetParam().Tiff) + jpeg.substr(2), ".jpg").Known());
}

std::string Patched(std::string tiff, size_t at, const std::string& bytes) {
    return tiff.replace(at, bytes.size(), bytes);
}

const std::string Good = ExifTiff("2024:05:03 14:20:07", 1, false);

INSTANTIATE_TEST_SUITE_P(
    ExifDate,
    DamagedExif,
    testing::Values(TDamage{"Zeros", ExifTiff("0000:00:00 00:00:00", 1, false)},
                    TDamage{"Month13", ExifTiff("2024:13:03 14:20:07", 1, false)},
                    TDamage{"February30", ExifTiff("2024:02:30 14:20:07", 1, false)},
                    TDamage{"Letters", ExifTiff("2024:0A:03 14:20:07", 1, false)},
                    TDamage{"Dashes", ExifTiff("2024-05-03 14:20:07", 1, false)},
                    TDamage{"Cut", Good.substr(0, 60)},
                    TDamage{"PointerPastTheEnd", Patched(Good, 30, Le32(5000))},
                    TDamage{"TextPastTheEnd", Patched(Good, 48, Le32(70))},
                    TDamage{"HugeCount", Patched(Good, 44, Le32(0xFFFFFFF0))},
                    TDamage{"WrongType", Patched(Good, 42, std::string("\x03\x00", 2))},
                    TDamage{"ShortText", Patched(Good, 44, Le32(4))},
                    TDamage{"NoTiff", std::string("not a tiff block at all")}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
