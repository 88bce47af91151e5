// Replacing a whole file at once: what is on disk afterwards, after a failure, and when several
// writers save the same file together.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "toolkit/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return FDir.filePath(name.c_str()).toStdString();
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Write(const std::string& name, const std::string& bytes, mode_t mode = 0644) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        ::chmod(Path(name).c_str(), mode);
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FDir.path().toStdString())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Mode(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }
    static std::string Error(const std::function<void()>& f) {
        try {
            f();
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }

    QTemporaryDir FDir;
};

TEST_F(AtomicFileTest, KeepsTheModeOfTheFileItReplacesAndGivesNewFilesTheirs) {
    const std::pair<mode_t, std::optional<mode_t>> cases[] = {
        {0600, std::nullopt}, {0444, 0644}, {0755, std::nullopt}};
    for (const auto& [mode, asked] : cases) {
        Write("old", "old", mode);
        WriteFileAtomically(Path("old"), "new", asked);
        EXPECT_EQ(Read("old"), "new");
        EXPECT_EQ(Mode(Path("old")), mode) << std::oct << mode;
    }
    WriteFileAtomically(Path("fresh"), "x", 0751);
    EXPECT_EQ(Mode(Path("fresh")), 0751u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fresh", "old"}));
}

TEST_F(AtomicFileTest, AnyLinkStaysALinkAndTheFileItLeadsToIsReplaced) {
    ASSERT_TRUE(fs::create_directory(Path("real")));
    Write("real/target", "old", 0600);
    const std::pair<std::string, std::string> links[] = {
        {"relative", "real/target"}, {"absolute", Path("real/target")}, {"chained", "relative"}};
    for (const auto& [link, to] : links) {
        fs::create_symlink(to, Path(link));
    }
    for (const auto& [link, to] : links) {
        WriteFileAtomically(Path(link), "via " + link);
        EXPECT_TRUE(fs::is_symlink(Path(link))) << link;
        EXPECT_EQ(fs::read_symlink(Path(link)).string(), to);
        EXPECT_EQ(Read("real/target"), "via " + link);
        EXPECT_EQ(Mode(Path("real/target")), 0600u);
    }
    // A link to a file not made yet: the file is made where it points.
    fs::create_symlink("real/later", Path("dangling"));
    WriteFileAtomically(Path("dangling"), "made");
    EXPECT_TRUE(fs::is_symlink(Path("dangling")));
    EXPECT_EQ(Read("real/later"), "made");
}

TEST_F(AtomicFileTest, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    Write("old", "old bytes");
    const std::string big(200000, 'b');
    // In a child whose file size limit stops the write after 64 KiB.
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{65536, 65536};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(Error([&] { WriteFileAtomically(Path("old"), big); }) ==
                      "无法写入 “" + Path("old") + "”：文件超过了系统允许的大小"
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Read("old"), "old bytes");

    ASSERT_TRUE(fs::create_directory(Path("folder")));
    EXPECT_EQ(Error([&] { WriteFileAtomically(Path("folder"), "x"); }),
              "无法写入 “" + Path("folder") + "”：是文件夹，不是普通文件");
    EXPECT_EQ(Error([&] { WriteFileAtomically(Path("none/x"), "x"); }),
              "无法写入 “" + Path("none/x") + "”：文件夹不存在");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "old"}));
}

TEST_F(AtomicFileTest, WritersAtTheSameMomentEachSucceedAndOneWholeFileRemains) {
    std::vector<std::thread> writers;
    std::vector<std::string> errors(16);
    for (int i = 0; i < 16; ++i) {
        writers.emplace_back([&, i] {
            errors[i] =
                Error([&] { WriteFileAtomically(Path("shared"), std::string(5000, 'a' + i)); });
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    for (const std::string& error : errors) {
        EXPECT_EQ(error, "");
    }
    const std::string last = Read("shared");
    ASSERT_EQ(last.size(), 5000u);
    EXPECT_EQ(last, std::string(5000, last[0]));
    EXPECT_EQ(Entries(), std::vector<std::string>{"shared"});
}

}  // namespace
