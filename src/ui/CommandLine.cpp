#include "ui/CommandLine.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <QString>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "pack/BuildInstaller.h"
#include "pack/InstallerReader.h"
#include "settings/CodePage.h"
#include "toolkit/FileExt.h"
#include "toolkit/PictureFormats.h"
#include "ui/FileDrop.h"
#include "ui/ProgramFolders.h"
#include "ui/ShowInfo.h"
#include "ui/WizardRules.h"

const char KavroUsage[] =
    "用法 / usage:\n"
    "  kavro [FILE]                          打开向导；FILE 是要修改的屏保文件\n"
    "                                        (the wizard; FILE: a show to change)\n"
    "  kavro --create OUT.run [选项] 图片...  不开窗口，做成屏保文件\n"
    "                                        (make a show file without the window)\n"
    "  kavro --info FILE                     列出屏保文件的内容 (describe a show file)\n"
    "  kavro --help\n"
    "\n"
    "图片 / PICTURE: JPEG、BMP、PNG、WebP、HEIC 文件，最多 255 张；文件夹按名称顺序加入其中的图片\n"
    "                (picture files, at most 255; a folder adds its pictures in name order)\n"
    "\n"
    "--create 的选项 / options (默认同向导 / defaults as in the wizard):\n"
    "  --title TEXT               标题；默认为输出文件名 (title; default: the output's name)\n"
    "  --caption N TEXT           第 N 张图片的文字，从 1 数起 (caption of picture N)\n"
    "  --sound FILE               背景声音 .mp3 .wav .mid .rmi (background sound)\n"
    "  --interval SECONDS         每张图片停留的秒数 1..60，默认 5 (seconds a picture stays)\n"
    "  --order normal|random|shuffle\n"
    "                             正常 / 随机 / 随机(不重复)，默认 normal (picture order)\n"
    "  --size natural|fit         原始大小 / 扩展全屏，默认 natural (picture size)\n"
    "  --background RRGGBB        背景颜色，默认 0080FF (background colour)\n"
    "  --effects LIST             过渡效果的编号，如 1,5,9-12,21；默认 1-20\n"
    "                             (transition effects by number, 1..23)\n"
    "  --transition-seconds X     过渡时间 0.5..3，步长 0.5，默认 1 (transition time)\n"
    "  --motion                   缓慢推移缩放 (slow pan and zoom)\n"
    "  --fill colour|blur         背景颜色 / 模糊背景，默认 colour (what fills the rest)\n"
    "  --title-screen TEXT        显示标题画面和这段描述 (show the title screen with TEXT)\n"
    "  --no-title-screen          不显示标题画面，默认 (no title screen, the default)\n"
    "  --web TEXT  --company TEXT  --rights TEXT\n"
    "                             标题画面上的网址、公司名称、版权信息 (title screen lines)\n"
    "  --dates                    显示拍摄日期 (the date a photo was taken)\n"
    "  --date-corner top-left|top|top-right|bottom-left|bottom|bottom-right\n"
    "                             日期的位置，默认 bottom-right (where the date goes)\n"
    "  --each-screen              每个屏幕显示不同的图片 (a different picture on each screen)\n"
    "  --shrink                   缩小大图片到 3840×2160 以内 (shrink large pictures)\n"
    "  --                         其后都是图片 (only pictures follow)\n"
    "\n"
    "退出码 / exit status: 0 完成 (done), 1 失败 (failed), 2 用法错误 (bad usage)\n";

namespace {

bool IsDir(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ParseInt(const std::string& text, int low, int high, int& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// "1,5,9-12": numbers and ranges of effects, each 1 .. 23.
bool ParseEffects(const std::string& text, std::vector<int>& effects) {
    const int last = TransitionCount + MoreTransitionCount;
    std::vector<bool> chosen(last + 1, false);
    std::stringstream items(text);
    std::string item;
    bool any = false;
    while (std::getline(items, item, ',')) {
        const size_t dash = item.find('-');
        int from = 0, to = 0;
        if (dash == std::string::npos ? !ParseInt(item, 1, last, from)
                                      : !ParseInt(item.substr(0, dash), 1, last, from) ||
                                            !ParseInt(item.substr(dash + 1), from, last, to)) {
            return false;
        }
        to = dash == std::string::npos ? from : to;
        for (int e = from; e <= to; ++e) {
            chosen[e] = true;
        }
        any = true;
    }
    if (!any || text.back() == ',') {
        return false;
    }
    effects.clear();
    for (int e = 1; e <= last; ++e) {
        if (chosen[e]) {
            effects.push_back(e);
        }
    }
    return true;
}

bool ParseColor(std::string text, TColor& color) {
    if (!text.empty() && text[0] == '#') {
        text.erase(0, 1);
    }
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
    color = RGBColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

// 0.5 .. 3 in steps of 0.5, as half seconds.
bool ParseHalfSeconds(const std::string& text, int& halves) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    const double twice = seconds * 2;
    if (text.empty() || *end != '\0' || twice != std::floor(twice) ||
        twice < MinTransitionHalfSeconds || twice > MaxTransitionHalfSeconds) {
        return false;
    }
    halves = static_cast<int>(twice);
    return true;
}

// Line ends as the record keeps them: CR LF.
std::string WithCrLf(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            result += '\r';
        }
        result += text[i];
    }
    return result;
}

}  // namespace

bool IsCommandLine(const std::vector<std::string>& args) {
    return !args.empty() && (args[0].rfind("--", 0) == 0 || args[0] == "-h");
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine c;
    auto invalid = [&c](const std::string& error) {
        c.Mode = TCommandLine::Invalid;
        c.Error = error;
        return c;
    };
    if (!IsCommandLine(args)) {
        if (args.size() > 1) {
            return invalid("多余的参数 (extra argument): " + args[1]);
        }
        c.File = args.empty() ? "" : args[0];
        return c;
    }
    const std::string& mode = args[0];
    if (mode == "--help" || mode == "-h") {
        c.Mode = TCommandLine::Help;
        return c;
    }
    if (mode == "--info") {
        if (args.size() != 2) {
            return invalid(args.size() < 2 ? "--info 需要一个文件 (needs a file)"
                                           : "多余的参数 (extra argument): " + args[2]);
        }
        c.Mode = TCommandLine::Info;
        c.File = args[1];
        return c;
    }
    if (mode != "--create") {
        return invalid("未知的参数 (unknown argument): " + mode);
    }
    if (args.size() < 2 || args[1].empty() || args[1][0] == '-') {
        return invalid("--create 需要输出文件名 (needs the output file)");
    }
    c.Mode = TCommandLine::Create;
    c.File = args[1];
    std::vector<std::pair<int, std::string>> captions;
    bool onlyPictures = false;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPictures || a.empty() || a[0] != '-') {
            if (IsDir(a)) {
                for (std::string& picture : PicturesInFolder(a)) {
                    c.Pictures.push_back(std::move(picture));
                }
            } else if (FindPictureFormat(FileExtLower(a)) != nullptr) {
                c.Pictures.push_back(a);
            } else {
                return invalid("不是图片或文件夹 (not a picture or folder): " + a);
            }
            continue;
        }
        // An option and the values it takes.
        auto value = [&](int n = 1) -> const std::string* {
            if (i + n >= args.size()) {
                return nullptr;
            }
            i += n;
            return &args[i - n + 1];
        };
        const std::string* v = nullptr;
        if (a == "--") {
            onlyPictures = true;
        } else if (a == "--title") {
            if (!(v = value())) {
                return invalid("--title 需要一段文字 (needs a text)");
            }
            c.Title = *v;
            c.TitleGiven = true;
        } else if (a == "--caption") {
            int n = 0;
            if (!(v = value(2)) || !ParseInt(*v, 1, MaxPictures, n)) {
                return invalid("--caption 需要图片编号 1..255 和文字 (needs N and a text)");
            }
            captions.emplace_back(n, *(v + 1));
        } else if (a == "--sound") {
            if (!(v = value())) {
                return invalid("--sound 需要一个声音文件 (needs a sound file)");
            }
            const std::string ext = FileExtLower(*v);
            if (ext != ".mp3" && ext != ".wav" && ext != ".mid" && ext != ".rmi") {
                return invalid("--sound 只接受 .mp3 .wav .mid .rmi (takes only these): " + *v);
            }
            c.SoundFile = *v;
        } else if (a == "--interval") {
            if (!(v = value()) || !ParseInt(*v, 1, 60, c.IntervalSeconds)) {
                return invalid("--interval 需要 1..60 秒 (needs 1..60 seconds)");
            }
        } else if (a == "--order") {
            v = value();
            if (!v || (*v != "normal" && *v != "random" && *v != "shuffle")) {
                return invalid("--order 需要 normal、random 或 shuffle");
            }
            c.SequentialOrder = *v == "normal";
            c.Extras.Shuffle = *v == "shuffle";
        } else if (a == "--size") {
            v = value();
            if (!v || (*v != "natural" && *v != "fit")) {
                return invalid("--size 需要 natural 或 fit");
            }
            c.Fit = *v == "fit";
        } else if (a == "--background") {
            if (!(v = value()) || !ParseColor(*v, c.BackColor)) {
                return invalid("--background 需要 RRGGBB 形式的颜色 (needs a colour as RRGGBB)");
            }
        } else if (a == "--effects") {
            if (!(v = value()) || !ParseEffects(*v, c.Effects)) {
                return invalid("--effects 需要 1..23 的编号，如 1,5,9-12 (needs effect numbers)");
            }
        } else if (a == "--transition-seconds") {
            if (!(v = value()) || !ParseHalfSeconds(*v, c.Extras.TransitionHalfSeconds)) {
                return invalid("--transition-seconds 需要 0.5..3，步长 0.5 (needs 0.5..3)");
            }
        } else if (a == "--motion") {
            c.Extras.PanZoom = true;
        } else if (a == "--fill") {
            v = value();
            if (!v || (*v != "blur" && *v != "colour" && *v != "color")) {
                return invalid("--fill 需要 colour 或 blur");
            }
            c.Extras.Fill = *v == "blur" ? TShowExtras::fmBlur : TShowExtras::fmColour;
        } else if (a == "--title-screen") {
            if (!(v = value())) {
                return invalid("--title-screen 需要一段描述 (needs a text)");
            }
            c.ShowDescription = true;
            c.DescriptionText = *v;
        } else if (a == "--no-title-screen") {
            c.ShowDescription = false;
        } else if (a == "--web" || a == "--company" || a == "--rights") {
            if (!(v = value())) {
                return invalid(a + " 需要一段文字 (needs a text)");
            }
            (a == "--web" ? c.WebAddress : a == "--company" ? c.CompanyName : c.RightsNotice) = *v;
        } else if (a == "--dates") {
            c.Extras.ShowDates = true;
        } else if (a == "--date-corner") {
            v = value();
            int corner = -1;
            for (int k = 0; v && k < 6; ++k) {
                corner = *v == CornerNames[k] ? k : corner;
            }
            if (corner < 0) {
                return invalid(
                    "--date-corner 需要 top-left、top、top-right、bottom-left、"
                    "bottom 或 bottom-right");
            }
            c.Extras.DateCorner = static_cast<TTextPosition>(corner);
        } else if (a == "--each-screen") {
            c.Extras.EachScreenDifferent = true;
        } else if (a == "--shrink") {
            c.Extras.ShrinkPictures = true;
        } else {
            return invalid("未知的参数 (unknown argument): " + a);
        }
    }
    if (c.Pictures.empty()) {
        return invalid("--create 需要至少一张图片 (needs at least one picture)");
    }
    if (c.Pictures.size() > static_cast<size_t>(MaxPictures)) {
        return invalid("图片超过 255 张 (more than 255 pictures): " +
                       std::to_string(c.Pictures.size()));
    }
    for (const auto& [n, text] : captions) {
        if (n > static_cast<int>(c.Pictures.size())) {
            return invalid("--caption " + std::to_string(n) + ": 没有第 " + std::to_string(n) +
                           " 张图片 (no such picture)");
        }
        c.Captions[n - 1] = text;
    }
    // Shuffle is an order of its own: a later --order normal or random undoes it.
    c.Extras.Shuffle = c.Extras.Shuffle && !c.SequentialOrder;
    return c;
}

TSaverSettings CommandLineSettings(const TCommandLine& command) {
    TSaverSettings settings;
    InitSaverSettings(settings);
    for (const auto& [index, text] : command.Captions) {
        WriteFieldUtf8(settings.PictureTexts[index].Text, WithCrLf(text));
    }
    TShowExtras extras = command.Extras;
    if (!command.Effects.empty()) {
        std::memset(settings.Transitions, 0, sizeof settings.Transitions);
        for (int e : command.Effects) {
            if (e <= TransitionCount) {
                settings.Transitions[e - 1] = 1;
            } else {
                extras.MoreTransitions[e - TransitionCount - 1] = true;
            }
        }
    }
    TSaverDescription& d = settings.Description;
    d.ShowDescription = command.ShowDescription ? 1 : 0;
    WriteFieldUtf8(d.DescriptionText, WithCrLf(command.DescriptionText));
    WriteFieldUtf8(d.WebAddress, command.WebAddress);
    WriteFieldUtf8(d.CompanyName, command.CompanyName);
    WriteFieldUtf8(d.RightsNotice, command.RightsNotice);

    TWizardControls controls;
    controls.Title = QString::fromStdString(command.Title);
    controls.PictureCount = static_cast<int>(command.Pictures.size());
    controls.BackColor = command.BackColor;
    controls.ImageSizeIndex = command.Fit ? 1 : 0;
    controls.IntervalSeconds = static_cast<int16_t>(command.IntervalSeconds);
    controls.SequentialOrder = command.SequentialOrder;
    controls.SoundFile = command.SoundFile;
    CopyControlsToSettings(controls, settings);
    WriteShowExtras(settings, extras);
    return settings;
}

void CreateShow(const TCommandLine& command, const std::string& programDir) {
    const std::string title = Utf8ToGbk(command.Title);
    // The output's own folder is the one made when missing, not the wizard's default folder.
    const size_t slash = command.File.rfind('/');
    const std::string outputDir =
        slash == std::string::npos ? "./" : command.File.substr(0, slash + 1);
    BuildInstaller(command.File,
                   title,
                   StubDir(programDir),
                   CommandLineSettings(command),
                   command.Pictures,
                   command.SoundFile,
                   outputDir,
                   [] {});
}

int RunCommandLine(const std::vector<std::string>& args,
                   const std::string& programDir,
                   std::ostream& out,
                   std::ostream& err) {
    TCommandLine command = ParseCommandLine(args);
    try {
        switch (command.Mode) {
            case TCommandLine::Help:
                out << KavroUsage;
                return 0;
            case TCommandLine::Invalid:
                err << "kavro: " << command.Error << "\n"
                    << "kavro --help 列出全部选项 (lists every option)\n";
                return 2;
            case TCommandLine::Info:
                out << DescribeShow(TInstallerReader(command.File));
                return 0;
            case TCommandLine::Create: {
                if (!command.TitleGiven) {
                    command.Title = QFileInfo(QString::fromStdString(command.File))
                                        .completeBaseName()
                                        .toStdString();
                }
                // As the wizard warns before it stores them, but a script is not stopped.
                std::vector<std::string> texts = {command.Title,
                                                  command.DescriptionText,
                                                  command.WebAddress,
                                                  command.CompanyName,
                                                  command.RightsNotice};
                for (const auto& [index, text] : command.Captions) {
                    texts.push_back(text);
                }
                for (const std::string& text : texts) {
                    for (const std::string& lost : GbkMissingCharacters(text)) {
                        err << "kavro: GBK 不能保存“" << lost << "”，存为“?” (stored as ?)\n";
                    }
                }
                CreateShow(command, programDir);
                return 0;
            }
            case TCommandLine::Wizard:
                return 2;
        }
    } catch (const std::exception& error) {
        err << "kavro: " << error.what() << "\n";
        return 1;
    }
    return 2;
}
