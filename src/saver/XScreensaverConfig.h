#pragma once

#include <optional>
#include <string>
#include <vector>

// The user's ~/.xscreensaver as the lines of text it is, edited in place so that every line we
// do not touch stays byte for byte. Savers are the entries of the `programs:` resource, one a
// line, each but the last ending in "\n\" (the resource's own newline and a continuation).
class TXScreensaverConfig {
public:
    // The file's text; empty when there is no file.
    explicit TXScreensaverConfig(const std::string& text);

    // What to write when there was no file: a valid file holding no saver of its own, so that
    // the system's savers follow ours.
    static std::string Minimal();

    std::string Text() const;

    // The number of entries in `programs:` (disabled ones count: selected: indexes them all).
    int ProgramCount() const;
    // The index of the entry whose line holds needle, or -1.
    int FindProgram(const std::string& needle) const;
    // Replaces the entry holding needle with entry, or appends entry as the last one; answers
    // its index. entry is one line without its "\n" ending.
    int SetProgram(const std::string& needle, const std::string& entry);
    // Removes the entry holding needle; answers its former index, or -1 when there was none.
    int RemoveProgram(const std::string& needle);

    // A one-line resource such as "mode" or "selected": its value with surrounding blanks
    // removed, nothing when the file does not set it.
    std::optional<std::string> Value(const std::string& name) const;
    // Sets a one-line resource in place, appends it when absent, removes it for nothing.
    void SetValue(const std::string& name, const std::optional<std::string>& value);

private:
    struct TRange {
        size_t First = 0;  // the "programs:" line
        size_t Last = 0;   // the resource's last line (the first without a continuation)
    };
    std::optional<TRange> Programs() const;
    std::optional<size_t> ValueLine(const std::string& name) const;
    // The entries a line of the programs resource holds (normally 0 or 1).
    static int EntriesOn(const std::string& line, bool header);

    std::vector<std::string> FLines;  // without their "\n"
    bool FEndsWithNewline = true;
};

// The display name of a saver made safe for a programs: line: everything of the title that a
// double-quoted name can hold without ending it early, continuing the line or reaching a shell
// (no quote, backslash, dollar, backquote or control character).
std::string SafeDisplayName(const std::string& titleUtf8);
