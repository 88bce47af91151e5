#pragma once

#include <string>

// A TIFF block laid out by hand as cameras write it: the first directory holds the orientation
// and a pointer to the EXIF directory, which holds DateTimeOriginal (20 bytes with its zero).
// An empty dateTime leaves the EXIF directory out.
inline std::string ExifTiff(const std::string& dateTime, int orientation, bool bigEndian) {
    auto u16 = [&](int v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)}
                         : std::string{char(v & 0xFF), char(v >> 8)};
    };
    auto u32 = [&](int v) {
        return bigEndian ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16);
    };
    const bool date = !dateTime.empty();
    std::string tiff = (bigEndian ? std::string("MM") : std::string("II")) + u16(42) + u32(8);
    tiff += u16(date ? 2 : 1);
    tiff += u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0);
    if (date) {
        tiff += u16(0x8769) + u16(4) + u32(1) + u32(38);
    }
    tiff += u32(0);
    if (date) {
        // At 38: one entry whose 20 bytes follow the directory, at 56.
        tiff += u16(1) + u16(0x9003) + u16(2) + u32(20) + u32(56) + u32(0);
        std::string text = dateTime.substr(0, 19);
        text.resize(20, '\0');
        tiff += text;
    }
    return tiff;
}

// The same block as a JPEG APP1 segment, marker and length included.
inline std::string ExifApp1(const std::string& tiff) {
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const int length = static_cast<int>(payload.size()) + 2;
    return std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
}
