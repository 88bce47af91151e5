#pragma once

#include <optional>
#include <string>
#include <vector>

// The user's ~/.xscreensaver as the bytes it is, read as xscreensaver reads it and edited in
// place so that every byte outside the lines we add stays as it was. xscreensaver joins a line
// ending in a backslash with the next, then reads "name: value" with the name matched without
// regard to case; the last setting of a name counts; "#", "!" and ";" start a comment. Savers
// are the entries of the `programs:` resource, one a line, each but the last ending in "\n\"
// (the resource's own newline and a continuation).
class TXScreensaverConfig {
public:
    // The file's text; empty when there is no file.
    explicit TXScreensaverConfig(std::string text);

    // What to write when there was no file: a valid file holding no saver of its own, so that
    // the system's savers follow ours.
    static std::string Minimal();

    const std::string& Text() const { return FText; }

    // Why xscreensaver would not read an edit of ours as we make it, in a sentence for the
    // user; empty when nothing stands in the way.
    std::string Obstacle() const;

    // The entries of `programs:` as xscreensaver reads them, without the blanks around them
    // (disabled ones count: selected: indexes them all).
    std::vector<std::string> Programs() const;
    int ProgramCount() const { return static_cast<int>(Programs().size()); }
    // The index of the entry holding needle, or -1.
    int FindProgram(const std::string& needle) const;
    // Adds entry as the last entry unless one holds needle already; answers its index. entry
    // is one line without its "\n" ending.
    int SetProgram(const std::string& needle, const std::string& entry);
    // Removes the entry holding needle and what SetProgram added with it; answers its former
    // index, or -1 when there was none.
    int RemoveProgram(const std::string& needle);

    // A one-line resource such as "mode" or "selected" as xscreensaver reads it; nothing when
    // the file does not set it.
    std::optional<std::string> Value(const std::string& name) const;
    // The same as written: the bytes after the colon and its blanks, to the end of the line.
    std::optional<std::string> RawValue(const std::string& name) const;
    // Sets a resource to raw bytes in place, adds it when absent, removes it for nothing.
    void SetValue(const std::string& name, const std::optional<std::string>& raw);

    // A comment line of ours, "# Kavro <key>: <text>", holding text of one line; nothing when
    // there is none.
    std::optional<std::string> Note(const std::string& key) const;
    void SetNote(const std::string& key, const std::optional<std::string>& text);

private:
    // One setting as xscreensaver reads it: the physical lines it joins.
    struct TLogical {
        size_t Begin = 0;
        size_t End = 0;                     // after the last line's "\n" (or the file's end)
        std::vector<size_t> Lines;          // where each physical line begins
        bool DanglingContinuation = false;  // the file ends inside it
        bool Unparsable = false;            // no comment and no colon
        std::string Name;                   // lower case; empty for comments and blank lines
        std::string Value;                  // escapes replaced, blanks around removed
        std::string Unstripped;             // escapes replaced, as it follows the colon
    };
    std::vector<TLogical> Parse() const;
    std::optional<TLogical> Last(const std::string& name) const;
    // Where a whole new line can go at the end without joining a line before it.
    size_t EndInsertion(std::string& line) const;
    size_t LineEnd(size_t begin) const;  // before the line's "\n"
    void RemoveLine(size_t begin);

    std::string FText;
};

// The display name of a saver made safe for a programs: line: everything of the title that a
// double-quoted name can hold without ending it early, continuing the line or reaching a shell
// (no quote, backslash, dollar, backquote or control character).
std::string SafeDisplayName(const std::string& titleUtf8);
