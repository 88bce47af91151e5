#pragma once

#include <string>

class TInstallerReader;

// The date's corners, tpTopLeft .. tpBottomRight, as the command line names them.
extern const char* const CornerNames[6];

// A show file described as "key: value" lines: the title, every choice, then one line per
// picture with its number, extension, size in bytes and caption.
std::string DescribeShow(const TInstallerReader& reader);
