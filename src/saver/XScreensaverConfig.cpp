#include "saver/XScreensaverConfig.h"

#include <algorithm>

namespace {

constexpr char Header[] = "programs:";

bool Blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool Continues(const std::string& line) {
    return !line.empty() && line.back() == '\\';
}

// The resource name a line sets ("mode" for "mode:\t\tone"), or empty.
std::string ResourceOf(const std::string& line) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos) {
        return {};
    }
    if (line[i] == '*') {
        ++i;
    }
    const size_t colon = line.find(':', i);
    if (colon == std::string::npos) {
        return {};
    }
    const std::string name = line.substr(i, colon - i);
    const bool word = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
    return word ? name : std::string();
}

}  // namespace

TXScreensaverConfig::TXScreensaverConfig(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            FLines.push_back(text.substr(start));
            FEndsWithNewline = false;
            break;
        }
        FLines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string TXScreensaverConfig::Minimal() {
    return "# XScreenSaver preferences: savers added by Kavro come first, the system's follow.\n";
}

std::string TXScreensaverConfig::Text() const {
    std::string text;
    for (size_t i = 0; i < FLines.size(); ++i) {
        text += FLines[i];
        if (i + 1 < FLines.size() || FEndsWithNewline) {
            text += '\n';
        }
    }
    return text;
}

std::optional<TXScreensaverConfig::TRange> TXScreensaverConfig::Programs() const {
    for (size_t i = 0; i < FLines.size(); ++i) {
        if (ResourceOf(FLines[i]) == "programs") {
            TRange range{i, i};
            while (Continues(FLines[range.Last]) && range.Last + 1 < FLines.size()) {
                ++range.Last;
            }
            return range;
        }
    }
    return std::nullopt;
}

int TXScreensaverConfig::EntriesOn(const std::string& line, bool header) {
    std::string content = header ? line.substr(line.find(':') + 1) : line;
    if (Continues(content)) {
        content.pop_back();
    }
    int count = 0;
    size_t start = 0;
    while (true) {
        const size_t end = content.find("\\n", start);
        const std::string piece =
            content.substr(start, end == std::string::npos ? end : end - start);
        if (!Blank(piece)) {
            ++count;
        }
        if (end == std::string::npos) {
            return count;
        }
        start = end + 2;
    }
}

int TXScreensaverConfig::ProgramCount() const {
    const auto range = Programs();
    int count = 0;
    for (size_t i = range ? range->First : 1; range && i <= range->Last; ++i) {
        count += EntriesOn(FLines[i], i == range->First);
    }
    return count;
}

int TXScreensaverConfig::FindProgram(const std::string& needle) const {
    const auto range = Programs();
    if (!range) {
        return -1;
    }
    int index = 0;
    for (size_t i = range->First + 1; i <= range->Last; ++i) {
        index += EntriesOn(FLines[i - 1], i - 1 == range->First);
        if (FLines[i].find(needle) != std::string::npos) {
            return index;
        }
    }
    return -1;
}

int TXScreensaverConfig::SetProgram(const std::string& needle, const std::string& entry) {
    auto range = Programs();
    if (!range) {
        if (!FEndsWithNewline && !FLines.empty()) {
            FEndsWithNewline = true;
        }
        FLines.push_back(std::string(Header) + "\t\t\t\t\t\t\t      \\");
        FLines.push_back(entry + "\t\\n");
        FEndsWithNewline = true;
        return 0;
    }
    for (size_t i = range->First + 1; i <= range->Last; ++i) {
        if (FLines[i].find(needle) != std::string::npos) {
            FLines[i] = entry + (Continues(FLines[i]) ? "\t\\n\\" : "\t\\n");
            return FindProgram(needle);
        }
    }
    const int index = ProgramCount();
    std::string& last = FLines[range->Last];
    if (range->Last > range->First && Blank(last)) {
        // The resource ends on an empty line after a continuation: ours goes before it.
        FLines.insert(FLines.begin() + static_cast<ptrdiff_t>(range->Last), entry + "\t\\n\\");
        return index;
    }
    if (!Continues(last)) {
        const bool hasEntries = EntriesOn(last, range->Last == range->First) > 0;
        const std::string trimmed = last.substr(0, last.find_last_not_of(" \t") + 1);
        const bool endsEntry =
            trimmed.size() >= 2 && trimmed.compare(trimmed.size() - 2, 2, "\\n") == 0;
        last += hasEntries && !endsEntry ? "\\n\\" : "\\";
    }
    FLines.insert(FLines.begin() + static_cast<ptrdiff_t>(range->Last) + 1, entry + "\t\\n");
    return index;
}

int TXScreensaverConfig::RemoveProgram(const std::string& needle) {
    const int index = FindProgram(needle);
    if (index < 0) {
        return -1;
    }
    const auto range = Programs();
    size_t line = range->First + 1;
    while (FLines[line].find(needle) == std::string::npos) {
        ++line;
    }
    const bool wasLast = line == range->Last;
    FLines.erase(FLines.begin() + static_cast<ptrdiff_t>(line));
    std::string& before = FLines[line - 1];
    if (wasLast && Continues(before)) {
        before.pop_back();
    }
    // A resource left with nothing but its name is the one added for us: it goes too.
    if (line - 1 == range->First && EntriesOn(before, true) == 0 &&
        Blank(before.substr(before.find(':') + 1)) && !Continues(before)) {
        FLines.erase(FLines.begin() + static_cast<ptrdiff_t>(range->First));
    }
    return index;
}

std::optional<size_t> TXScreensaverConfig::ValueLine(const std::string& name) const {
    for (size_t i = 0; i < FLines.size(); ++i) {
        if (ResourceOf(FLines[i]) == name) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TXScreensaverConfig::Value(const std::string& name) const {
    const auto line = ValueLine(name);
    if (!line) {
        return std::nullopt;
    }
    const std::string& text = FLines[*line];
    const size_t first = text.find_first_not_of(" \t", text.find(':') + 1);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

void TXScreensaverConfig::SetValue(const std::string& name,
                                   const std::optional<std::string>& value) {
    const auto line = ValueLine(name);
    if (!value) {
        if (line) {
            FLines.erase(FLines.begin() + static_cast<ptrdiff_t>(*line));
        }
        return;
    }
    if (!line) {
        // Before the programs resource, among the one-line settings, when there is one.
        const auto range = Programs();
        const size_t at = range ? range->First : FLines.size();
        FLines.insert(FLines.begin() + static_cast<ptrdiff_t>(at), name + ":\t\t" + *value);
        return;
    }
    std::string& text = FLines[*line];
    const size_t colon = text.find(':');
    const size_t first = text.find_first_not_of(" \t", colon + 1);
    text = text.substr(0, first == std::string::npos ? text.size() : first) + *value;
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
