#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "pack/InstallerReader.h"
#include "saver/SaverFixture.h"
#include "saver/ShowInstaller.h"
#include "saver/XScreensaverConfig.h"

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The message of what f throws, or empty.
inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// As xscreensaver's settings tool writes the file, cut short: three savers, the second disabled.
inline const std::string UserFile =
    "# XScreenSaver Preferences File\n"
    "mode:\t\trandom\n"
    "selected:\t1\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "-\t\t\t\tattraction --root\t\t\t    \\n\\\n"
    "\t\t\t\tblitspin --root\t\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis:\t10\n";

// A temporary home with a show file "海边散步" in it; more shows on demand.
class InstallTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        QDir(FDir.path()).mkdir("home");
        FFile = MakeShowFile(FDir.path(), "海边散步", {Qt::red});
        FReader.Open(FFile);
    }
    TInstallEnvironment Env() const {
        TInstallEnvironment env;
        env.Home = Home();
        env.DataHome = Home() / ".local/share";
        env.HostInstalled = [] { return true; };
        env.HostRunning = [] { return false; };
        env.Runtime = FDir.filePath("run").toStdString();
        env.Watch.StartNow = false;
        return env;
    }
    TShowInstaller Installer() { return TShowInstaller(FReader, Env()); }
    // Another show, titled title, with a reader of its own.
    TShowInstaller Other(const std::string& title) {
        const std::string file =
            MakeShowFile(FDir.path(), title, {Qt::blue}, QString::fromStdString(title + ".run"));
        FOthers.push_back(std::make_unique<TInstallerReader>());
        FOthers.back()->Open(file);
        return TShowInstaller(*FOthers.back(), Env());
    }
    std::filesystem::path Home() const { return FDir.filePath("home").toStdString(); }
    std::filesystem::path ConfigPath() const { return Home() / ".xscreensaver"; }
    std::string Config() const { return ReadBytes(ConfigPath()); }
    TXScreensaverConfig Parsed() const { return TXScreensaverConfig(Config()); }

    QTemporaryDir FDir;
    std::string FFile;
    TInstallerReader FReader;
    std::vector<std::unique_ptr<TInstallerReader>> FOthers;
};
