#include "saver/ShowInstaller.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "pack/InstallerReader.h"
#include "saver/XScreensaverConfig.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr char StateFile[] = "install-state";
constexpr char Absent[] = "<absent>";

std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes through a temporary file in the same folder and a rename, so that a reader (or the
// daemon watching the file) sees the old file or the new one, never half of one.
void WriteAtomically(const fs::path& path, const std::string& bytes, fs::perms mode) {
    const fs::path temp = path.parent_path() / ("." + path.filename().string() + ".kavro-new");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            throw std::runtime_error("无法写入 “" + path.string() + "”（磁盘已满或没有写入权限）");
        }
    }
    std::error_code ec;
    fs::permissions(temp, mode, ec);
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw std::runtime_error("无法写入 “" + path.string() + "”：" + ec.message());
    }
}

// The few values Install keeps for Uninstall, as "key=value" lines.
std::map<std::string, std::string> ReadState(const fs::path& path) {
    std::map<std::string, std::string> state;
    std::istringstream lines(ReadFile(path).value_or(""));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) {
            state[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return state;
}

std::string WriteState(const std::map<std::string, std::string>& state) {
    std::string text;
    for (const auto& [key, value] : state) {
        text += key + "=" + value + "\n";
    }
    return text;
}

std::optional<std::string> FromState(const std::string& value) {
    return value == Absent ? std::nullopt : std::optional<std::string>(value);
}

// A path as one argument of a desktop entry's Exec line.
std::string ExecQuoted(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '%') {
            quoted += "%%";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

bool RunQuietly(const char* program, const char* argument) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return failed == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && access((fs::path(dir) / program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

TInstallEnvironment TInstallEnvironment::FromProcess() {
    TInstallEnvironment env;
    const char* home = std::getenv("HOME");
    env.Home = home && *home ? home : "/";
    const char* data = std::getenv("XDG_DATA_HOME");
    env.DataHome = data && *data == '/' ? fs::path(data) : env.Home / ".local/share";
    env.Root = geteuid() == 0;
    env.HostInstalled = [] { return OnPath("xscreensaver"); };
    env.HostRunning = [] { return RunQuietly("xscreensaver-command", "-version"); };
    const char* config = std::getenv("XDG_CONFIG_HOME");
    env.ConfigHome = config && *config == '/' ? fs::path(config) : env.Home / ".config";
    env.Runtime = TWatcherPaths::FromProcess().Runtime;
    return env;
}

TShowInstaller::TShowInstaller(const TInstallerReader& reader, TInstallEnvironment environment)
    : FReader(reader), FEnv(std::move(environment)) {}

TAutostartEntry TShowInstaller::Watcher() const {
    return TAutostartEntry(
        FEnv.DataHome,
        FEnv.ConfigHome.empty() ? FEnv.Home / ".config" : FEnv.ConfigHome,
        FEnv.Runtime.empty() ? TWatcherPaths::FromProcess().Runtime : FEnv.Runtime);
}

std::string TShowInstaller::Title() const {
    return FReader.Title();
}

std::string TShowInstaller::Name() const {
    const std::string title = Title();
    std::string slug;
    for (char c : title) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (keep && slug.size() < 32) {
            slug += c;
        }
    }
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : title) {
        hash = (hash ^ c) * 16777619u;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", hash);
    return (slug.empty() ? std::string("show") : slug) + "-" + hex;
}

fs::path TShowInstaller::Folder() const {
    return FEnv.DataHome / "kavro" / "savers" / Name();
}

fs::path TShowInstaller::MenuEntryPath() const {
    return FEnv.DataHome / "applications" / ("kavro-" + Name() + ".desktop");
}

bool TShowInstaller::IsInstalled() const {
    std::error_code ec;
    return fs::exists(SaverPath(), ec) && fs::exists(ShowPath(), ec);
}

std::string TShowInstaller::Install(bool select) {
    if (FEnv.Root) {
        throw std::runtime_error(
            "不能以 root 身份安装屏幕保护：xscreensaver 不运行 root "
            "的屏保程序。请以普通用户身份安装。");
    }
    const auto saver = FReader.Ss();
    if (saver.Size == 0) {
        throw std::runtime_error("“" + FReader.FileName() + "” 里没有屏保程序，无法安装。");
    }
    const fs::path folder = Folder();
    // The saver's path goes onto a shell line in single quotes and into a resource file that
    // reads backslashes: refuse what either would take as more than a letter.
    for (const unsigned char c : folder.string()) {
        if (c < 0x20 || c == '\'' || c == '\\' || c == '"' || c == 0x7F) {
            throw std::runtime_error("安装位置 “" + folder.string() +
                                     "” 含有引号、反斜杠或控制字符，无法登记为屏幕保护。");
        }
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        throw std::runtime_error("无法创建文件夹 “" + folder.string() + "”：" + ec.message());
    }
    struct statvfs fsInfo {};
    if (statvfs(folder.c_str(), &fsInfo) == 0 && (fsInfo.f_flag & ST_NOEXEC)) {
        throw std::runtime_error(
            "“" + folder.string() +
            "” 所在的文件系统不允许运行程序（noexec），屏幕保护无法安装在那里。");
    }

    const fs::path statePath = folder / StateFile;
    auto state = ReadState(statePath);
    const fs::path configPath = FEnv.Home / ".xscreensaver";
    const auto oldConfig = ReadFile(configPath);

    WriteAtomically(SaverPath(), FReader.PieceBytes(saver), fs::perms(0755));
    if (fs::weakly_canonical(FReader.FileName(), ec) != fs::weakly_canonical(ShowPath(), ec)) {
        WriteAtomically(ShowPath(), FReader.PieceBytes({0, FReader.Length()}), fs::perms(0755));
    }
    if (!FEnv.IconPng.empty()) {
        WriteAtomically(folder / "kavro.png", FEnv.IconPng, fs::perms(0644));
    }

    TXScreensaverConfig config(oldConfig.value_or(TXScreensaverConfig::Minimal()));
    const std::string needle = "'" + SaverPath().string() + "'";
    const int index =
        config.SetProgram(needle, "\t\"" + SafeDisplayName(Title()) + "\"\t" + needle + " --root");
    if (select) {
        if (!state.count("mode")) {
            state["mode"] = config.Value("mode").value_or(Absent);
            state["selected"] = config.Value("selected").value_or(Absent);
        }
        config.SetValue("mode", "one");
        config.SetValue("selected", std::to_string(index));
    }
    WriteAtomically(statePath, WriteState(state), fs::perms(0644));
    if (!oldConfig || config.Text() != *oldConfig) {
        WriteAtomically(configPath, config.Text(), fs::perms(0644));
    }

    std::string name;
    for (const char c : Title()) {
        name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    fs::create_directories(MenuEntryPath().parent_path(), ec);
    WriteAtomically(MenuEntryPath(),
                    "[Desktop Entry]\nType=Application\nName=" + name +
                        "\nComment=Kavro 屏幕保护\nExec=" + ExecQuoted(SaverPath()) + " --play " +
                        ExecQuoted(ShowPath()) + "\nIcon=" + (folder / "kavro.png").string() +
                        "\nTerminal=false\nCategories=Graphics;\nActions=Uninstall;\n\n"
                        "[Desktop Action Uninstall]\nName=卸载\nExec=" +
                        ExecQuoted(ShowPath()) + " --uninstall\n",
                    fs::perms(0644));

    // Where no xscreensaver runs, the idle watcher starts the show.
    const std::string watching = Watcher().Add(Name(), SaverPath(), select, FEnv.Watch);
    const std::string done = "已安装屏幕保护 “" + Title() + "”" +
                             (select ? "，并设为当前屏幕保护" : "") + "。\n" + watching;
    if (FEnv.HostRunning && FEnv.HostRunning()) {
        return done + "\nxscreensaver 正在运行：由它按自己的设置放映屏保。";
    }
    return done;
}

std::string TShowInstaller::Uninstall() {
    const fs::path folder = Folder();
    std::error_code ec;
    const bool installed = fs::exists(folder, ec) || fs::exists(MenuEntryPath(), ec);
    const auto state = ReadState(folder / StateFile);

    const fs::path configPath = FEnv.Home / ".xscreensaver";
    if (const auto oldConfig = ReadFile(configPath)) {
        TXScreensaverConfig config(*oldConfig);
        const int index = config.RemoveProgram("'" + SaverPath().string() + "'");
        if (index >= 0) {
            const auto selectedText = config.Value("selected");
            const int selected = selectedText ? std::atoi(selectedText->c_str()) : -1;
            if (selected == index && state.count("mode")) {
                config.SetValue("mode", FromState(state.at("mode")));
                config.SetValue("selected", FromState(state.at("selected")));
            } else if (selected > index) {
                config.SetValue("selected", std::to_string(selected - 1));
            }
            // A file left as we would have started it holds nothing of the user's.
            if (config.Text() == TXScreensaverConfig::Minimal()) {
                fs::remove(configPath, ec);
            } else {
                WriteAtomically(configPath, config.Text(), fs::perms(0644));
            }
        }
    }
    fs::remove(MenuEntryPath(), ec);
    fs::remove_all(folder, ec);
    if (ec) {
        throw std::runtime_error("无法删除 “" + folder.string() + "”：" + ec.message());
    }
    Watcher().Remove(Name());
    return installed ? "已卸载屏幕保护 “" + Title() + "”。"
                     : "屏幕保护 “" + Title() + "” 没有安装。";
}
