#include <gtest/gtest.h>

#include "toolkit/FileExt.h"

namespace {

struct ExtCase {
    const char* fileName;
    const char* ext;       // as written
    const char* extLower;  // as stored and compared
};

class FileExtension : public testing::TestWithParam<ExtCase> {};

TEST_P(FileExtension, FollowsTheLastDotAfterTheLastDelimiter) {
    EXPECT_EQ(FileExt(GetParam().fileName), GetParam().ext);
    EXPECT_EQ(FileExtLower(GetParam().fileName), GetParam().extLower);
}

INSTANTIATE_TEST_SUITE_P(Names,
                         FileExtension,
                         testing::Values(ExtCase{"Sea.JPG", ".JPG", ".jpg"},
                                         ExtCase{"/home/u/Photo.JPEG", ".JPEG", ".jpeg"},
                                         ExtCase{"Theme.Mp3", ".Mp3", ".mp3"},
                                         ExtCase{"a.b.BMP", ".BMP", ".bmp"},
                                         ExtCase{"c:\\dir.x\\name", "", ""},
                                         ExtCase{"my.pics/photo", "", ""},
                                         ExtCase{"/a.b/c", "", ""},
                                         ExtCase{"c:x.y:z", "", ""},
                                         ExtCase{"photo", "", ""},
                                         ExtCase{"", "", ""},
                                         ExtCase{"name.", ".", "."},
                                         ExtCase{"dir/.Hidden", ".Hidden", ".hidden"},
                                         ExtCase{"pic.\xC3\x84Q", ".\xC3\x84Q", ".\xC3\x84q"}));

}  // namespace
