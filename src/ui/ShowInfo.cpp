#include "ui/ShowInfo.h"

#include <cstdio>
#include <sstream>

#include "pack/InstallerReader.h"
#include "settings/ShowExtras.h"

const char* const CornerNames[6] = {
    "top-left", "top", "top-right", "bottom-left", "bottom", "bottom-right"};

namespace {

// A text on one line: backslashes doubled, line ends as \n.
std::string OneLine(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            result += "\\\\";
        } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            result += "\\n";
            ++i;
        } else if (text[i] == '\n' || text[i] == '\r') {
            result += "\\n";
        } else {
            result += text[i];
        }
    }
    return result;
}

// "1-20,22": the allowed effects, runs written as ranges.
std::string EffectList(const TSaverSettings& settings, const TShowExtras& extras) {
    std::string list;
    const int last = TransitionCount + MoreTransitionCount;
    for (int e = 1; e <= last; ++e) {
        if (!TransitionAllowed(settings, extras, e)) {
            continue;
        }
        int end = e;
        while (end < last && TransitionAllowed(settings, extras, end + 1)) {
            ++end;
        }
        list += (list.empty() ? "" : ",") + std::to_string(e);
        if (end > e) {
            list += (end == e + 1 ? "," : "-") + std::to_string(end);
        }
        e = end;
    }
    return list.empty() ? "none" : list;
}

const char* YesNo(bool on) {
    return on ? "yes" : "no";
}

}  // namespace

std::string DescribeShow(const TInstallerReader& reader) {
    const TSaverSettings s = reader.Settings();
    const TShowExtras extras = ReadShowExtras(s);
    std::ostringstream out;
    char color[8];
    std::snprintf(color,
                  sizeof color,
                  "%02X%02X%02X",
                  ColorRed(s.BackColor),
                  ColorGreen(s.BackColor),
                  ColorBlue(s.BackColor));
    const double seconds = extras.TransitionHalfSeconds / 2.0;
    out << "file: " << reader.FileName() << "\n"
        << "title: " << OneLine(reader.Title()) << "\n"
        << "pictures: " << reader.PictureCount() << "\n"
        << "size: " << (s.StretchImages ? "fit" : "natural") << "\n"
        << "interval: " << s.IntervalSeconds << "\n"
        << "order: "
        << (extras.Shuffle      ? "shuffle"
            : s.SequentialOrder ? "normal"
                                : "random")
        << "\n"
        << "background: " << color << "\n"
        << "effects: " << EffectList(s, extras) << "\n"
        << "transition-seconds: " << seconds << "\n"
        << "motion: " << YesNo(extras.PanZoom) << "\n"
        << "fill: " << (extras.Fill == TShowExtras::fmBlur ? "blur" : "colour") << "\n"
        << "title-screen: " << YesNo(s.Description.ShowDescription) << "\n"
        << "description: " << OneLine(ReadFieldUtf8(s.Description.DescriptionText)) << "\n"
        << "web: " << OneLine(ReadFieldUtf8(s.Description.WebAddress)) << "\n"
        << "company: " << OneLine(ReadFieldUtf8(s.Description.CompanyName)) << "\n"
        << "rights: " << OneLine(ReadFieldUtf8(s.Description.RightsNotice)) << "\n"
        << "sound: ";
    if (reader.HasSound()) {
        out << reader.SoundExt() << " " << reader.Trailer().SoundSize << "\n";
    } else {
        out << "none\n";
    }
    out << "dates: " << (extras.ShowDates ? CornerNames[extras.DateCorner] : "no") << "\n"
        << "each-screen: " << YesNo(extras.EachScreenDifferent) << "\n"
        << "shrink: " << YesNo(extras.ShrinkPictures) << "\n";
    for (int i = 0; i < reader.PictureCount(); ++i) {
        const std::string caption =
            i < MaxPictures ? ReadFieldUtf8(s.PictureTexts[i].Text) : std::string();
        out << "picture: " << i + 1 << " "
            << (reader.PictureExt(i).empty() ? "-" : reader.PictureExt(i)) << " "
            << reader.PictureBytes(i).size() << (caption.empty() ? "" : " ") << OneLine(caption)
            << "\n";
    }
    return out.str();
}
