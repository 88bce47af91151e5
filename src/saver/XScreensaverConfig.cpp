#include "saver/XScreensaverConfig.h"

#include <algorithm>

namespace {

// The header of a programs: resource we add ourselves, as xscreensaver's settings tool writes it.
constexpr char OurHeader[] = "programs:\t\t\t\t\t\t\t      \\";
constexpr char NotePrefix[] = "# Kavro ";

bool Space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool Blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::string Strip(const std::string& s) {
    size_t first = 0, last = s.size();
    while (first < last && Space(s[first])) {
        ++first;
    }
    while (last > first && Space(s[last - 1])) {
        --last;
    }
    return s.substr(first, last - first);
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// "\n", "\r", "\t" become their characters, any other backslash stands for the character after
// it, and a backslash at the end ends the text.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) {
            break;
        }
        const char c = s[i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

}  // namespace

TXScreensaverConfig::TXScreensaverConfig(std::string text) : FText(std::move(text)) {}

std::string TXScreensaverConfig::Minimal() {
    return "# XScreenSaver preferences: savers added by Kavro come first, the system's follow.\n";
}

size_t TXScreensaverConfig::LineEnd(size_t begin) const {
    const size_t end = FText.find('\n', begin);
    return end == std::string::npos ? FText.size() : end;
}

std::vector<TXScreensaverConfig::TLogical> TXScreensaverConfig::Parse() const {
    std::vector<TLogical> settings;
    size_t pos = 0;
    while (pos < FText.size()) {
        TLogical setting;
        setting.Begin = pos;
        std::string line;
        const auto take = [&] {
            setting.Lines.push_back(pos);
            const size_t end = std::min(LineEnd(pos) + 1, FText.size());
            line.append(FText, pos, end - pos);
            pos = end;
        };
        take();
        // Joined as xscreensaver joins them: a backslash before the newline swallows both, and
        // the last line of a file without a final newline loses its last two characters when
        // the first of them is a backslash.
        while (line.size() > 2 && (line.back() != '\n' || line[line.size() - 2] == '\\')) {
            const bool joined = line[line.size() - 2] == '\\';
            const bool newline = line.back() == '\n';
            if (joined) {
                line.resize(line.size() - 2);
            }
            if (pos >= FText.size()) {
                setting.DanglingContinuation = joined && newline;
                break;
            }
            take();
        }
        setting.End = pos;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        const std::string text = Unescape(line);
        const std::string key = Strip(text);
        if (!key.empty() && key[0] != '#' && key[0] != '!' && key[0] != ';') {
            const size_t colon = key.find(':');
            if (colon == std::string::npos) {
                setting.Unparsable = true;
            } else {
                setting.Name = Lower(key.substr(0, colon));
                setting.Value = Strip(key.substr(colon + 1));
                setting.Unstripped = text.substr(text.find(':') + 1);
            }
        }
        settings.push_back(std::move(setting));
    }
    return settings;
}

std::optional<TXScreensaverConfig::TLogical> TXScreensaverConfig::Last(
    const std::string& name) const {
    std::optional<TLogical> found;
    for (TLogical& setting : Parse()) {
        if (setting.Name == name) {
            found = std::move(setting);
        }
    }
    return found;
}

std::string TXScreensaverConfig::Obstacle() const {
    if (FText.find("\r\n") != std::string::npos) {
        return "它的行以 Windows 的回车换行（CRLF）结尾，xscreensaver 读不出其中跨行的设置；"
               "请先把它转成 Unix 的换行（例如用 dos2unix）再安装";
    }
    const auto settings = Parse();
    for (size_t i = 0; i + 1 < settings.size(); ++i) {
        if (settings[i].Name == "programs" && settings[i + 1].Unparsable) {
            const size_t next = settings[i + 1].Begin;
            const auto lastLine = std::count(FText.begin(), FText.begin() + next, '\n');
            return "xscreensaver 读到第 " + std::to_string(lastLine) +
                   " 行就结束了屏保列表（这一行末尾的 “\\” 后面还有别的字符），第 " +
                   std::to_string(lastLine + 1) + " 行起的内容它读不懂；请先修正第 " +
                   std::to_string(lastLine) + " 行再安装";
        }
    }
    return {};
}

std::vector<std::string> TXScreensaverConfig::Programs() const {
    std::vector<std::string> entries;
    const auto programs = Last("programs");
    if (!programs) {
        return entries;
    }
    const std::string& value = programs->Value;
    size_t start = 0;
    while (start <= value.size()) {
        const size_t end = std::min(value.find('\n', start), value.size());
        size_t first = start;
        while (first < end &&
               (value[first] == ' ' || value[first] == '\t' || value[first] == ',')) {
            ++first;
        }
        size_t last = end;
        while (last > first && (value[last - 1] == ' ' || value[last - 1] == '\t')) {
            --last;
        }
        if (first < last) {
            entries.push_back(value.substr(first, last - first));
        }
        start = end + 1;
    }
    return entries;
}

int TXScreensaverConfig::FindProgram(const std::string& needle) const {
    const auto entries = Programs();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].find(needle) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

size_t TXScreensaverConfig::EndInsertion(std::string& line) const {
    const auto settings = Parse();
    if (settings.empty()) {
        return FText.size();
    }
    // A line of ours after one that continues would become part of it.
    const TLogical& last = settings.back();
    const size_t lastLine = last.Lines.back();
    const bool endsInBackslash =
        LineEnd(lastLine) > lastLine && FText[LineEnd(lastLine) - 1] == '\\';
    if (last.DanglingContinuation || (FText.back() != '\n' && endsInBackslash)) {
        return last.Begin;
    }
    if (FText.back() != '\n') {
        // The file keeps ending without a newline: ours goes before the line instead of after.
        line = "\n" + line.substr(0, line.size() - 1);
    }
    return FText.size();
}

void TXScreensaverConfig::RemoveLine(size_t begin) {
    const size_t end = LineEnd(begin);
    if (end < FText.size()) {
        FText.erase(begin, end + 1 - begin);
    } else if (begin > 0) {
        FText.erase(begin - 1, end - begin + 1);  // the newline we put before it
    } else {
        FText.erase(begin, end - begin);
    }
}

int TXScreensaverConfig::SetProgram(const std::string& needle, const std::string& entry) {
    const int found = FindProgram(needle);
    if (found >= 0) {
        return found;
    }
    const int index = ProgramCount();
    const auto programs = Last("programs");
    if (!programs) {
        std::string added = std::string(OurHeader) + "\n" + entry + "\t\\n\n";
        const size_t at = EndInsertion(added);
        FText.insert(at, added);
        return index;
    }
    const size_t lastLine = programs->Lines.back();
    const size_t lastEnd = LineEnd(lastLine);
    const std::string content = FText.substr(lastLine, lastEnd - lastLine);
    if (programs->DanglingContinuation) {
        // The file ends on a continuation: ours follows it and keeps one going.
        FText.insert(programs->End, entry + "\t\\n\\\n");
    } else if (lastEnd == FText.size() && !content.empty() && content.back() == '\\') {
        FText.insert(lastEnd, "\n" + entry + "\t\\n\\");
    } else if (programs->Lines.size() > 1 && Blank(content)) {
        // The resource ends on an empty line after a continuation: ours goes before it.
        FText.insert(lastLine, entry + "\t\\n\\\n");
    } else {
        // Ours joins the last line through a continuation that is part of our addition, with
        // the entries' separator too when the last entry does not end in one.
        std::string tail = programs->Unstripped;
        while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\t')) {
            tail.pop_back();
        }
        const bool separate = !Strip(tail).empty() && tail.back() != '\n';
        FText.insert(lastEnd, std::string("\\\n") + (separate ? "\\n" : "") + entry + "\t\\n");
    }
    return index;
}

int TXScreensaverConfig::RemoveProgram(const std::string& needle) {
    const int index = FindProgram(needle);
    const auto programs = Last("programs");
    if (index < 0 || !programs) {
        return -1;
    }
    size_t line = std::string::npos;
    for (size_t k = 1; k < programs->Lines.size() && line == std::string::npos; ++k) {
        const size_t begin = programs->Lines[k];
        if (FText.substr(begin, LineEnd(begin) - begin).find(needle) != std::string::npos) {
            line = begin;
        }
    }
    if (line == std::string::npos) {
        return -1;  // on the header line: written by hand, not ours to take apart
    }
    const size_t end = LineEnd(line);
    const std::string content = FText.substr(line, end - line);
    const size_t header = programs->Lines[0];
    if (programs->Lines.size() == 2 &&
        FText.compare(header, LineEnd(header) - header, OurHeader) == 0) {
        // The resource we added for it: both lines go.
        if (programs->End < FText.size() || FText.back() == '\n' || header == 0) {
            FText.erase(header, programs->End - header);
        } else {
            FText.erase(header - 1, programs->End - header + 1);
        }
    } else if (!content.empty() && content.back() == '\\') {
        RemoveLine(line);
    } else {
        // The last entry: with it goes the continuation before it that joined it.
        FText.erase(line - 2, end - line + 2);
    }
    return index;
}

std::optional<std::string> TXScreensaverConfig::Value(const std::string& name) const {
    const auto setting = Last(name);
    return setting ? std::optional<std::string>(setting->Value) : std::nullopt;
}

std::optional<std::string> TXScreensaverConfig::RawValue(const std::string& name) const {
    const auto setting = Last(name);
    if (!setting) {
        return std::nullopt;
    }
    size_t start = FText.find(':', setting->Begin) + 1;
    while (start < setting->End && (FText[start] == ' ' || FText[start] == '\t')) {
        ++start;
    }
    size_t end = setting->End;
    if (end > start && FText[end - 1] == '\n') {
        --end;
    }
    return FText.substr(start, end - start);
}

void TXScreensaverConfig::SetValue(const std::string& name, const std::optional<std::string>& raw) {
    const auto setting = Last(name);
    if (setting && !raw) {
        if (FText[setting->End - 1] == '\n' || setting->Begin == 0) {
            FText.erase(setting->Begin, setting->End - setting->Begin);
        } else {
            FText.erase(setting->Begin - 1, setting->End - setting->Begin + 1);
        }
    } else if (setting) {
        const size_t start =
            setting->End - RawValue(name)->size() - (FText[setting->End - 1] == '\n' ? 1 : 0);
        FText.replace(start, RawValue(name)->size(), *raw);
    } else if (raw) {
        // Before the programs resource, among the one-line settings, when there is one.
        std::string line = name + ":\t\t" + *raw + "\n";
        const auto programs = Last("programs");
        const size_t at = programs ? programs->Begin : EndInsertion(line);
        FText.insert(at, line);
    }
}

std::optional<std::string> TXScreensaverConfig::Note(const std::string& key) const {
    const std::string prefix = NotePrefix + key + ": ";
    std::optional<std::string> found;
    for (const TLogical& setting : Parse()) {
        if (setting.Lines.size() == 1 && FText.compare(setting.Begin, prefix.size(), prefix) == 0) {
            found = FText.substr(setting.Begin + prefix.size(),
                                 LineEnd(setting.Begin) - setting.Begin - prefix.size());
        }
    }
    return found;
}

void TXScreensaverConfig::SetNote(const std::string& key, const std::optional<std::string>& text) {
    const std::string prefix = NotePrefix + key + ": ";
    for (const TLogical& setting : Parse()) {
        if (setting.Lines.size() == 1 && FText.compare(setting.Begin, prefix.size(), prefix) == 0) {
            RemoveLine(setting.Begin);
            break;
        }
    }
    if (text) {
        std::string line = prefix + *text + "\n";
        const auto programs = Last("programs");
        const size_t at = programs ? programs->Begin : EndInsertion(line);
        FText.insert(at, line);
    }
}

std::string SafeDisplayName(const std::string& titleUtf8) {
    std::string name;
    for (const char c : titleUtf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '$' || c == '`' || u == 0x7F) {
            continue;
        }
        name += u < 0x20 ? ' ' : c;
    }
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "Kavro";
    }
    return name.substr(first, name.find_last_not_of(' ') + 1 - first);
}
