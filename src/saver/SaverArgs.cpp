#include "saver/SaverArgs.h"

#include <cstdlib>

const char SaverUsage[] =
    "用法 / usage:\n"
    "  kavro-saver [--root | --window-id ID] [FILE]   在 xscreensaver 的窗口里放映\n"
    "                                                 (play inside xscreensaver's window)\n"
    "  kavro-saver --play FILE                        全屏放映，按键或移动鼠标结束\n"
    "                                                 (play full screen until a key)\n"
    "      [--keep-screen-on MINUTES]                 放映时最多这么多分钟不让桌面黑屏锁屏\n"
    "                                                 (hold the desktop's blanking and lock\n"
    "                                                 off for at most MINUTES of show)\n"
    "  kavro-saver --watch                            闲置时放映当前安装的屏保\n"
    "                                                 (the idle watcher: play the current\n"
    "                                                 installed show when the user is idle)\n"
    "  kavro-saver --help\n"
    "FILE 是 Kavro 做成的屏保文件；省略时放映安装在程序旁边的 show.run。\n";

namespace {

bool ParseWindow(const std::string& text, uint32_t& window) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || value == 0 || value > 0xFFFFFFFFul) {
        return false;
    }
    window = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

TSaverArgs ParseSaverArgs(const std::vector<std::string>& args, const char* environmentWindow) {
    TSaverArgs result;
    auto invalid = [&](const std::string& error) {
        result.Mode = TSaverArgs::Invalid;
        result.Error = error;
        return result;
    };
    bool play = false, root = false, windowGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h" || a == "-help") {
            result.Mode = TSaverArgs::Help;
            return result;
        } else if (a == "--root" || a == "-root") {
            root = true;
        } else if (a == "--window-id" || a == "-window-id") {
            if (i + 1 == args.size() || !ParseWindow(args[i + 1], result.Window)) {
                return invalid(a + " 需要一个窗口号 (needs a window id)");
            }
            windowGiven = true;
            ++i;
        } else if (a == "--play" || a == "-play") {
            if (i + 1 == args.size()) {
                return invalid(a + " 需要一个文件 (needs a file)");
            }
            play = true;
            result.File = args[++i];
        } else if (a == "--keep-screen-on") {
            char* end = nullptr;
            const long minutes =
                i + 1 < args.size() ? std::strtol(args[i + 1].c_str(), &end, 10) : 0;
            if (!end || end == args[i + 1].c_str() || *end != '\0' || minutes < 1 ||
                minutes > 1440) {
                return invalid(a + " 需要 1 到 1440 之间的分钟数 (needs minutes, 1 to 1440)");
            }
            result.KeepScreenOnMinutes = static_cast<int>(minutes);
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            return invalid("未知的参数 (unknown argument): " + a);
        } else if (result.File.empty()) {
            result.File = a;
        } else {
            return invalid("多余的参数 (extra argument): " + a);
        }
    }
    if (play && (root || windowGiven)) {
        return invalid("--play 不能与 --root 或 --window-id 同用");
    }
    const bool hosted = root || windowGiven || (environmentWindow && *environmentWindow);
    if (result.KeepScreenOnMinutes > 0 && !play && hosted) {
        return invalid("--keep-screen-on 只能在全屏放映时用 (only when playing full screen)");
    }
    if (play || !hosted) {
        result.Mode = TSaverArgs::Play;
        return result;
    }
    result.Preview = windowGiven;
    if (!windowGiven && environmentWindow && *environmentWindow) {
        if (!ParseWindow(environmentWindow, result.Window)) {
            return invalid(std::string("XSCREENSAVER_WINDOW 不是窗口号: ") + environmentWindow);
        }
    }
    result.Mode = TSaverArgs::Host;
    return result;
}
