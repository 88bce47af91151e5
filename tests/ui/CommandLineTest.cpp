#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <sstream>

#include "pack/BuildInstaller.h"
#include "pack/PackFiles.h"
#include "settings/CodePage.h"
#include "ui/CommandLine.h"
#include "ui/ProgramFolders.h"
#include "ui/WizardRules.h"

namespace {

struct TRun {
    int Code;
    std::string Out, Err;
};

// Files for a run: two pictures, a program folder with stubs, a folder of pictures.
class CommandLineTest : public testing::Test {
protected:
    CommandLineTest() {
        a = files.Write("a.jpg", TPackFiles::Pattern(100, 1));
        b = files.Write("b.BMP", TPackFiles::Pattern(200, 2));
        std::filesystem::create_directories(files.Path("prog"));
        files.Write("prog/ie.dat", "first stage");
        files.Write("prog/ui.dat", "installer");
        std::filesystem::create_directories(files.Path("pics"));
        files.Write("pics/c.png", TPackFiles::Pattern(30, 3));
        files.Write("pics/B.jpeg", TPackFiles::Pattern(20, 4));
        files.Write("pics/notes.txt", "not a picture");
    }

    TRun Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int code = RunCommandLine(args, files.Path("prog/"), out, err);
        return {code, out.str(), err.str()};
    }

    // The "key: value" line of a described file, without its key.
    std::string InfoLine(const std::string& info, const std::string& key) {
        std::istringstream lines(info);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind(key + ": ", 0) == 0) {
                return line.substr(key.size() + 2);
            }
        }
        return "<no " + key + ">";
    }

    TPackFiles files;
    std::string a, b;
};

TEST_F(CommandLineTest, WizardDefaultsGiveTheWizardsBytes) {
    const std::string out = files.Path("cli.run");
    ASSERT_EQ(Run({"--create", out, "--title", "我的 Show", a, b}).Code, 0);

    // What the wizard does with the same pictures and its controls untouched.
    TSaverSettings settings;
    InitSaverSettings(settings);
    TWizardControls controls;
    controls.Title = QStringLiteral("我的 Show");
    controls.PictureCount = 2;
    controls.BackColor = RGBColor(0, 128, 255);
    CopyControlsToSettings(controls, settings);
    const std::string wizard = files.Path("wizard.run");
    BuildInstaller(wizard,
                   Utf8ToGbk("我的 Show"),
                   StubDir(files.Path("prog/")),
                   settings,
                   {a, b},
                   "",
                   files.Path("out/"),
                   [] {});
    const std::string bytes = TPackFiles::Read(out);
    EXPECT_EQ(bytes, TPackFiles::Read(wizard));
    EXPECT_EQ(bytes.substr(0, 11), "first stage");
}

TEST_F(CommandLineTest, EveryChoiceIsDescribed) {
    const std::string out = files.Path("all.run");
    const std::string sound = files.Write("tune.MP3", "ID3 sound bytes");
    TRun made = Run({"--create",
                     out,
                     "--title",
                     "Trip",
                     "--caption",
                     "2",
                     "第一行\n第二行",
                     "--sound",
                     sound,
                     "--interval",
                     "12",
                     "--order",
                     "shuffle",
                     "--size",
                     "fit",
                     "--background",
                     "#12aB34",
                     "--effects",
                     "3,5-7,21,23",
                     "--transition-seconds",
                     "2.5",
                     "--motion",
                     "--fill",
                     "blur",
                     "--title-screen",
                     "欢迎",
                     "--web",
                     "example.org",
                     "--dates",
                     "--date-corner",
                     "top-left",
                     "--each-screen",
                     "--shrink",
                     a,
                     b});
    ASSERT_EQ(made.Code, 0) << made.Err;
    TRun info = Run({"--info", out});
    ASSERT_EQ(info.Code, 0) << info.Err;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"title", "Trip"},
        {"pictures", "2"},
        {"size", "fit"},
        {"interval", "12"},
        {"order", "shuffle"},
        {"background", "12AB34"},
        {"effects", "3,5-7,21,23"},
        {"transition-seconds", "2.5"},
        {"motion", "yes"},
        {"fill", "blur"},
        {"title-screen", "yes"},
        {"description", "欢迎"},
        {"web", "example.org"},
        {"sound", ".mp3 15"},
        {"dates", "top-left"},
        {"each-screen", "yes"},
        {"shrink", "yes"},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(InfoLine(info.Out, key), value) << key;
    }
    EXPECT_NE(info.Out.find("picture: 1 .jpg 100\npicture: 2 .bmp 200 第一行\\n第二行\n"),
              std::string::npos)
        << info.Out;
}

TEST_F(CommandLineTest, DefaultsAreDescribedAsTheWizardsAndFoldersGoInNameOrder) {
    const std::string out = files.Path("Holiday 2024.run");
    ASSERT_EQ(Run({"--create", out, files.Path("pics"), a}).Code, 0);
    const std::string info = Run({"--info", out}).Out;
    EXPECT_EQ(InfoLine(info, "title"), "Holiday 2024");
    EXPECT_EQ(InfoLine(info, "order"), "normal");
    EXPECT_EQ(InfoLine(info, "effects"), "1-20");
    EXPECT_EQ(InfoLine(info, "background"), "0080FF");
    EXPECT_EQ(InfoLine(info, "dates"), "no");
    EXPECT_NE(info.find("picture: 1 .jpeg 20\npicture: 2 .png 30\npicture: 3 .jpg 100\n"),
              std::string::npos)
        << info;
}

struct TBadUsage {
    std::vector<std::string> Args;
    std::string Named;  // what the message must name
};

TEST_F(CommandLineTest, BadUsageExitsTwoNamingTheOptionAndWritesNothing) {
    const std::string out = files.Path("bad.run");
    const std::vector<TBadUsage> cases = {
        {{"--create", out}, "图片"},
        {{"--create"}, "--create"},
        {{"--create", out, "--interval", "61", a}, "--interval"},
        {{"--create", out, "--interval", "5s", a}, "--interval"},
        {{"--create", out, "--order", "sorted", a}, "--order"},
        {{"--create", out, "--size", "big", a}, "--size"},
        {{"--create", out, "--background", "12345", a}, "--background"},
        {{"--create", out, "--effects", "0,3", a}, "--effects"},
        {{"--create", out, "--effects", "24", a}, "--effects"},
        {{"--create", out, "--effects", "5-3", a}, "--effects"},
        {{"--create", out, "--transition-seconds", "1.2", a}, "--transition-seconds"},
        {{"--create", out, "--transition-seconds", "3.5", a}, "--transition-seconds"},
        {{"--create", out, "--fill", "red", a}, "--fill"},
        {{"--create", out, "--date-corner", "middle", a}, "--date-corner"},
        {{"--create", out, "--caption", "3", "x", a, b}, "--caption 3"},
        {{"--create", out, "--sound", files.Path("song.ogg"), a}, "--sound"},
        {{"--create", out, "--title"}, "--title"},
        {{"--create", out, "--colour", "000000", a}, "--colour"},
        {{"--create", out, files.Path("pics/notes.txt")}, "notes.txt"},
        {{"--info"}, "--info"},
        {{"--frobnicate"}, "--frobnicate"},
    };
    for (const TBadUsage& c : cases) {
        TRun run = Run(c.Args);
        EXPECT_EQ(run.Code, 2) << c.Named;
        EXPECT_NE(run.Err.find(c.Named), std::string::npos) << run.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CommandLineTest, FailuresExitOneWithTheWizardsMessage) {
    const std::string out = files.Path("fail.run");
    TRun missing = Run({"--create", out, a, files.Path("gone.jpg")});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_NE(missing.Err.find("无法打开文件 " + files.Path("gone.jpg")), std::string::npos)
        << missing.Err;
    EXPECT_FALSE(std::filesystem::exists(out));

    const std::string damaged = files.Write("damaged.run", std::string(90000, 'x'));
    TRun info = Run({"--info", damaged});
    EXPECT_EQ(info.Code, 1);
    EXPECT_NE(info.Err.find("不是 Kavro 屏保文件或已损坏"), std::string::npos) << info.Err;
    EXPECT_EQ(info.Out, "");
}

TEST_F(CommandLineTest, HelpNamesEveryOptionInBothLanguages) {
    TRun help = Run({"--help"});
    EXPECT_EQ(help.Code, 0);
    for (const char* option :
         {"--create",     "--info",        "--title",        "--caption",
          "--sound",      "--interval",    "--order",        "--size",
          "--background", "--effects",     "--title-screen", "--no-title-screen",
          "--dates",      "--each-screen", "--shrink",       "--transition-seconds",
          "--motion",     "--fill",        "随机(不重复)",   "用法 / usage"}) {
        EXPECT_NE(help.Out.find(option), std::string::npos) << option;
    }
}

// The program itself, started without any display: the command line needs no window system.
TEST_F(CommandLineTest, RunsWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    QProcess kavro;
    kavro.setProcessEnvironment(environment);
    const std::string out = files.Path("nodisplay.run");
    kavro.start(
        QStringLiteral(KAVRO_PROGRAM),
        {QStringLiteral("--create"), QString::fromStdString(out), QString::fromStdString(a)});
    ASSERT_TRUE(kavro.waitForFinished(30000));
    EXPECT_EQ(kavro.exitCode(), 0) << kavro.readAllStandardError().toStdString();
    EXPECT_TRUE(std::filesystem::exists(out));
}

}  // namespace
