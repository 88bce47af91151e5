#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "PackFiles.h"
#include "pack/CaPack.h"

namespace {

using namespace std::string_literals;

std::string Bytes(const TCaPack& pack) {
    return pack.Stream().toStdString();
}

TEST(CaPackStream, AppendsPiecesWhereTheRunningCountSays) {
    TPackFiles files;
    std::string picture = files.Write("a.bin", TPackFiles::Pattern(1000, 7));
    TCaPack pack;
    pack.AddBuffer("head", 4);
    EXPECT_EQ(pack.AddFile(picture), 1000);
    EXPECT_EQ(pack.Size(), 1004);
    QByteArray source("0123456789");
    QBuffer buffer(&source);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(10);  // at its end: still appended whole
    EXPECT_EQ(pack.AddStream(buffer), 10);
    buffer.seek(4);
    EXPECT_EQ(pack.AddStream(buffer), 10);
    EXPECT_EQ(pack.Size(), 1024);
    EXPECT_EQ(Bytes(pack), "head" + TPackFiles::Pattern(1000, 7) + "01234567890123456789");
    EXPECT_TRUE(buffer.isOpen());
}

TEST(CaPackStream, ClearStartsOffsetsAtZeroAgain) {
    TCaPack pack;
    pack.AddBuffer("abcdef", 6);
    pack.Clear();
    EXPECT_EQ(pack.Size(), 0);
    EXPECT_TRUE(pack.Stream().isEmpty());
    pack.AddBuffer("xy", 2);
    EXPECT_EQ(Bytes(pack), "xy");
    EXPECT_EQ(pack.Size(), 2);
}

TEST(CaPackStream, FileThatCannotBeOpenedKeepsWhatCameBefore) {
    TPackFiles files;
    TCaPack pack;
    pack.AddBuffer("abc", 3);
    const std::string fifo = files.Path("pipe.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {files.Path("gone.jpg"), "文件不存在"},
        {files.Dir(), "是文件夹，不是普通文件"},
        {fifo, "是命名管道，不是普通文件"},
    };
    for (const auto& [name, reason] : cases) {
        EXPECT_EQ(ErrorOf([&] { pack.AddFile(name); }),
                  "无法打开文件 " + name + "\n" + name + "：" + reason);
    }
    EXPECT_EQ(Bytes(pack), "abc");
}

TEST(CaPackSave, ReplacesTheFileAndSavesTheSameBytesAgain) {
    TPackFiles files;
    std::string target = files.Write("out.exe", TPackFiles::Pattern(5000, 1));
    TCaPack pack;
    pack.AddBuffer("new bytes", 9);
    pack.SaveToFile(target);
    EXPECT_EQ(TPackFiles::Read(target), "new bytes");
    pack.SaveToFile(target);
    EXPECT_EQ(TPackFiles::Read(target), "new bytes");
    EXPECT_EQ(Bytes(pack), "new bytes");
    EXPECT_EQ(files.Entries(), std::vector<std::string>{"out.exe"});
}

TEST(CaPackSave, ALinkedTargetStaysALinkWithItsFileReplaced) {
    TPackFiles files;
    std::string real = files.Write("real.run", "old");
    std::string link = files.Path("link.run");
    std::filesystem::create_symlink("real.run", link);
    TCaPack pack;
    pack.AddBuffer("new", 3);
    pack.SaveToFile(link);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TPackFiles::Read(real), "new");
}

TEST(CaPackSave, MissingFolderCannotBeCreated) {
    TPackFiles files;
    std::string target = files.Path("no/such/folder/out.exe");
    TCaPack pack;
    EXPECT_EQ(ErrorOf([&] { pack.SaveToFile(target); }),
              "无法创建文件 " + target + "\n" + target + "：文件夹不存在");
}

TEST(CaPackSave, FailingWriteKeepsTheOldFile) {
    TPackFiles files;
    std::string old = TPackFiles::Pattern(3000, 9);
    std::string target = files.Write("out.exe", old);
    TCaPack pack;
    std::string bytes = TPackFiles::Pattern(200000, 3);
    pack.AddBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    // The file size limit lets 64 KiB through, then write() fails with EFBIG.
    EXPECT_EQ(InChildWithLimit(RLIMIT_FSIZE,
                               65536,
                               [&] {
                                   return ErrorOf([&] { pack.SaveToFile(target); }) ==
                                          "Stream write error\n" + target +
                                              "：文件超过了系统允许的大小";
                               }),
              0);
    EXPECT_EQ(TPackFiles::Read(target), old);
    EXPECT_EQ(files.Entries(), std::vector<std::string>{"out.exe"});
}

TEST(CaPackSave, FileOfSeveralWriteChunksKeepsEveryByte) {
    TPackFiles files;
    std::string target = files.Write("out.exe", "old");
    // Writes go out in 8 MiB pieces: two whole pieces and three bytes.
    std::string bytes = TPackFiles::Pattern((size_t{16} << 20) + 3, 5);
    TCaPack pack;
    pack.AddBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    pack.SaveToFile(target);
    EXPECT_TRUE(TPackFiles::Read(target) == bytes);
    EXPECT_EQ(files.Entries(), std::vector<std::string>{"out.exe"});
}

TEST(CaPackSave, WriteFailingInALaterChunkKeepsTheOldFile) {
    TPackFiles files;
    std::string old = TPackFiles::Pattern(3000, 9);
    std::string target = files.Write("out.exe", old);
    std::string bytes = TPackFiles::Pattern(size_t{12} << 20, 6);
    TCaPack pack;
    pack.AddBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    // The first 8 MiB piece is written whole; the second stops at 9 MiB.
    EXPECT_EQ(InChildWithLimit(RLIMIT_FSIZE,
                               9 << 20,
                               [&] {
                                   return ErrorOf([&] { pack.SaveToFile(target); }) ==
                                          "Stream write error\n" + target +
                                              "：文件超过了系统允许的大小";
                               }),
              0);
    EXPECT_EQ(TPackFiles::Read(target), old);
    EXPECT_EQ(files.Entries(), std::vector<std::string>{"out.exe"});
}

TEST(CaPackLimit, StreamNeverReachesTheCeiling) {
    TCaPack pack;
    pack.SetSizeLimit(1000);
    std::string bytes(999, 'x');
    pack.AddBuffer(bytes.data(), 999);
    EXPECT_EQ(pack.Size(), 999);
    EXPECT_THROW(pack.AddBuffer("y", 1), std::runtime_error);
    EXPECT_EQ(pack.Size(), 999);
    pack.Clear();
    QByteArray source(1000, 'z');
    QBuffer buffer(&source);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ErrorOf([&] { pack.AddStream(buffer); }), "安装文件超过 2 GB 的上限");
    EXPECT_EQ(pack.Size(), 0);
}

TEST(CaPackLimit, FileOfTwoGibibytesIsRefusedBeforeItIsRead) {
    TPackFiles files;
    std::string huge = files.Path("huge.jpg");
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, PackSizeLimit);  // sparse: no disk space used
    TCaPack pack;
    EXPECT_EQ(ErrorOf([&] { pack.AddFile(huge); }), "安装文件超过 2 GB 的上限");
    EXPECT_EQ(pack.Size(), 0);
    EXPECT_LT(pack.Stream().capacity(), 1 << 20);
}

TEST(CaPackLimit, ExhaustedMemoryIsReported) {
    TPackFiles files;
    std::string big = files.Path("big.jpg");
    std::ofstream(big).close();
    std::filesystem::resize_file(big, int64_t{1} << 30);
    // A ceiling on the address space that a 1 GiB stream cannot fit under.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlim_t limit = pages * sysconf(_SC_PAGESIZE) + (rlim_t{256} << 20);
    TCaPack pack;
    EXPECT_EQ(InChildWithLimit(RLIMIT_AS,
                               limit,
                               [&] {
                                   return ErrorOf([&] { pack.AddFile(big); }) ==
                                          "Out of memory while expanding memory stream";
                               }),
              0);
}

}  // namespace
