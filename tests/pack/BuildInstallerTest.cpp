#include <gtest/gtest.h>

#include <QDir>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "PackFiles.h"
#include "pack/BuildInstaller.h"
#include "pack/CaPack.h"
#include "pack/InstallerReader.h"

namespace {

using namespace std::string_literals;

std::string Le32Text(int32_t v) {
    return {static_cast<char>(v & 0xFF),
            static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>((v >> 24) & 0xFF)};
}

// The two pictures of 100 and 200 bytes, and their pack written out by hand.
struct TwoPictures {
    std::string a = TPackFiles::Pattern(100, 1);
    std::string b = TPackFiles::Pattern(200, 2);
    std::string Pack() const {
        std::string directory = "\x02\x0F\0\0\0\x64\0\0\0.jpg\0\x73\0\0\0\xC8\0\0\0.jpg\0"s;
        directory += std::string(3329 - directory.size(), '\0');
        return "sky mirror band" + a + b + directory + "\x01\x0D\0\0"s;
    }
};

class BuildInstallerTest : public testing::Test {
protected:
    BuildInstallerTest() {
        InitSaverSettings(settings);
        WriteFieldText(settings.Title, "My Show");
        settings.PictureCount = 2;
        pictures = {files.Write("a.jpg", two.a), files.Write("b.JPG", two.b)};
    }

    // Builds into target with the program folder of files, counting the progress calls.
    void Build(const std::string& target, const std::string& sound = "") {
        steps = 0;
        BuildInstaller(target,
                       "My Show",
                       files.Dir(),
                       settings,
                       pictures,
                       sound,
                       files.Path("ScreenSavers/"),
                       [&] { ++steps; });
    }

    std::string Record() const {
        return std::string(reinterpret_cast<const char*>(&settings), sizeof settings);
    }

    // The trailer from the values given, field by field.
    static std::string Trailer(std::initializer_list<int32_t> offsetsAndSizes,
                               const std::string& ext) {
        std::string t = "My Show"s + std::string(93, '\0');
        for (int32_t v : offsetsAndSizes) {
            t += Le32Text(v);
        }
        t += ext.empty() ? "\0"s : "\x01"s;
        return t + ext + std::string(5 - ext.size(), '\0');
    }

    static std::string Tail(const std::string& trailer) {
        return trailer + "\x92\0\0\0sky mirror band"s;
    }

    TPackFiles files;
    TwoPictures two;
    TSaverSettings settings;
    std::vector<std::string> pictures;
    int steps = 0;
};

TEST_F(BuildInstallerTest, NoStubsNoSound) {
    std::string target = files.Path("ScreenSavers/MyShow.exe");
    Build(target);
    EXPECT_EQ(steps, 11);
    std::string file = TPackFiles::Read(target);
    ASSERT_EQ(file.size(), 81778u);
    std::string trailer = Trailer({0, 0, 0, 0, 0, 77965, 77965, 3648, 0, 0}, "");
    EXPECT_EQ(file, Record() + two.Pack() + Tail(trailer));
}

TEST_F(BuildInstallerTest, IeAndSsStubsThenSound) {
    std::string ie = TPackFiles::Pattern(40000, 11);
    std::string ss = TPackFiles::Pattern(30000, 12);
    std::string theme = TPackFiles::Pattern(5000, 13);
    files.Write("ie.dat", ie);
    files.Write("ss.dat", ss);
    std::string target = files.Path("out.exe");

    Build(target);
    std::string trailer = Trailer({40000, 30000, 0, 0, 70000, 77965, 147965, 3648, 0, 0}, "");
    EXPECT_EQ(TPackFiles::Read(target), ie + ss + Record() + two.Pack() + Tail(trailer));
    EXPECT_EQ(TPackFiles::Read(target).size(), 151778u);

    Build(target, files.Write("Theme.MP3", theme));
    std::string file = TPackFiles::Read(target);
    trailer = Trailer({40000, 30000, 0, 0, 70000, 77965, 147965, 3648, 151613, 5000}, ".mp3");
    EXPECT_EQ(file, ie + ss + Record() + two.Pack() + theme + Tail(trailer));

    // The reader finds every piece from the file's end.
    TInstallerReader reader(target);
    EXPECT_EQ(reader.Ie().Size, 40000);
    EXPECT_EQ(reader.Ss().Offset, 40000);
    EXPECT_EQ(reader.PictureCount(), 2);
    EXPECT_EQ(reader.PictureBytes(1), two.b);
    EXPECT_EQ(reader.PictureExt(1), ".jpg");
    EXPECT_EQ(reader.SoundExt(), ".mp3");
    EXPECT_EQ(reader.SoundBytes(), theme);
}

TEST_F(BuildInstallerTest, BuildingTwiceGivesTheSameFileAndCreatesTheOutputFolder) {
    std::string elsewhere = files.Path("elsewhere.exe");
    Build(elsewhere);
    EXPECT_EQ(steps, 11);
    std::string first = TPackFiles::Read(elsewhere);
    EXPECT_TRUE(QDir(QString::fromStdString(files.Path("ScreenSavers"))).exists());
    Build(elsewhere);
    EXPECT_EQ(TPackFiles::Read(elsewhere), first);
}

TEST_F(BuildInstallerTest, DeletedPictureCreatesNoTarget) {
    std::filesystem::remove(pictures[1]);
    std::string target = files.Path("out.exe");
    EXPECT_EQ(ErrorOf([&] { Build(target); }),
              "无法打开文件 " + pictures[1] + "\n" + pictures[1] + "：文件不存在");
    EXPECT_EQ(steps, 4);
    EXPECT_FALSE(std::filesystem::exists(target));
}

// Names are the bytes the file system holds: a picture, a folder and a target that are no UTF-8
// are read and written under exactly those bytes.
TEST_F(BuildInstallerTest, NamesThatAreNotUtf8RoundTrip) {
    const std::string folder = files.Dir() + "Bilder-\xE9t\xE9/";
    std::filesystem::create_directories(folder);
    const std::string picture = folder + "\xFF\xFEphoto.HEIC";
    std::ofstream(picture, std::ios::binary) << two.a;
    pictures = {picture, files.Write("c.webp", two.b)};
    const std::string outputDir = files.Dir() + "Ausgabe-\xE4/";
    const std::string target = outputDir + "Caf\xE9.exe";
    steps = 0;
    BuildInstaller(
        target, "My Show", files.Dir(), settings, pictures, "", outputDir, [&] { ++steps; });
    ASSERT_TRUE(std::filesystem::is_regular_file(target));
    TInstallerReader reader(target);
    ASSERT_EQ(reader.PictureCount(), 2);
    EXPECT_EQ(reader.PictureBytes(0), two.a);
    // Today's extensions fit the five-byte field and read back.
    EXPECT_EQ(reader.PictureExt(0), ".heic");
    EXPECT_EQ(reader.PictureExt(1), ".webp");
    EXPECT_EQ(std::vector<std::string>(1, "Caf\xE9.exe"), [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(outputDir)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }());
}

// A file that holds fewer bytes than its length promised (a system file that reports a page
// and holds a line) fails the build and says why.
TEST_F(BuildInstallerTest, PictureShorterThanItsLengthSaysItChanged) {
    const std::string shrinking = "/sys/kernel/mm/transparent_hugepage/enabled";
    std::error_code ec;
    const auto promised = std::filesystem::file_size(shrinking, ec);
    if (ec || promised <= TPackFiles::Read(shrinking).size()) {
        GTEST_SKIP() << "no file here reports more bytes than it holds";
    }
    pictures = {pictures[0], shrinking};
    const std::string target = files.Path("out.exe");
    EXPECT_EQ(ErrorOf([&] { Build(target); }),
              "Stream read error\n" + shrinking + "：文件在读取时被修改");
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(BuildInstallerTest, PictureOfTwoGibibytesWritesNothing) {
    std::string huge = files.Path("huge.jpg");
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, PackSizeLimit - 16);  // sparse, below 2 GiB by itself
    pictures = {huge};
    std::string target = files.Path("out.exe");
    EXPECT_THROW(
        {
            try {
                Build(target);
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "安装文件超过 2 GB 的上限");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(BuildInstallerTest, FailingWriteKeepsTheOldInstaller) {
    std::string target = files.Path("out.exe");
    std::string old = TPackFiles::Pattern(1000, 42);
    files.Write("out.exe", old);
    // The file size limit lets 40,000 bytes through; the save is the tenth step.
    auto failsAtSave = [&] {
        return ErrorOf([&] { Build(target); }) ==
                   "Stream write error\n" + target + "：文件超过了系统允许的大小" &&
               steps == 9;
    };
    EXPECT_EQ(InChildWithLimit(RLIMIT_FSIZE, 40000, failsAtSave), 0);
    EXPECT_EQ(TPackFiles::Read(target), old);
    EXPECT_EQ(files.Entries(),
              (std::vector<std::string>{"ScreenSavers", "a.jpg", "b.JPG", "out.exe"}));
}

}  // namespace
