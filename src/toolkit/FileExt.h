#pragma once

#include <string>
#include <string_view>

// The extension of a file name: from the last dot that no path or drive delimiter
// ("/", "\" or ":") follows, dot included, as written; empty when there is none.
std::string FileExt(std::string_view fileName);
// The same with its ASCII letters lower-cased, the form every extension is compared and stored in.
std::string FileExtLower(std::string_view fileName);
// text with its ASCII letters lower-cased; other bytes, those of UTF-8 and GBK among them, kept.
std::string AsciiLower(std::string_view text);
