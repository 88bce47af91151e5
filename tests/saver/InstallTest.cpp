// Installing a show as an xscreensaver saver of the user, in a temporary home: the programs:
// line, the selection, the menu entry, and what stays byte for byte.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "pack/InstallerReader.h"
#include "saver/SaverFixture.h"
#include "saver/ShowInstaller.h"
#include "saver/XScreensaverConfig.h"

namespace {

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// As the settings tool writes it, cut short.
const std::string UserFile =
    "# XScreenSaver Preferences File\n"
    "mode:\t\trandom\n"
    "selected:\t1\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "-\t\t\t\tattraction --root\t\t\t    \\n\\\n"
    "\t\t\t\tblitspin --root\t\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis:\t10\n";

class InstallTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        QDir(FDir.path()).mkdir("home");
        FFile = MakeShowFile(FDir.path(), "海边散步", {Qt::red});
        FReader.Open(FFile);
    }
    TShowInstaller Installer(const std::string& file = {}) {
        TInstallEnvironment env;
        env.Home = Home();
        env.DataHome = Home() / ".local/share";
        env.HostInstalled = [] { return true; };
        env.HostRunning = [] { return false; };
        env.Runtime = FDir.filePath("run").toStdString();
        env.Watch.StartNow = false;
        if (!file.empty()) {
            FOther.Open(file);
            return TShowInstaller(FOther, env);
        }
        return TShowInstaller(FReader, env);
    }
    std::filesystem::path Home() const { return FDir.filePath("home").toStdString(); }
    std::string Config() const { return Read(Home() / ".xscreensaver"); }

    QTemporaryDir FDir;
    std::string FFile;
    TInstallerReader FReader, FOther;
};

}  // namespace

TEST_F(InstallTest, ExtendsTheUserFileAndUninstallRestoresItByteForByte) {
    Write(Home() / ".xscreensaver", UserFile);
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
    const std::string other = MakeShowFile(FDir.path(), "Other show", {Qt::blue}, "other.run");
    TShowInstaller first = Installer();
    TShowInstaller second = Installer(other);
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
        tree[it->is_directory() ? name + "/" : name] = it->is_directory() ? "" : Read(it->path());
    }
    return tree;
}

// Several shows share the one watcher: the current show follows the choice and the installs,
// and the last uninstall leaves the user's folders as they were, byte for byte.
TEST_F(InstallTest, TheWatcherServesEveryShowAndGoesWithTheLast) {
    std::filesystem::create_directories(Home() / ".config/autostart");
    Write(Home() / ".config/autostart/user.desktop", "[Desktop Entry]\nName=mine\n");
    Write(Home() / ".xscreensaver", UserFile);
    std::filesystem::create_directories(Home() / ".local/share/applications");
    const auto before = Tree(Home());

    std::vector<std::unique_ptr<TInstallerReader>> readers;
    std::vector<TShowInstaller> shows;
    for (const char* title : {"one", "two", "three"}) {
        readers.push_back(std::make_unique<TInstallerReader>());
        readers.back()->Open(
            MakeShowFile(FDir.path(), title, {Qt::green}, QString(title) + ".run"));
        TInstallEnvironment env;
        env.Home = Home();
        env.DataHome = Home() / ".local/share";
        env.HostInstalled = [] { return true; };
        env.HostRunning = [] { return false; };
        env.Runtime = FDir.filePath("run").toStdString();
        env.Watch.StartNow = false;
        env.Watch.IdleAfterSeconds = 240;
        shows.emplace_back(*readers.back(), env);
    }
    auto current = [&] { return shows[0].Watcher().State().Current(); };
    EXPECT_NE(shows[0].Install(false).find("闲置 4 分钟后开始放映"), std::string::npos);
    shows[1].Install(true);
    shows[2].Install(false);
    EXPECT_EQ(current(), shows[1].Name());  // chosen last, though installed before "three"
    const std::string entry = Read(shows[0].Watcher().EntryPath());
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
