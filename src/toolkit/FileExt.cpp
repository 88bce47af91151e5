#include "toolkit/FileExt.h"

std::string FileExt(std::string_view fileName) {
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    if (fileName.find_first_of("/\\:", dot) != std::string_view::npos) {
        return {};
    }
    return std::string(fileName.substr(dot));
}

std::string FileExtLower(std::string_view fileName) {
    return AsciiLower(FileExt(fileName));
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}
