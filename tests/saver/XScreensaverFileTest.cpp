// ~/.xscreensaver in the shapes users and tools leave it: an install reads it as xscreensaver
// does, adds the show where xscreensaver will find it, and an uninstall gives back every byte.
#include "saver/InstallFixture.h"

namespace {

struct TShape {
    const char* Name;
    std::string Text;
    std::vector<std::string> Entries;  // the user's savers as xscreensaver reads them
};

const TShape Shapes[] = {
    {"settings_tool", UserFile, {"maze --root", "-\t\t\t\tattraction --root", "blitspin --root"}},
    {"empty_programs_line", "mode:\t\trandom\nprograms:\n\npointerHysteresis:\t10\n", {}},
    {"one_line_programs", "programs:\tmaze -root\n", {"maze -root"}},
    {"one_line_ending_in_its_separator",
     "programs:\tmaze -root \\n\nmode:\trandom\n",
     {"maze -root"}},
    {"two_entries_on_one_line",
     "programs: maze -root \\n deco -root\n",
     {"maze -root", "deco -root"}},
    {"continuation_at_the_end",
     "mode:\trandom\nprograms:\t\\\n\tmaze -root\t\\n\\\n",
     {"maze -root"}},
    {"continuation_at_the_end_without_newline",
     "programs:\t\\\n\tmaze -root\t\\n\\",
     {"maze -root"}},
    {"no_final_newline", "mode:\trandom\nprograms:\t\\\n\tmaze -root\t\\n", {"maze -root"}},
    {"no_programs_and_no_final_newline", "timeout:\t0:10:00", {}},
    {"blank_line_ends_the_list",
     "programs:\t\\\n\tmaze -root\t\\n\\\n\npointerHysteresis:\t10\n",
     {"maze -root"}},
    // xscreensaver takes no "*programs": its entries are not the list.
    {"star_programs", "*programs:\t\\\n\tmaze -root\t\\n\nmode:\trandom\n", {}},
    // The last setting of a name is the one that counts.
    {"two_programs",
     "programs:\tmaze -root\nprograms:\t\\\n\tdeco -root\t\\n\\\n\tgrav -root\t\\n\n",
     {"deco -root", "grav -root"}},
    {"upper_case_name", "Programs:\t\\\n\tmaze -root\t\\n\n", {"maze -root"}},
    // A comment ending in a backslash swallows the next line.
    {"comment_that_continues", "# old list \\\nprograms:\tmaze -root\nselected:\t0\n", {}},
};

void PrintTo(const TShape& shape, std::ostream* out) {
    *out << shape.Name;
}

class ShapeTest : public InstallTest, public testing::WithParamInterface<TShape> {};

TEST_P(ShapeTest, TheShowIsSelectedAsXscreensaverReadsItAndUninstallGivesBackEveryByte) {
    const TShape& shape = GetParam();
    WriteBytes(ConfigPath(), shape.Text);
    TShowInstaller installer = Installer();
    ASSERT_EQ(ErrorOf([&] { installer.Install(true); }), "");

    std::vector<std::string> entries = shape.Entries;
    entries.push_back("\"海边散步\"\t'" + installer.SaverPath().string() + "' --root");
    EXPECT_EQ(Parsed().Programs(), entries) << Config();
    EXPECT_EQ(Parsed().Value("mode"), "one");
    EXPECT_EQ(Parsed().Value("selected"), std::to_string(shape.Entries.size()));

    EXPECT_NE(installer.Uninstall().find("已卸载"), std::string::npos);
    EXPECT_EQ(Config(), shape.Text);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ShapeTest, testing::ValuesIn(Shapes), [](const auto& info) {
    return std::string(info.param.Name);
});

std::string WithCrlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

// Files whose list xscreensaver ends early: the show would not be there, so nothing is done.
TEST_F(InstallTest, AFileXscreensaverReadsOtherwiseIsRefusedWithTheReasonAndLeftAlone) {
    const std::pair<std::string, std::string> cases[] = {
        {WithCrlf(UserFile), "回车换行（CRLF）"},
        {"programs:\t\\\n\tmaze -root\t\\n\\ \n\tdeco -root\t\\n\n", "第 2 行就结束了屏保列表"},
    };
    for (const auto& [text, reason] : cases) {
        WriteBytes(ConfigPath(), text);
        for (const bool select : {true, false}) {
            TShowInstaller installer = Installer();
            const std::string error = ErrorOf([&] { installer.Install(select); });
            EXPECT_NE(error.find(reason), std::string::npos) << error;
            EXPECT_NE(error.find("文件没有改动"), std::string::npos) << error;
            EXPECT_EQ(Config(), text);
            EXPECT_FALSE(std::filesystem::exists(installer.Folder()));
            EXPECT_FALSE(std::filesystem::exists(installer.MenuEntryPath()));
        }
    }
}

}  // namespace
