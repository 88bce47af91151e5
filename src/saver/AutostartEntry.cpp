#include "saver/AutostartEntry.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "saver/DesktopDelay.h"

namespace fs = std::filesystem;

namespace {

// A path as one argument of a desktop entry's Exec line.
std::string ExecArgument(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quoted + "\"";
}

bool GraphicalSession() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return true;
        }
    }
    return false;
}

void RemoveIfEmpty(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec) && fs::is_empty(folder, ec)) {
        fs::remove(folder, ec);
    }
}

// "N 分钟" (to a tenth), or "N 秒" below a minute.
std::string Delay(int seconds) {
    if (seconds < 60) {
        return std::to_string(seconds) + " 秒";
    }
    if (seconds % 60 == 0) {
        return std::to_string(seconds / 60) + " 分钟";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f 分钟", seconds / 60.0);
    return text;
}

}  // namespace

void WriteFileAtomically(const fs::path& path, const std::string& bytes, fs::perms mode) {
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

TAutostartEntry::TAutostartEntry(const fs::path& dataHome,
                                 const fs::path& configHome,
                                 const fs::path& runtime)
    : FPaths{dataHome, runtime}, FConfigHome(configHome) {}

fs::path TAutostartEntry::EntryPath() const {
    return FConfigHome / "autostart" / "kavro-watcher.desktop";
}

TWatcherState TAutostartEntry::State() const {
    return TWatcherState::Parse(ReadWholeFile(FPaths.Config()).value_or(""));
}

void TAutostartEntry::Save(const TWatcherState& state) const {
    WriteFileAtomically(FPaths.Config(), state.Text(), fs::perms(0644));
}

int TAutostartEntry::IdleAfterSeconds() const {
    return State().IdleAfterSeconds.value_or(
        DefaultIdleAfterSeconds(TDesktopSettings::FromProcess()));
}

std::string TAutostartEntry::Add(const std::string& name,
                                 const fs::path& saverProgram,
                                 bool select,
                                 const TWatchOptions& options) {
    TWatcherState state = State();
    std::error_code ec;
    // The folders we make are ours to take away again at the end.
    for (const fs::path& folder : {FConfigHome, FConfigHome / "autostart"}) {
        if (!fs::exists(folder, ec)) {
            fs::create_directories(folder, ec);
            if (ec) {
                throw std::runtime_error("无法创建文件夹 “" + folder.string() + "”：" +
                                         ec.message());
            }
            state.Created.push_back(folder.string());
        }
    }
    fs::create_directories(FPaths.Root(), ec);
    const auto program = ReadWholeFile(saverProgram);
    if (!program) {
        throw std::runtime_error("无法读取 “" + saverProgram.string() + "”");
    }
    WriteFileAtomically(FPaths.Program(), *program, fs::perms(0755));
    state.Add(name, select);
    if (options.IdleAfterSeconds) {
        state.IdleAfterSeconds = options.IdleAfterSeconds;
    }
    if (options.KeepScreenOnMinutes) {
        state.KeepScreenOnMinutes = *options.KeepScreenOnMinutes;
    }
    Save(state);
    const std::string entry =
        "[Desktop Entry]\nType=Application\nName=Kavro 屏幕保护\n"
        "Comment=闲置时放映当前的 Kavro 屏幕保护\nExec=" +
        ExecArgument(FPaths.Program().string()) + " --watch\nTryExec=" + FPaths.Program().string() +
        "\nTerminal=false\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n";
    if (ReadWholeFile(EntryPath()) != entry) {
        WriteFileAtomically(EntryPath(), entry, fs::perms(0644));
    }

    // The running watcher read its delay when it started: a new one reads the new state.
    StopWatcher();
    const int seconds = IdleAfterSeconds();
    std::string line = "闲置 " + Delay(seconds) + "后开始放映";
    if (state.KeepScreenOnMinutes > 0) {
        line += "，放映时最多 " + std::to_string(state.KeepScreenOnMinutes) + " 分钟推迟桌面的锁屏";
    }
    line += "。";
    if (options.StartNow && GraphicalSession()) {
        StartWatcher();
    }
    if (!CompositorConfigLine().empty()) {
        line += "\n这个桌面不读自动启动项：请把这一行加入 " + CompositorConfigFile().string() +
                "：\n" + CompositorConfigLine();
    }
    return line;
}

void TAutostartEntry::Remove(const std::string& name) {
    if (!fs::exists(FPaths.Config())) {
        return;
    }
    TWatcherState state = State();
    state.Remove(name);
    if (!state.Shows.empty()) {
        Save(state);
        return;
    }
    StopWatcher();
    RestoreCompositorConfig(state);
    std::error_code ec;
    fs::remove(EntryPath(), ec);
    fs::remove(FPaths.Program(), ec);
    fs::remove(FPaths.Config(), ec);
    fs::remove(FPaths.Lock(), ec);
    RemoveIfEmpty(FPaths.Root() / "savers");
    RemoveIfEmpty(FPaths.Root());
    for (auto it = state.Created.rbegin(); it != state.Created.rend(); ++it) {
        RemoveIfEmpty(*it);
    }
}

fs::path TAutostartEntry::OriginalCompositorConfig() const {
    return FPaths.Root() / "compositor-config.before";
}

fs::path TAutostartEntry::OursCompositorConfig() const {
    return FPaths.Root() / "compositor-config.ours";
}

void TAutostartEntry::AddToCompositorConfig(const fs::path& systemConfig) {
    const std::string line = CompositorConfigLine();
    TWatcherState state = State();
    if (line.empty() || state.Shows.empty()) {
        return;
    }
    const fs::path file = CompositorConfigFile();
    const std::optional<std::string> before = ReadWholeFile(file);
    if (before && before->find(line) != std::string::npos) {
        return;
    }
    std::string text = before ? *before : ReadWholeFile(systemConfig).value_or("");
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    text += "# Kavro 屏幕保护的闲置监视程序\n" + line + "\n";
    std::error_code ec;
    if (!fs::exists(file.parent_path(), ec)) {
        fs::create_directories(file.parent_path(), ec);
        state.Created.push_back(file.parent_path().string());
    }
    if (state.CompositorConfig.empty()) {
        state.CompositorConfig = file.string();
        state.CompositorConfigExisted = before.has_value();
        if (before) {
            WriteFileAtomically(OriginalCompositorConfig(), *before, fs::perms(0600));
        }
    }
    WriteFileAtomically(OursCompositorConfig(), text, fs::perms(0600));
    Save(state);
    WriteFileAtomically(file, text, fs::perms(0644));
}

void TAutostartEntry::RestoreCompositorConfig(const TWatcherState& state) const {
    if (state.CompositorConfig.empty()) {
        return;
    }
    const fs::path file = state.CompositorConfig;
    const auto now = ReadWholeFile(file);
    const auto ours = ReadWholeFile(OursCompositorConfig());
    std::error_code ec;
    if (now && ours && *now == *ours) {
        // Untouched since: exactly as it was, or gone as it was.
        if (state.CompositorConfigExisted) {
            WriteFileAtomically(
                file, ReadWholeFile(OriginalCompositorConfig()).value_or(""), fs::perms(0644));
        } else {
            fs::remove(file, ec);
        }
    } else if (now) {
        // The user changed it since: only our lines go.
        std::string text = *now;
        const std::string block =
            "# Kavro 屏幕保护的闲置监视程序\n" + CompositorConfigLine() + "\n";
        const size_t at = text.find(block);
        if (at != std::string::npos) {
            text.erase(at, block.size());
            WriteFileAtomically(file, text, fs::perms(0644));
        }
    }
    fs::remove(OriginalCompositorConfig(), ec);
    fs::remove(OursCompositorConfig(), ec);
}

bool TAutostartEntry::WatcherRunning() const {
    const int fd = open(FPaths.Lock().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
    close(fd);
    return held;
}

std::string TAutostartEntry::WatcherStatus(const std::string& key) const {
    if (!WatcherRunning()) {
        return "";
    }
    std::istringstream lines(ReadWholeFile(FPaths.Status()).value_or(""));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + ": ", 0) == 0) {
            return line.substr(key.size() + 2);
        }
    }
    return "";
}

std::string TAutostartEntry::CompositorConfigLine() const {
    const std::string desktop = DesktopName(TDesktopSettings::FromProcess());
    if (desktop == "sway") {
        return "exec " + ExecArgument(FPaths.Program().string()) + " --watch";
    }
    if (desktop == "Hyprland") {
        return "exec-once = " + ExecArgument(FPaths.Program().string()) + " --watch";
    }
    return "";
}

fs::path TAutostartEntry::CompositorConfigFile() const {
    const std::string desktop = DesktopName(TDesktopSettings::FromProcess());
    return desktop == "Hyprland" ? FConfigHome / "hypr/hyprland.conf" : FConfigHome / "sway/config";
}

void TAutostartEntry::StartWatcher() const {
    const std::string program = FPaths.Program().string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--watch"), nullptr};
    // Twice forked and in a session of its own: it outlives us and leaves no zombie behind.
    const pid_t first = fork();
    if (first == 0) {
        setsid();
        if (fork() == 0) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            execv(argv[0], argv);
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    if (first > 0) {
        waitpid(first, &status, 0);
    }
    // Ready once it holds its lock (or has given up, when the session offers no idle source).
    for (int i = 0; i < 40 && !WatcherRunning(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void TAutostartEntry::StopWatcher() const {
    if (!WatcherRunning()) {
        return;
    }
    const pid_t pid = std::atoi(ReadWholeFile(FPaths.Lock()).value_or("0").c_str());
    if (pid <= 1 || kill(pid, SIGTERM) != 0) {
        return;
    }
    for (int i = 0; i < 60 && WatcherRunning(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
