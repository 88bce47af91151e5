// Installing a show as an xscreensaver saver of the user, in a temporary home: the programs:
// line, the selection, the menu entry, and what stays byte for byte.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <map>
#include <memory>
#include <thread>

#include "saver/InstallFixture.h"

TEST_F(InstallTest, ExtendsTheUserFileAndUninstallRestoresItByteForByte) {
    WriteBytes(ConfigPath(), UserFile);
    TShowInstaller installer = Installer();
    const std::string message = installer.Install(true);
    // Without a running xscreensaver the idle watcher plays it.
    EXPECT_NE(message.find("分钟后开始放映"), std::string::npos) << message;
    EXPECT_TRUE(installer.IsInstalled());
    EXPECT_TRUE(std::filesystem::exists(installer.MenuEntryPath()));
    EXPECT_EQ(std::filesystem::status(installer.SaverPath()).permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::owner_exec);

    TXScreensaverConfig config(Config());
    EXPECT_EQ(config.ProgramCount(), 4);
    EXPECT_EQ(config.FindProgram("'" + installer.SaverPath().string() + "'"), 3);
    EXPECT_EQ(config.Value("mode"), "one");
    EXPECT_EQ(config.Value("selected"), "3");
    EXPECT_NE(Config().find("\t\"海边散步\"\t'"), std::string::npos);
    EXPECT_NE(Config().find("pointerHysteresis:\t10\n"), std::string::npos);

    // Again: the line is replaced, not added twice.
    installer.Install(true);
    EXPECT_EQ(TXScreensaverConfig(Config()).ProgramCount(), 4);

    EXPECT_NE(installer.Uninstall().find("已卸载"), std::string::npos);
    EXPECT_EQ(Config(), UserFile);
    EXPECT_FALSE(std::filesystem::exists(installer.Folder()));
    EXPECT_FALSE(std::filesystem::exists(installer.MenuEntryPath()));
    EXPECT_NO_THROW(installer.Uninstall());  // twice is harmless
    EXPECT_EQ(Config(), UserFile);
}

TEST_F(InstallTest, TwoShowsCoexistAndTheSelectionFollowsARemovedEntry) {
    TShowInstaller first = Installer();
    TShowInstaller second = Other("Other show");
    first.Install(false);
    second.Install(true);  // selected: 1 (after ours at 0)
    TXScreensaverConfig both(Config());
    EXPECT_EQ(both.ProgramCount(), 2);
    EXPECT_EQ(both.Value("selected"), "1");

    first.Uninstall();
    TXScreensaverConfig left(Config());
    EXPECT_EQ(left.ProgramCount(), 1);
    EXPECT_EQ(left.Value("selected"), "0");  // still the second show
    second.Uninstall();
    // No file before: none after.
    EXPECT_FALSE(std::filesystem::exists(Home() / ".xscreensaver"));
}

TEST_F(InstallTest, RefusesRootAndFilesWithoutASaver) {
    TInstallEnvironment env;
    env.Home = Home();
    env.DataHome = Home() / "data";
    env.Root = true;
    TShowInstaller asRoot(FReader, env);
    EXPECT_THROW(
        try { asRoot.Install(false); } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("root"), std::string::npos);
            throw;
        },
        std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(Home() / ".xscreensaver"));
}

// A title may hold anything; the line it becomes, parsed as xscreensaver parses a programs:
// entry and run by sh, must start the saver and nothing else.
TEST(SafeDisplayNameTest, HostileTitlesCannotLeaveTheName) {
    for (const std::string title : {"a\"; touch /tmp/kavro-pwned; \"",
                                    "$(touch /tmp/kavro-pwned)",
                                    "`touch /tmp/kavro-pwned`",
                                    "x\\n\\\nrm -rf ~",
                                    "line\nbreak",
                                    "\\\"",
                                    "海边 & 散步 | ; < >"}) {
        const std::string name = SafeDisplayName(title);
        for (const char bad : {'"', '\\', '$', '`', '\n'}) {
            EXPECT_EQ(name.find(bad), std::string::npos) << title;
        }
        TXScreensaverConfig config("");
        config.SetProgram("'/bin/true'", "\t\"" + name + "\"\t'/bin/true' --root");
        const std::string text = config.Text();
        // The entry's line: the name ends at the next quote, the rest is the command.
        const std::string line = text.substr(text.find('\t', text.find('\n')) + 1);
        const size_t close = line.find('"', 1);
        ASSERT_NE(close, std::string::npos) << title;
        std::string command = line.substr(close + 1);
        command = command.substr(0, command.find("\\n"));
        EXPECT_EQ(command, "\t'/bin/true' --root\t") << title;
        EXPECT_EQ(std::system(("sh -c \"" + command + "\"").c_str()), 0);
        EXPECT_FALSE(std::filesystem::exists("/tmp/kavro-pwned"));
    }
}

// Every file below a folder with its bytes ("/" ending a folder's name).
std::map<std::string, std::string> Tree(const std::filesystem::path& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         it != std::filesystem::recursive_directory_iterator();
         ++it) {
        const std::string name = std::filesystem::relative(it->path(), root).string();
        tree[it->is_directory() ? name + "/" : name] =
            it->is_directory() ? "" : ReadBytes(it->path());
    }
    return tree;
}

// Several shows share the one watcher: the current show follows the choice and the installs,
// and the last uninstall leaves the user's folders as they were, byte for byte.
TEST_F(InstallTest, TheWatcherServesEveryShowAndGoesWithTheLast) {
    std::filesystem::create_directories(Home() / ".config/autostart");
    WriteBytes(Home() / ".config/autostart/user.desktop", "[Desktop Entry]\nName=mine\n");
    WriteBytes(Home() / ".xscreensaver", UserFile);
    std::filesystem::create_directories(Home() / ".local/share/applications");
    const auto before = Tree(Home());

    std::vector<std::unique_ptr<TInstallerReader>> readers;
    std::vector<TShowInstaller> shows;
    for (const char* title : {"one", "two", "three"}) {
        readers.push_back(std::make_unique<TInstallerReader>());
        readers.back()->Open(
            MakeShowFile(FDir.path(), title, {Qt::green}, QString(title) + ".run"));
        TInstallEnvironment env = Env();
        env.Watch.IdleAfterSeconds = 240;
        shows.emplace_back(*readers.back(), env);
    }
    auto current = [&] { return shows[0].Watcher().State().Current(); };
    EXPECT_NE(shows[0].Install(false).find("闲置 4 分钟后开始放映"), std::string::npos);
    shows[1].Install(true);
    shows[2].Install(false);
    EXPECT_EQ(current(), shows[1].Name());  // chosen last, though installed before "three"
    const std::string entry = ReadBytes(shows[0].Watcher().EntryPath());
    EXPECT_NE(entry.find("Exec=\"" + (Home() / ".local/share/kavro/kavro-saver").string() +
                         "\" --watch\n"),
              std::string::npos)
        << entry;
    EXPECT_EQ(shows[0].Watcher().IdleAfterSeconds(), 240);

    shows[1].Uninstall();
    EXPECT_EQ(current(), shows[2].Name());  // the newest left
    shows[2].Uninstall();
    EXPECT_EQ(current(), shows[0].Name());
    EXPECT_TRUE(std::filesystem::exists(shows[0].Watcher().EntryPath()));
    shows[0].Uninstall();
    EXPECT_EQ(current(), "");
    EXPECT_EQ(Tree(Home()), before);
}

// Two shows selected one after the other and uninstalled in any order: uninstalling the
// selected one gives back the user's own mode and selection, the other keeps its place, and at
// the end the file is the user's again.
TEST_F(InstallTest, EveryOrderOfInstallsAndUninstallsGivesBackTheUsersMode) {
    const std::vector<std::vector<std::string>> orders = {
        {"+A", "+B", "-A", "-B"},
        {"+A", "+B", "-B", "-A"},
        {"+A", "-A", "+B", "-B"},
        {"+B", "+A", "-A", "-B"},
        {"+B", "+A", "-B", "-A"},
        {"+B", "-B", "+A", "-A"},
    };
    TShowInstaller a = Installer();
    TShowInstaller b = Other("Other show");
    for (const auto& order : orders) {
        WriteBytes(ConfigPath(), UserFile);
        std::string selected;  // the show selected last and still installed
        for (const std::string& step : order) {
            TShowInstaller& show = step[1] == 'A' ? a : b;
            const std::string path = "'" + show.SaverPath().string() + "'";
            if (step[0] == '+') {
                show.Install(true);
                selected = path;
            } else {
                show.Uninstall();
                if (selected == path) {
                    selected.clear();
                }
            }
            const TXScreensaverConfig config = Parsed();
            const std::string where = ::testing::PrintToString(order) + " after " + step;
            if (selected.empty()) {
                EXPECT_EQ(config.Value("mode"), "random") << where;
                EXPECT_EQ(config.Value("selected"), "1") << where;
            } else {
                EXPECT_EQ(config.Value("mode"), "one") << where;
                EXPECT_EQ(config.Value("selected"), std::to_string(config.FindProgram(selected)))
                    << where;
            }
        }
        EXPECT_EQ(Config(), UserFile) << ::testing::PrintToString(order);
    }
}

// What uninstall needs lives in ~/.xscreensaver itself: with the folders deleted by hand it
// still takes the show out and gives back the user's mode.
TEST_F(InstallTest, UninstallWorksFromTheFileWhenTheFoldersAreGone) {
    WriteBytes(ConfigPath(), UserFile);
    TShowInstaller installer = Installer();
    installer.Install(true);
    std::filesystem::remove_all(Home() / ".local");
    EXPECT_TRUE(installer.IsInstalled());  // the window offers to uninstall
    EXPECT_EQ(installer.Uninstall(), "已卸载屏幕保护 “海边散步”。");
    EXPECT_FALSE(installer.IsInstalled());
    EXPECT_EQ(Config(), UserFile);
    EXPECT_EQ(installer.Uninstall(), "屏幕保护 “海边散步” 没有安装。");
}

TEST_F(InstallTest, TheFilesModeAndItsLinkAreKept) {
    struct stat info {};
    WriteBytes(ConfigPath(), UserFile);
    std::filesystem::permissions(ConfigPath(), std::filesystem::perms(0600));
    TShowInstaller installer = Installer();
    installer.Install(true);
    ASSERT_EQ(::stat(ConfigPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    installer.Uninstall();
    ASSERT_EQ(::stat(ConfigPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // Kept with the user's other settings files and linked into the home folder.
    std::filesystem::create_directory(Home() / "dotfiles");
    std::filesystem::rename(ConfigPath(), Home() / "dotfiles/xscreensaver");
    std::filesystem::create_symlink("dotfiles/xscreensaver", ConfigPath());
    installer.Install(true);
    EXPECT_TRUE(std::filesystem::is_symlink(ConfigPath()));
    EXPECT_EQ(Parsed().Value("mode"), "one");  // read through the link
    installer.Uninstall();
    EXPECT_TRUE(std::filesystem::is_symlink(ConfigPath()));
    EXPECT_EQ(ReadBytes(Home() / "dotfiles/xscreensaver"), UserFile);

    // A file made read-only is not changed behind the user's back.
    std::filesystem::permissions(Home() / "dotfiles/xscreensaver", std::filesystem::perms(0444));
    const std::string refused = ErrorOf([&] { installer.Install(true); });
    EXPECT_NE(refused.find("是只读的"), std::string::npos) << refused;
    EXPECT_NE(refused.find("\nchmod u+w " + ConfigPath().string()), std::string::npos);
    EXPECT_EQ(ReadBytes(Home() / "dotfiles/xscreensaver"), UserFile);
    EXPECT_FALSE(std::filesystem::exists(installer.Folder()));
}

// A FIFO or a folder in the file's place is named, never waited on.
TEST_F(InstallTest, AFileThatIsNoRegularFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(ConfigPath().c_str(), 0600), 0);
    TShowInstaller installer = Installer();
    EXPECT_EQ(ErrorOf([&] { installer.Install(true); }),
              "无法读取 “" + ConfigPath().string() + "”：是命名管道，不是普通文件。没有改动它。");
    std::filesystem::remove(ConfigPath());
    std::filesystem::create_directory(ConfigPath());
    EXPECT_NE(ErrorOf([&] { installer.Uninstall(); }).find("是文件夹，不是普通文件"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(installer.Folder()));
}

// Installs (and then uninstalls) started at the same moment take turns: none is lost.
TEST_F(InstallTest, TwentyInstallsAtTheSameMomentKeepTwentyEntries) {
    WriteBytes(ConfigPath(), UserFile);
    std::vector<TShowInstaller> shows;
    for (int i = 0; i < 20; ++i) {
        shows.push_back(Other("show" + std::to_string(i)));
    }
    for (const bool installing : {true, false}) {
        std::vector<std::string> errors(shows.size());
        std::vector<std::thread> threads;
        for (size_t i = 0; i < shows.size(); ++i) {
            threads.emplace_back([&, i] {
                errors[i] = ErrorOf(
                    [&] { installing ? shows[i].Install(i % 2 == 0) : shows[i].Uninstall(); });
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(errors, std::vector<std::string>(shows.size()));
        const TXScreensaverConfig config = Parsed();
        EXPECT_EQ(config.ProgramCount(), installing ? 23 : 3);
        for (const TShowInstaller& show : shows) {
            EXPECT_EQ(config.FindProgram("'" + show.SaverPath().string() + "'") >= 0, installing);
        }
    }
    EXPECT_EQ(Config(), UserFile);
}

// The disk fills up halfway: the message says why, and nothing of the attempt stays.
TEST_F(InstallTest, AFailedInstallLeavesNothingBehind) {
    WriteBytes(ConfigPath(), UserFile);
    TShowInstaller installer = Installer();
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{65536, 65536};  // the saver program alone is larger
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string error = ErrorOf([&] { installer.Install(true); });
        _exit(error == "无法写入 “" + installer.SaverPath().string() + "”：文件超过了系统允许的大小"
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(installer.Folder()));
    EXPECT_FALSE(std::filesystem::exists(installer.MenuEntryPath()));
    EXPECT_EQ(Config(), UserFile);
}
