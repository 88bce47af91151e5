#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "toolkit/UserFile.h"

namespace {

struct KindCase {
    const char* name;  // in a folder holding "five" (5 bytes), "folder", "fifo" and links
    int64_t size;
    bool other;
};

class FileKind : public testing::TestWithParam<KindCase> {};

TEST_P(FileKind, RegularFilesOnlyLinksFollowed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    std::ofstream(base + "five") << "12345";
    ASSERT_EQ(::mkdir((base + "folder").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((base + "fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("five", (base + "to-five").c_str()), 0);
    ASSERT_EQ(::symlink("folder", (base + "to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("gone", (base + "dangling").c_str()), 0);

    const KindCase& c = GetParam();
    EXPECT_EQ(RegularFileSize(base + c.name), c.size);
    EXPECT_EQ(IsRegularFile(base + c.name), c.size >= 0);
    EXPECT_EQ(IsOtherThanRegularFile(base + c.name), c.other);
}

INSTANTIATE_TEST_SUITE_P(Names,
                         FileKind,
                         testing::Values(KindCase{"five", 5, false},
                                         KindCase{"to-five", 5, false},
                                         KindCase{"folder", -1, true},
                                         KindCase{"to-folder", -1, true},
                                         KindCase{"fifo", -1, true},
                                         KindCase{"missing", -1, false},
                                         KindCase{"dangling", -1, false}));

}  // namespace
