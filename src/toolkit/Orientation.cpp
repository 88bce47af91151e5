#include "toolkit/Orientation.h"

#include <QImage>
#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t OrientationTag = 0x0112;
constexpr uint16_t ShortType = 3;

uint32_t Be32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace

int OrientationFromTiff(const unsigned char* d, size_t size) {
    if (size < 8) {
        return 1;
    }
    bool little;
    if (d[0] == 'I' && d[1] == 'I' && d[2] == 42 && d[3] == 0) {
        little = true;
    } else if (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && d[3] == 42) {
        little = false;
    } else {
        return 1;
    }
    auto u16 = [&](size_t at) {
        return static_cast<uint16_t>(little ? d[at] | (d[at + 1] << 8) : (d[at] << 8) | d[at + 1]);
    };
    auto u32 = [&](size_t at) { return little ? Le32(d + at) : Be32(d + at); };
    const size_t ifd = u32(4);
    if (ifd > size || size - ifd < 2) {
        return 1;
    }
    const size_t count = u16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        if (entry + 12 > size) {
            return 1;
        }
        if (u16(entry) == OrientationTag) {
            if (u16(entry + 2) != ShortType || u32(entry + 4) != 1) {
                return 1;
            }
            const int value = u16(entry + 8);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

int OrientationFromExifSegment(const unsigned char* data, size_t size) {
    if (size < 6 || std::memcmp(data, "Exif\0\0", 6) != 0) {
        return 1;
    }
    return OrientationFromTiff(data + 6, size - 6);
}

int OrientationFromContainer(const unsigned char* d, size_t size) {
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(d, png, 8) == 0) {
        size_t at = 8;
        while (size - at >= 12) {
            const size_t length = Be32(d + at);
            if (length > size - at - 12) {
                return 1;
            }
            if (std::memcmp(d + at + 4, "eXIf", 4) == 0) {
                return OrientationFromTiff(d + at + 8, length);
            }
            if (std::memcmp(d + at + 4, "IEND", 4) == 0) {
                return 1;
            }
            at += 12 + length;
        }
        return 1;
    }
    if (size >= 12 && std::memcmp(d, "RIFF", 4) == 0 && std::memcmp(d + 8, "WEBP", 4) == 0) {
        size_t at = 12;
        while (size - at >= 8) {
            const size_t length = Le32(d + at + 4);
            if (length > size - at - 8) {
                return 1;
            }
            if (std::memcmp(d + at, "EXIF", 4) == 0) {
                // Some writers keep JPEG's "Exif\0\0" before the TIFF block.
                const int fromSegment = OrientationFromExifSegment(d + at + 8, length);
                return fromSegment != 1 ? fromSegment : OrientationFromTiff(d + at + 8, length);
            }
            at += 8 + length + (length & 1);
        }
    }
    return 1;
}

void WriteStoredRow(QImage& upright,
                    int orientation,
                    int storedWidth,
                    int storedHeight,
                    int y,
                    const uint32_t* row) {
    const int w = storedWidth, h = storedHeight;
    auto line = [&](int uy) { return reinterpret_cast<uint32_t*>(upright.scanLine(uy)); };
    switch (orientation) {
        case 2:
            std::reverse_copy(row, row + w, line(y));
            return;
        case 3:
            std::reverse_copy(row, row + w, line(h - 1 - y));
            return;
        case 4:
            std::copy(row, row + w, line(h - 1 - y));
            return;
        case 5:
        case 6:
        case 7:
        case 8: {
            // Stored row y becomes upright column ux; stored column x becomes upright row
            // x (5, 6) or w - 1 - x (7, 8).
            const int ux = orientation == 5 || orientation == 8 ? y : h - 1 - y;
            const bool fromBottom = orientation == 7 || orientation == 8;
            uchar* bits = upright.bits();
            const qsizetype stride = upright.bytesPerLine();
            for (int x = 0; x < w; ++x) {
                const int uy = fromBottom ? w - 1 - x : x;
                reinterpret_cast<uint32_t*>(bits + uy * stride)[ux] = row[x];
            }
            return;
        }
        default:
            std::copy(row, row + w, line(y));
    }
}
