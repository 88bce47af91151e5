#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "support/JpegWriter.h"
#include "toolkit/FileExt.h"
#include "toolkit/Picture.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Green = RGBColor(0, 255, 0), Blue = RGBColor(0, 0, 255),
                 White = RGBColor(255, 255, 255), Black = RGBColor(0, 0, 0),
                 Yellow = RGBColor(255, 255, 0);

// Little-endian byte writer for hand-made files.
struct TBytes {
    std::string B;
    TBytes& U8(int v) {
        B.push_back(static_cast<char>(v));
        return *this;
    }
    TBytes& U16(int v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
    TBytes& U32(int64_t v) {
        return U16(static_cast<int>(v & 0xFFFF)).U16(static_cast<int>((v >> 16) & 0xFFFF));
    }
    TBytes& Raw(std::initializer_list<int> bytes) {
        for (int b : bytes) {
            U8(b);
        }
        return *this;
    }
};

// A BMP file: file header, an info header of headerSize bytes (40, 108 or 124), the
// colour masks or palette, then the pixel data as given.
std::string Bmp(int headerSize,
                int width,
                int height,
                int bits,
                int compression,
                const std::vector<uint32_t>& table,
                const std::string& data) {
    TBytes info;
    info.U32(headerSize).U32(width).U32(height).U16(1).U16(bits).U32(compression);
    info.U32(data.size()).U32(2835).U32(2835);
    const bool masksInHeader = compression == 3 && headerSize >= 108;
    info.U32(masksInHeader ? 0 : (bits <= 8 ? table.size() : 0)).U32(0);
    if (masksInHeader) {
        for (int i = 0; i < 4; ++i) {
            info.U32(i < static_cast<int>(table.size()) ? table[i] : 0);
        }
    }
    if (headerSize >= 108) {
        info.U32(0x73524742);  // 'sRGB'
        info.B.append(36 + 12, '\0');
    }
    if (headerSize >= 124) {
        info.U32(4).U32(0).U32(0).U32(0);
    }
    info.B.resize(headerSize, '\0');
    if (!masksInHeader) {
        for (uint32_t v : table) {
            info.U32(v);
        }
    }
    TBytes file;
    const int offset = 14 + static_cast<int>(info.B.size());
    file.Raw({'B', 'M'}).U32(offset + data.size()).U32(0).U32(offset);
    return file.B + info.B + data;
}

struct TBmpCase {
    const char* Name;
    std::string File;
    std::vector<TColor> Top;
    std::vector<TColor> Bottom;
};

// Palette entries are the bytes B, G, R, 0: red, green, blue, white, black, yellow.
const std::vector<uint32_t> SixColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0xFFFF00};

std::vector<TBmpCase> BmpCases() {
    std::vector<TBmpCase> cases;
    const std::vector<TColor> top = {Red, Green, Blue};
    const std::vector<TColor> bottom = {White, Black, Yellow};
    // 24 bits, bottom-up, rows padded to 12 bytes.
    TBytes d24;
    d24.Raw({255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0});
    d24.Raw({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});
    cases.push_back({"rgb24", Bmp(40, 3, 2, 24, 0, {}, d24.B), top, bottom});
    // 32 bits, top-down.
    TBytes d32;
    d32.Raw({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});
    d32.Raw({255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0});
    cases.push_back({"rgb32 top-down", Bmp(40, 3, -2, 32, 0, {}, d32.B), top, bottom});
    // 8 bits through the palette, rows padded to 4 bytes.
    TBytes d8;
    d8.Raw({3, 4, 5, 0, 0, 1, 2, 0});
    cases.push_back({"paletted 8", Bmp(40, 3, 2, 8, 0, SixColours, d8.B), top, bottom});
    // 4 bits, high nibble first.
    TBytes d4;
    d4.Raw({0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0});
    cases.push_back({"paletted 4", Bmp(40, 3, 2, 4, 0, SixColours, d4.B), top, bottom});
    // 1 bit, palette black and white, most significant bit first.
    TBytes d1;
    d1.Raw({0x40, 0, 0, 0, 0xA0, 0, 0, 0});
    cases.push_back({"mono",
                     Bmp(40, 3, 2, 1, 0, {0, 0xFFFFFF}, d1.B),
                     {White, Black, White},
                     {Black, White, Black}});
    // RLE8: bottom row in absolute mode (padded to a word), top row as runs.
    TBytes rle8;
    rle8.Raw({0, 3, 3, 4, 5, 0, 0, 0});
    rle8.Raw({2, 0, 1, 2, 0, 0, 0, 1});
    cases.push_back({"rle8", Bmp(40, 3, 2, 8, 1, SixColours, rle8.B), {Red, Red, Blue}, bottom});
    // RLE4: bottom row 3, 4, 5 absolute; top row a run alternating 0 and 1, then 2.
    TBytes rle4;
    rle4.Raw({0, 3, 0x34, 0x50, 0, 0});
    rle4.Raw({2, 0x01, 1, 0x22, 0, 0, 0, 1});
    cases.push_back({"rle4", Bmp(40, 3, 2, 4, 2, SixColours, rle4.B), top, bottom});
    // 16 bits, 5-5-5.
    TBytes d16;
    d16.U16(0x7FFF).U16(0).U16(0x7FE0).U16(0);
    d16.U16(0x7C00).U16(0x03E0).U16(0x001F).U16(0);
    // Five and six bits scale to the full range: 31 and 63 both give 255.
    cases.push_back({"rgb555", Bmp(40, 3, 2, 16, 0, {}, d16.B), top, bottom});
    // 16 bits, 5-6-5 through bit fields after a 40-byte header.
    TBytes d565;
    d565.U16(0xFFFF).U16(0).U16(0xFFE0).U16(0);
    d565.U16(0xF800).U16(0x07E0).U16(0x001F).U16(0);
    cases.push_back(
        {"rgb565", Bmp(40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, d565.B), top, bottom});
    // Half of five bits: 16 of 31 is 131.6, so 132.
    TBytes half;
    half.U16(16 << 10).U16(16 << 5).U16(16).U16(0);
    half.U16(16 << 10).U16(16 << 5).U16(16).U16(0);
    const std::vector<TColor> halves = {
        RGBColor(132, 0, 0), RGBColor(0, 132, 0), RGBColor(0, 0, 132)};
    cases.push_back({"rgb555 half", Bmp(40, 3, 2, 16, 0, {}, half.B), halves, halves});
    // Version 3 (the 40-byte header), 4 and 5 headers with bit fields, top-down.
    for (int header : {40, 108, 124}) {
        cases.push_back({header == 40    ? "v3"
                         : header == 108 ? "v4"
                                         : "v5",
                         Bmp(header, 3, -2, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0}, d32.B),
                         top,
                         bottom});
    }
    return cases;
}

// The two ways in: the file name, or the file's bytes with its extension.
enum class TEntry { File, Bytes };

class PictureFiles : public testing::TestWithParam<TEntry> {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = FDir.filePath(QString::fromStdString(name)).toStdString();
        EXPECT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
        return path;
    }
    std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }
    // The message of the error that loading raises through the entry under test; empty when it
    // loads. The bytes entry is given the file's bytes, its lower-cased extension and its name.
    std::string LoadError(const std::string& path) {
        try {
            if (GetParam() == TEntry::File) {
                FPicture.LoadFromFile(path);
            } else {
                QFile file(QString::fromStdString(path));
                EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
                const QByteArray bytes = file.readAll();
                FPicture.LoadFromBytes(bytes.constData(), bytes.size(), FileExtLower(path), path);
            }
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return {};
    }

    QTemporaryDir FDir;
    TPicture FPicture;
};

void ExpectNear(TColor got, int r, int g, int b, int tolerance, const char* what) {
    EXPECT_NEAR(ColorRed(got), r, tolerance) << what;
    EXPECT_NEAR(ColorGreen(got), g, tolerance) << what;
    EXPECT_NEAR(ColorBlue(got), b, tolerance) << what;
}

// 32 x 16: left half red, right half blue.
std::vector<unsigned char> RedBlue() {
    std::vector<unsigned char> rgb(32 * 16 * 3);
    for (int i = 0; i < 32 * 16; ++i) {
        const bool left = i % 32 < 16;
        rgb[i * 3] = left ? 255 : 0;
        rgb[i * 3 + 2] = left ? 0 : 255;
    }
    return rgb;
}

}  // namespace

TEST_P(PictureFiles, BmpVariantsDecodeToTheSamePixels) {
    for (const auto& c : BmpCases()) {
        std::string path = Write(std::string("p.bmp"), c.File);
        ASSERT_EQ(LoadError(path), "") << c.Name;
        ASSERT_EQ(FPicture.Width(), 3) << c.Name;
        ASSERT_EQ(FPicture.Height(), 2) << c.Name;
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(FPicture.Graphic().Pixels(x, 0), c.Top[x]) << c.Name << " top " << x;
            EXPECT_EQ(FPicture.Graphic().Pixels(x, 1), c.Bottom[x]) << c.Name << " bottom " << x;
        }
    }
}

TEST_P(PictureFiles, JpegColourGreyProgressiveAndCmyk) {
    auto rgb = RedBlue();
    for (bool progressive : {false, true}) {
        ASSERT_EQ(LoadError(Write("c.JPG", EncodeJpeg(32, 16, 3, rgb.data(), 95, progressive))),
                  "");
        ASSERT_EQ(FPicture.Width(), 32);
        ASSERT_EQ(FPicture.Height(), 16);
        ExpectNear(FPicture.Graphic().Pixels(3, 8), 255, 0, 0, 10, "red half");
        ExpectNear(FPicture.Graphic().Pixels(28, 8), 0, 0, 255, 10, "blue half");
    }

    std::vector<unsigned char> grey(16 * 8, 100);
    ASSERT_EQ(LoadError(Write("g.jpeg", EncodeJpeg(16, 8, 1, grey.data(), 95, false))), "");
    const TColor g = FPicture.Graphic().Pixels(5, 5);
    ExpectNear(g, 100, 100, 100, 2, "grey");
    EXPECT_EQ(ColorRed(g), ColorBlue(g));

    // Adobe's CMYK is stored inverted: 255 is no ink. Cyan-free, full magenta and yellow,
    // no black gives red; stored as CMYK and as YCCK.
    std::vector<unsigned char> cmyk;
    for (int i = 0; i < 16 * 8; ++i) {
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    }
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        ASSERT_EQ(LoadError(Write("k.jpg", EncodeJpeg(16, 8, 4, cmyk.data(), 95, false, space))),
                  "");
        ExpectNear(FPicture.Graphic().Pixels(8, 4), 255, 0, 0, 10, "cmyk red");
    }
}

TEST_P(PictureFiles, TruncatedJpegGivesThePartialPicture) {
    // Noise at the top, so that the scan outweighs the tables; white below; cut before the
    // white part.
    const int side = 256;
    std::vector<unsigned char> rgb(side * side * 3, 255);
    std::mt19937 random(3);
    for (size_t i = 0; i < rgb.size() / 4; ++i) {
        rgb[i] = static_cast<unsigned char>(random());
    }
    auto bytes = EncodeJpeg(side, side, 3, rgb.data(), 90, false);
    bytes.resize(bytes.size() / 2);
    ASSERT_EQ(LoadError(Write("cut.jpg", bytes)), "");
    EXPECT_EQ(FPicture.Width(), side);
    EXPECT_EQ(FPicture.Height(), side);
    // The noise band came through; libjpeg fills the lost part with grey.
    int noisy = 0;
    for (int x = 1; x < side; ++x) {
        noisy += FPicture.Graphic().Pixels(x, 10) != FPicture.Graphic().Pixels(x - 1, 10);
    }
    EXPECT_GT(noisy, side / 2);
    ExpectNear(FPicture.Graphic().Pixels(100, side - 1), 128, 128, 128, 2, "lost rows");
}

TEST_P(PictureFiles, ErrorsNameTheFileAndTheReason) {
    std::mt19937 random(7);
    std::string noise(4000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    std::vector<unsigned char> rgb(8 * 8 * 3, 128);
    auto jpeg = EncodeJpeg(8, 8, 3, rgb.data(), 90, false);
    auto huge = jpeg;
    // SOF0: FF C0, length, precision, then height and width big-endian.
    for (size_t i = 0; i + 9 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 30000 >> 8;
            huge[i + 6] = 30000 & 0xFF;
            huge[i + 7] = 30000 >> 8;
            huge[i + 8] = 30000 & 0xFF;
            break;
        }
    }
    const std::string hugeBmp = Bmp(40, 100000, 100000, 24, 0, {}, "");
    const std::string bmp24 = BmpCases()[0].File;
    // A 2 KB file claiming 16000 x 16000 pixels; 1 KB of run-length data claiming 20000 x 13000.
    const std::string tinyGiant = Bmp(40, 16000, 16000, 24, 0, {}, std::string(2000, '\x7f'));
    const std::string tinyRleGiant = Bmp(40, 20000, 13000, 8, 1, SixColours, std::string(1000, 1));
    // The pixel offset (bytes 10..13) one byte past the end.
    std::string offsetPastEnd = bmp24;
    offsetPastEnd[10] = static_cast<char>(bmp24.size() + 1);
    const std::string folder = FDir.filePath("folder.jpg").toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    const std::string fifo = FDir.filePath("pipe.jpg").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    struct TCase {
        std::string Path;
        const char* Reason;
        bool FileOnly = false;  // only a file name can name a missing file
    };
    const TCase cases[] = {
        {FDir.filePath("absent.jpg").toStdString(), "文件不存在", true},
        {FDir.filePath("absent.bmp").toStdString(), "文件不存在", true},
        {folder, "是文件夹，不是普通文件", true},
        {fifo, "是命名管道，不是普通文件", true},
        {Write("picture.gif", bmp24), "不支持的文件类型 \".gif\""},
        {Write("picture", bmp24), "没有扩展名"},
        {Write("noise.jpg", noise), "：不是 JPEG 文件"},
        {Write("text.jpg", "text, not a picture"), "：不是 JPEG 文件"},
        {Write("empty.jpg", ""), "：文件是空的"},
        {Write("header-only.jpg", std::string(jpeg.begin(), jpeg.begin() + 20)),
         "：文件已损坏或不完整（"},
        {Write("huge.jpg", huge), "太大"},
        {Write("noise.bmp", noise), "BMP"},
        {Write("empty.bmp", ""), "BMP"},
        {Write("cut.bmp", bmp24.substr(0, 30)), "BMP"},
        {Write("huge.bmp", hugeBmp), "太大"},
        {Write("short.bmp", bmp24.substr(0, bmp24.size() - 5)), "文件比文件头声明的短"},
        {Write("giant.bmp", tinyGiant), "文件比文件头声明的短"},
        {Write("giant-rle.bmp", tinyRleGiant), "文件比文件头声明的短"},
        {Write("offset.bmp", offsetPastEnd), "像素数据的位置在文件末尾之外"},
    };
    for (const auto& c : cases) {
        if (c.FileOnly && GetParam() == TEntry::Bytes) {
            continue;
        }
        const std::string message = LoadError(c.Path);
        EXPECT_NE(message.find("\"" + c.Path + "\""), std::string::npos) << message;
        EXPECT_NE(message.find(c.Reason), std::string::npos) << message;
        // The library's English only where the data is damaged.
        EXPECT_EQ(message.find("Not a JPEG file"), std::string::npos) << message;
    }
}

// Pixels that run-length data skips or never reaches are black, never what the previous
// picture left behind.
TEST_P(PictureFiles, RunLengthGapsAreBlackWhateverCameBefore) {
    // 4 x 3, RLE8: row 0 (bottom) a run of two reds, then a delta of (1, 1); row 1 one green at
    // x = 3; then the data ends without reaching row 2 or an end marker.
    TBytes skipping;
    skipping.Raw({2, 0, 0, 2, 1, 1, 1, 1});
    // The same picture, but a run past the right edge and then the end of the bitmap.
    TBytes overrun;
    overrun.Raw({9, 2, 0, 1});
    const std::string files[] = {Bmp(40, 4, 3, 8, 1, SixColours, skipping.B),
                                 Bmp(40, 4, 3, 8, 1, SixColours, overrun.B)};
    const std::vector<std::vector<TColor>> expected = {
        {Black, Black, Black, Black, Black, Black, Black, Green, Red, Red, Black, Black},
        {Black, Black, Black, Black, Black, Black, Black, Black, Blue, Blue, Blue, Blue}};
    for (int i = 0; i < 2; ++i) {
        // A white picture first, then a red one of the same size: the buffer is reused.
        for (const std::string& before : {Bmp(40, 4, 3, 24, 0, {}, std::string(48, '\xff')),
                                          Bmp(40, 4, 3, 8, 0, SixColours, std::string(12, 0))}) {
            ASSERT_EQ(LoadError(Write("before.bmp", before)), "");
            ASSERT_EQ(LoadError(Write("rle.bmp", files[i])), "") << i;
            std::vector<TColor> got;
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 4; ++x) {
                    got.push_back(FPicture.Graphic().Pixels(x, y));
                }
            }
            EXPECT_EQ(got, expected[i]) << i;
        }
    }
}

// Run-length data may skip what it likes in a picture up to 4096 x 4096; a larger one must hold a
// byte for each 255 pixels at the least (full runs take two).
TEST_P(PictureFiles, RunLengthPicturesThatCompressStillLoad) {
    // 4200 x 4000 = 16,800,000 pixels need 65,883 bytes. A row is 36 bytes: 16 runs of 255, one
    // of 120 and its end; the bottom row is red.
    auto rows = [](int count) {
        TBytes runs;
        for (int y = 0; y < count; ++y) {
            for (int i = 0; i < 16; ++i) {
                runs.Raw({255, y % 6});
            }
            runs.Raw({120, y % 6, 0, 0});
        }
        return runs.B;
    };
    struct TCase {
        int Width, Height;
        std::string Data;
        bool Loads;
        TColor BottomLeft;
    };
    const TCase cases[] = {
        {4096, 4096, TBytes().Raw({0, 1}).B, true, Black},  // the end of the bitmap at once
        {4200, 4000, rows(4000), true, Red},
        {4200, 4000, rows(1831), true, Red},  // 65,916 bytes
        {4200, 4000, rows(1830), false, {}},  // 65,880 bytes
    };
    for (const TCase& c : cases) {
        const std::string error =
            LoadError(Write("big-rle.bmp", Bmp(40, c.Width, c.Height, 8, 1, SixColours, c.Data)));
        if (!c.Loads) {
            EXPECT_NE(error.find("文件比文件头声明的短"), std::string::npos) << error;
            continue;
        }
        ASSERT_EQ(error, "") << c.Data.size();
        EXPECT_EQ(FPicture.Width(), c.Width);
        EXPECT_EQ(FPicture.Height(), c.Height);
        EXPECT_EQ(FPicture.Graphic().Pixels(0, c.Height - 1), c.BottomLeft) << c.Data.size();
    }
}

TEST_P(PictureFiles, HostileBytesNeverCrash) {
    std::vector<unsigned char> rgb(48 * 32 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<unsigned char>(i * 7);
    }
    const auto jpeg = EncodeJpeg(48, 32, 3, rgb.data(), 80, true);
    const std::string jpegText(jpeg.begin(), jpeg.end());
    const std::string sources[] = {jpegText, BmpCases()[2].File, BmpCases()[5].File};
    std::mt19937 random(11);
    int loaded = 0, refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bytes = sources[round % 3];
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        const std::string path = Write(round % 3 == 0 ? "h.jpg" : "h.bmp", bytes);
        (LoadError(path).empty() ? loaded : refused)++;
    }
    EXPECT_EQ(loaded + refused, 300);
    EXPECT_GT(loaded, 0);
}

TEST_P(PictureFiles, LoadReplacesThePreviousPicture) {
    auto rgb = RedBlue();
    ASSERT_EQ(LoadError(Write("a.jpg", EncodeJpeg(32, 16, 3, rgb.data(), 90, false))), "");
    ASSERT_EQ(LoadError(Write("b.bmp", BmpCases()[0].File)), "");
    EXPECT_EQ(FPicture.Width(), 3);
    EXPECT_EQ(FPicture.Height(), 2);
    EXPECT_EQ(FPicture.Graphic().Pixels(1, 0), Green);
}

INSTANTIATE_TEST_SUITE_P(Entries,
                         PictureFiles,
                         testing::Values(TEntry::File, TEntry::Bytes),
                         [](const testing::TestParamInfo<TEntry>& info) {
                             return info.param == TEntry::File ? "File" : "Bytes";
                         });
