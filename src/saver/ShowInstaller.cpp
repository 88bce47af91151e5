#include "saver/ShowInstaller.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "pack/InstallerReader.h"
#include "saver/RunQuietly.h"
#include "saver/XScreensaverConfig.h"
#include "toolkit/AtomicFile.h"
#include "toolkit/UserFile.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The comment line in ~/.xscreensaver that keeps the user's own mode and selection while a show
// of ours is the selected one, so that uninstalling gives them back even when our folders are
// gone.
constexpr char NoteKey[] = "restores on uninstall";

// ~/.xscreensaver's bytes, or nothing when there is none (a link to nowhere included: the save
// makes the file where it points). Never waits on a FIFO; throws with the reason when the file
// cannot be read.
std::optional<std::string> ReadUserFile(const fs::path& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        return std::nullopt;
    }
    std::string bytes, reason;
    if (!ReadRegularFile(path.string(), bytes, reason)) {
        throw std::runtime_error("无法读取 “" + path.string() + "”：" + reason + "。没有改动它。");
    }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes, mode_t newMode) {
    WriteFileAtomically(path.string(), bytes, newMode);
}

// A value in the note: the bytes a comment line can hold without ending or continuing it.
std::string Encode(const std::string& raw) {
    std::string out;
    for (const unsigned char c : raw) {
        if (c <= 0x20 || c >= 0x7F || c == '%' || c == '\\' || c == '=') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Decode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct TUserSettings {
    std::optional<std::string> Mode;
    std::optional<std::string> Selected;
};

std::optional<TUserSettings> ReadNote(const TXScreensaverConfig& config) {
    const auto note = config.Note(NoteKey);
    if (!note) {
        return std::nullopt;
    }
    TUserSettings settings;
    std::istringstream fields(*note);
    std::string field;
    while (fields >> field) {
        const size_t eq = field.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        try {
            const std::string value = Decode(field.substr(eq + 1));
            (field.compare(0, eq, "mode") == 0 ? settings.Mode : settings.Selected) = value;
        } catch (const std::exception&) {
            // A note damaged by hand holds nothing to give back.
        }
    }
    return settings;
}

void WriteNote(TXScreensaverConfig& config, const TUserSettings& settings) {
    std::string text;
    if (settings.Mode) {
        text += "mode=" + Encode(*settings.Mode);
    }
    if (settings.Selected) {
        text += std::string(text.empty() ? "" : " ") + "selected=" + Encode(*settings.Selected);
    }
    config.SetNote(NoteKey, text.empty() ? "-" : text);  // "-": both were not set
}

int SelectedIndex(const TXScreensaverConfig& config) {
    const auto selected = config.Value("selected");
    if (!selected || selected->empty()) {
        return -1;
    }
    char* end = nullptr;
    const long value = std::strtol(selected->c_str(), &end, 10);
    return *end == 0 && value >= 0 && value < 1000000 ? static_cast<int>(value) : -1;
}

bool IsOurs(const std::string& entry) {
    return entry.find("/kavro/savers/") != std::string::npos &&
           entry.find("/kavro-saver'") != std::string::npos;
}

// Whether xscreensaver shows one of our savers now.
bool OursSelected(const TXScreensaverConfig& config) {
    const auto programs = config.Programs();
    const int selected = SelectedIndex(config);
    return config.Value("mode") == "one" && selected >= 0 &&
           selected < static_cast<int>(programs.size()) && IsOurs(programs[selected]);
}

// Held while ~/.xscreensaver and the folders are edited, so that installs and uninstalls
// started at the same moment take their turns instead of losing each other's entries.
class TEditLock {
public:
    explicit TEditLock(const fs::path& path) {
        std::error_code ec;
        int error = 0;
        // The last uninstall removes the lock file: one that was removed while this process
        // waited for it locks nothing, so it opens the one the path names now.
        while (FFd < 0) {
            fs::create_directories(path.parent_path(), ec);
            FFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            error = errno;
            while (FFd >= 0 && ::flock(FFd, LOCK_EX) != 0) {
                error = errno;
                if (error != EINTR) {
                    ::close(FFd);
                    FFd = -1;
                }
            }
            if (FFd < 0) {
                break;
            }
            struct stat locked {
            }, named{};
            if (::fstat(FFd, &locked) != 0 || ::stat(path.c_str(), &named) != 0 ||
                locked.st_ino != named.st_ino || locked.st_dev != named.st_dev) {
                ::close(FFd);
                FFd = -1;
            }
        }
        FPath = path;
        if (FFd < 0) {
            throw std::runtime_error("无法锁定 “" + path.string() + "”：" +
                                     FileErrorReason(error, true));
        }
    }
    ~TEditLock() { ::close(FFd); }
    TEditLock(const TEditLock&) = delete;
    TEditLock& operator=(const TEditLock&) = delete;

    // Once no show is left in the lock's folder, removes the lock, the folder and the one above
    // it (ours too) when that is empty now: the last uninstall leaves nothing behind.
    void RemoveIfLast() {
        std::error_code ec;
        const fs::path folder = FPath.parent_path();
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            if (entry.path() != FPath) {
                return;
            }
        }
        if (!ec && fs::remove(FPath, ec) && fs::remove(folder, ec)) {
            fs::remove(folder.parent_path(), ec);  // fails, as it should, while not empty
        }
    }

private:
    int FFd = -1;
    fs::path FPath;
};

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
    env.HostRunning = XScreensaverAnswers;
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
    if (fs::exists(SaverPath(), ec) && fs::exists(ShowPath(), ec)) {
        return true;
    }
    // The folder deleted by hand: the entry still names it, and Uninstall still takes it out.
    try {
        const auto config = ReadUserFile(ConfigPath());
        return config && TXScreensaverConfig(*config).FindProgram(Needle()) >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

fs::path TShowInstaller::ConfigPath() const {
    return FEnv.Home / ".xscreensaver";
}

std::string TShowInstaller::Needle() const {
    return "'" + SaverPath().string() + "'";
}

std::optional<std::string> TShowInstaller::ReadConfig() const {
    const fs::path path = ConfigPath();
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && !(info.st_mode & S_IWUSR)) {
        throw std::runtime_error("“" + path.string() +
                                 "” 是只读的，没有改动它。要安装或卸载屏保，请先允许写入："
                                 "\nchmod u+w " +
                                 path.string());
    }
    return ReadUserFile(path);
}

void TShowInstaller::WriteConfig(const std::optional<std::string>& old,
                                 const TXScreensaverConfig& config) const {
    if (old && config.Text() == *old) {
        return;
    }
    // A file left as we would have started it holds nothing of the user's.
    if (config.Text() == TXScreensaverConfig::Minimal()) {
        TAtomicFile target(ConfigPath().string());  // through a link, the file it leads to
        std::error_code ec;
        fs::remove(target.Target(), ec);
        return;
    }
    WriteFile(ConfigPath(), config.Text(), 0644);
}

TXScreensaverConfig TShowInstaller::Registered(const std::optional<std::string>& old,
                                               bool select,
                                               int& index) const {
    const std::string refused = "无法把屏保登记到 “" + ConfigPath().string() + "”：";
    TXScreensaverConfig config(old.value_or(TXScreensaverConfig::Minimal()));
    const std::string obstacle = config.Obstacle();
    if (!obstacle.empty()) {
        throw std::runtime_error(refused + obstacle + "。文件没有改动。");
    }
    std::vector<std::string> expected = config.Programs();
    const std::string entry = "\t\"" + SafeDisplayName(Title()) + "\"\t" + Needle() + " --root";
    const bool known = config.FindProgram(Needle()) >= 0;
    index = config.SetProgram(Needle(), entry);
    if (!known && index >= 0 && index <= static_cast<int>(expected.size())) {
        expected.insert(expected.begin() + index, entry.substr(1));
    }
    if (select) {
        const auto note = ReadNote(config);
        if (!note || !OursSelected(config)) {
            WriteNote(config, {config.RawValue("mode"), config.RawValue("selected")});
        }
        config.SetValue("mode", "one");
        config.SetValue("selected", std::to_string(index));
    }
    // Read back as xscreensaver will read it: anything else is no success.
    const bool read =
        config.Programs() == expected && config.FindProgram(Needle()) == index &&
        (!select || (config.Value("mode") == "one" && SelectedIndex(config) == index));
    if (!read) {
        throw std::runtime_error(refused +
                                 "xscreensaver 不会按这样改过的文件运行这个屏保，"
                                 "文件的写法与它的读法不一致。文件没有改动。");
    }
    return config;
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
    TEditLock lock(FEnv.DataHome / "kavro" / "savers" / ".lock");
    // Worked out before anything is written, so that a refusal leaves no trace.
    const auto oldConfig = ReadConfig();
    int index = -1;
    const TXScreensaverConfig config = Registered(oldConfig, select, index);

    std::error_code ec;
    const bool freshFolder = !fs::exists(folder, ec);
    const bool freshEntry = !fs::exists(MenuEntryPath(), ec);
    try {
        WriteFiles();
        WriteConfig(oldConfig, config);
    } catch (...) {
        // Half an installation is none: what this attempt made goes again.
        if (freshFolder) {
            fs::remove_all(folder, ec);
        }
        if (freshEntry) {
            fs::remove(MenuEntryPath(), ec);
        }
        throw;
    }

    // Where no xscreensaver runs, the idle watcher starts the show.
    const std::string watching = Watcher().Add(Name(), SaverPath(), select, FEnv.Watch);
    const std::string done = "已安装屏幕保护 “" + Title() + "”" +
                             (select ? "，并设为当前屏幕保护" : "") + "。\n" + watching;
    if (FEnv.HostRunning && FEnv.HostRunning()) {
        return done + "\nxscreensaver 正在运行：由它按自己的设置放映屏保。";
    }
    return done;
}

void TShowInstaller::WriteFiles() const {
    const fs::path folder = Folder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        throw std::runtime_error("无法创建文件夹 “" + folder.string() + "”：" +
                                 FileErrorReason(ec.value(), true));
    }
    struct statvfs fsInfo {};
    if (statvfs(folder.c_str(), &fsInfo) == 0 && (fsInfo.f_flag & ST_NOEXEC)) {
        throw std::runtime_error(
            "“" + folder.string() +
            "” 所在的文件系统不允许运行程序（noexec），屏幕保护无法安装在那里。");
    }
    WriteFile(SaverPath(), FReader.PieceBytes(FReader.Ss()), 0755);
    if (fs::weakly_canonical(FReader.FileName(), ec) != fs::weakly_canonical(ShowPath(), ec)) {
        WriteFile(ShowPath(), FReader.PieceBytes({0, FReader.Length()}), 0755);
    }
    std::string icon;
    if (!FEnv.IconPng.empty()) {
        WriteFile(folder / "kavro.png", FEnv.IconPng, 0644);
        icon = "\nIcon=" + (folder / "kavro.png").string();
    }

    std::string name;
    for (const char c : Title()) {
        name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    fs::create_directories(MenuEntryPath().parent_path(), ec);
    WriteFile(MenuEntryPath(),
              "[Desktop Entry]\nType=Application\nName=" + name +
                  "\nComment=Kavro 屏幕保护\nExec=" + ExecQuoted(SaverPath()) + " --play " +
                  ExecQuoted(ShowPath()) + icon +
                  "\nTerminal=false\nCategories=Graphics;\nActions=Uninstall;\n\n"
                  "[Desktop Action Uninstall]\nName=卸载\nExec=" +
                  ExecQuoted(ShowPath()) + " --uninstall\n",
              0644);
}

bool TShowInstaller::Unregister() const {
    const auto oldConfig = ReadConfig();
    if (!oldConfig) {
        return false;
    }
    TXScreensaverConfig config(*oldConfig);
    const bool wasSelected =
        config.Value("mode") == "one" && SelectedIndex(config) == config.FindProgram(Needle());
    const int selected = SelectedIndex(config);
    const int index = config.RemoveProgram(Needle());
    if (index < 0) {
        return false;
    }
    auto note = ReadNote(config);
    // The user's own selection counts entries too: it follows the removal as the live one does.
    if (note && note->Selected) {
        const int kept = std::atoi(note->Selected->c_str());
        if (kept > index) {
            note->Selected = std::to_string(kept - 1);
        }
    }
    if (wasSelected && note) {
        config.SetValue("mode", note->Mode);
        config.SetValue("selected", note->Selected);
        note.reset();
    } else if (selected > index) {
        config.SetValue("selected", std::to_string(selected - 1));
    }
    const auto rest = config.Programs();
    if (note && std::any_of(rest.begin(), rest.end(), IsOurs)) {
        WriteNote(config, *note);
    } else {
        config.SetNote(NoteKey, std::nullopt);
    }
    WriteConfig(oldConfig, config);
    return true;
}

std::string TShowInstaller::Uninstall() {
    TEditLock lock(FEnv.DataHome / "kavro" / "savers" / ".lock");
    const fs::path folder = Folder();
    std::error_code ec;
    bool installed = fs::exists(folder, ec) || fs::exists(MenuEntryPath(), ec);
    installed = Unregister() || installed;
    fs::remove(MenuEntryPath(), ec);
    fs::remove_all(folder, ec);
    if (ec) {
        throw std::runtime_error("无法删除 “" + folder.string() + "”：" +
                                 FileErrorReason(ec.value(), true));
    }
    Watcher().Remove(Name());
    lock.RemoveIfLast();
    return installed ? "已卸载屏幕保护 “" + Title() + "”。"
                     : "屏幕保护 “" + Title() + "” 没有安装。";
}
