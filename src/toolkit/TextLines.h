#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a text into lines: CR, LF or CR LF end a line; a break at the very end adds no empty
// line; an empty text gives no lines.
std::vector<std::string> SplitLines(std::string_view text);
