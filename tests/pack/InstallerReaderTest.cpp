#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "PackFiles.h"
#include "pack/BuildInstaller.h"
#include "pack/CaPack.h"
#include "pack/InstallerReader.h"

namespace {

using namespace std::string_literals;

// Pieces of the installer every test starts from, worked out by hand: stubs of 10, 20 and
// 30 bytes, the record at 60, the pack at 78025 (15 + 100 + 0 + 50 + 3333 bytes), its directory
// at 78190, the sound of 70 bytes at 81523, the trailer at 81593; 81758 bytes in all.
constexpr int64_t Directory = 78190, Trailer = 81593, Length = 81758;

class InstallerReaderTest : public testing::Test {
protected:
    InstallerReaderTest() {
        files.Write("ie.dat", TPackFiles::Pattern(10, 1));
        files.Write("ss.dat", TPackFiles::Pattern(20, 2));
        files.Write("ui.dat", TPackFiles::Pattern(30, 3));
        InitSaverSettings(settings);
        WriteFieldUtf8(settings.Title, "海边");
        settings.PictureCount = 3;
        BuildInstaller(files.Path("good.exe"),
                       Utf8ToGbk("海边"),
                       files.Dir(),
                       settings,
                       {files.Write("A.JPEG", TPackFiles::Pattern(100, 4)),
                        files.Write("b.bmp", ""),
                        files.Write("c.Jpg", TPackFiles::Pattern(50, 5))},
                       files.Write("Theme.Wav", TPackFiles::Pattern(70, 6)),
                       files.Path("out/"),
                       [] {});
        good = TPackFiles::Read(files.Path("good.exe"));
    }

    // Why the reader refuses the file at path; empty when it opens it. Every refusal names the
    // file on its first line and gives a reason on the second.
    std::string Refusal(const std::string& path) {
        const std::string message = ErrorOf([&] { TInstallerReader reader(path); });
        const std::string head = "“" + path + "” 不是 Kavro 屏保文件或已损坏\n";
        if (message.empty() || message.rfind(head, 0) != 0 || message.size() == head.size()) {
            return message.empty() ? "" : "badly worded: " + message;
        }
        return message.substr(head.size());
    }
    std::string RefusalOf(const std::string& bytes) {
        return Refusal(files.Write("bad.exe", bytes));
    }
    // good with the bytes at offset replaced.
    std::string Patched(int64_t offset, const std::string& bytes) const {
        return std::string(good).replace(offset, bytes.size(), bytes);
    }
    static std::string Le32(int32_t v) { return std::string(reinterpret_cast<char*>(&v), 4); }

    TPackFiles files;
    TSaverSettings settings;
    std::string good;
};

TEST_F(InstallerReaderTest, ReadsBackEveryPiece) {
    ASSERT_EQ(good.size(), static_cast<size_t>(Length));
    TInstallerReader reader(files.Path("good.exe"));
    EXPECT_EQ(reader.Title(), "海边");
    const TSaverSettings record = reader.Settings();
    EXPECT_EQ(std::memcmp(&record, &settings, sizeof settings), 0);
    for (auto [piece, offset, size] : {std::tuple{reader.Ie(), 0, 10},
                                       std::tuple{reader.Ss(), 10, 20},
                                       std::tuple{reader.Ui(), 30, 30}}) {
        EXPECT_EQ(piece.Offset, offset);
        EXPECT_EQ(piece.Size, size);
    }
    ASSERT_EQ(reader.PictureCount(), 3);
    EXPECT_EQ(reader.PictureExt(0), ".jpeg");
    EXPECT_EQ(reader.PictureExt(1), ".bmp");
    EXPECT_EQ(reader.PictureBytes(0), TPackFiles::Pattern(100, 4));
    EXPECT_EQ(reader.PictureBytes(1), "");
    EXPECT_EQ(reader.PictureBytes(2), TPackFiles::Pattern(50, 5));
    EXPECT_TRUE(reader.HasSound());
    EXPECT_EQ(reader.SoundExt(), ".wav");
    EXPECT_EQ(reader.SoundBytes(), TPackFiles::Pattern(70, 6));
    EXPECT_THROW(reader.PictureBytes(3), std::out_of_range);
}

// The format allows a show without pictures: its directory is all zero.
TEST_F(InstallerReaderTest, ReadsAFileWithoutPictures) {
    settings.PictureCount = 0;
    const std::string path = files.Path("empty.exe");
    BuildInstaller(path, "", files.Dir(), settings, {}, "", files.Path("out/"), [] {});
    TInstallerReader reader(path);
    EXPECT_EQ(reader.PictureCount(), 0);
    EXPECT_FALSE(reader.HasSound());
    EXPECT_EQ(reader.Length(), 60 + SettingsRecordLength + ImagePackOverhead + InstallerTailLength);
    EXPECT_THROW(reader.PictureBytes(0), std::out_of_range);
}

TEST_F(InstallerReaderTest, EveryShorterFileIsRefused) {
    const std::string path = files.Write("cut.exe", good);
    int opened = 0;
    for (int64_t length = Length - 1; length >= 0; --length) {
        std::filesystem::resize_file(path, length);
        const std::string reason = Refusal(path);
        opened += reason.empty() || reason.starts_with("badly");
    }
    EXPECT_EQ(opened, 0);
}

TEST_F(InstallerReaderTest, TrailerNumbersOutOfPlaceAreRefused) {
    // SsOffset .. SoundSize: none of these values is where the piece lies.
    for (int field = 0; field < 10; ++field) {
        for (int32_t value : {-1, 0, INT32_MIN, INT32_MAX, INT32_MAX - 100, int32_t{Length}}) {
            const std::string reason = RefusalOf(Patched(Trailer + 100 + 4 * field, Le32(value)));
            EXPECT_FALSE(reason.empty() || reason.starts_with("badly")) << field << " " << value;
        }
    }
}

TEST_F(InstallerReaderTest, DamagedPackSoundAndTailAreRefused) {
    const int64_t entry = Directory + 1;  // picture k's entry at entry + 13 * k
    const struct {
        int64_t Offset;
        std::string Bytes;
        const char* Reason;
    } cases[] = {
        {Length - 1, "X", "末尾没有屏保标记"},
        {Length - 19, Le32(145), "146"},
        {Trailer + 140, "\x00"s, "声音"},
        {Trailer + 140, "\x02"s, "声音"},
        {Trailer + 141, "wav\0\0"s, "声音"},
        {Trailer + 141, ".w\0v\0"s, "声音"},
        {78025, "S", "图片包开头没有屏保标记"},
        {Directory + 3329, Le32(3330), "图片包末尾不是 3329"},
        {Directory, "\x02", "多余的"},
        {Directory, "\x04", "第 4 张图片"},
        {entry + 13 * 0, Le32(0), "第 1 张图片"},
        {entry + 13 * 2, Le32(110), "第 3 张图片"},     // overlaps picture 1
        {entry + 13 * 2 + 4, Le32(51), "第 3 张图片"},  // runs into the directory
        {entry + 13 * 2 + 4, Le32(INT32_MAX), "第 3 张图片"},
        {entry + 13 * 2 + 4, Le32(49), "多余的数据"},
        {entry + 8, "jpeg."s, "第 1 张图片的扩展名"},
        {entry + 13 + 8, ".b\0p\0"s, "第 2 张图片的扩展名"},
        {entry + 13 * 3, "\x01", "多余的条目"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(RefusalOf(Patched(c.Offset, c.Bytes)).find(c.Reason), std::string::npos)
            << c.Offset << ": " << RefusalOf(Patched(c.Offset, c.Bytes));
    }
}

TEST_F(InstallerReaderTest, OnlyRegularFilesUpToTwoGibibytes) {
    const std::string fifo = files.Path("fifo.exe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Refusal(fifo), "它不是普通文件");
    EXPECT_EQ(Refusal(files.Dir()), "它不是普通文件");
    const std::string huge = files.Write("huge.exe", "");
    std::filesystem::resize_file(huge, PackSizeLimit);  // sparse
    EXPECT_EQ(Refusal(huge), "文件超过 2 GB");
    const std::string gone = files.Path("gone.exe");
    EXPECT_EQ(ErrorOf([&] { TInstallerReader reader(gone); }), "无法打开文件 " + gone);
}

TEST_F(InstallerReaderTest, PiecesAreReadWhenAskedFor) {
    const std::string path = files.Write("live.exe", good);
    TInstallerReader reader(path);
    files.Write("live.exe", Patched(78040, "new"));
    EXPECT_EQ(reader.PictureBytes(0).substr(0, 3), "new");
    // A file cut after it was opened is refused piece by piece, never read past its end.
    std::filesystem::resize_file(path, 78150);
    EXPECT_NE(ErrorOf([&] { reader.PictureBytes(2); }).find("变短"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { reader.SoundBytes(); }).find("“" + path + "”"), std::string::npos);
    EXPECT_EQ(reader.PictureBytes(0).size(), 100u);
}

}  // namespace
