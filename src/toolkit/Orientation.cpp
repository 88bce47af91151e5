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

// A TIFF block's byte order, its directories and their entries, every read checked against the
// block's size.
class TTiff {
public:
    TTiff(const unsigned char* data, size_t size) : d(data), FSize(size) {
        if (size < 8) {
            return;
        }
        if (d[0] == 'I' && d[1] == 'I' && d[2] == 42 && d[3] == 0) {
            FLittle = true;
        } else if (!(d[0] == 'M' && d[1] == 'M' && d[2] == 0 && d[3] == 42)) {
            return;
        }
        FValid = true;
    }

    bool Valid() const { return FValid; }
    uint16_t U16(size_t at) const {
        return static_cast<uint16_t>(FLittle ? d[at] | (d[at + 1] << 8) : (d[at] << 8) | d[at + 1]);
    }
    uint32_t U32(size_t at) const { return FLittle ? Le32(d + at) : Be32(d + at); }
    // The first directory's offset.
    size_t FirstDirectory() const { return U32(4); }

    // The offset of the 12-byte entry for tag in the directory at ifd; 0 when there is none.
    size_t Find(size_t ifd, uint16_t tag) const {
        if (!FValid || ifd > FSize || FSize - ifd < 2) {
            return 0;
        }
        const size_t count = U16(ifd);
        for (size_t i = 0; i < count; ++i) {
            const size_t entry = ifd + 2 + 12 * i;
            if (entry + 12 > FSize) {
                return 0;
            }
            if (U16(entry) == tag) {
                return entry;
            }
        }
        return 0;
    }

    // The bytes of an entry's value of type and count items of itemSize bytes, or null.
    const unsigned char* Value(size_t entry, uint16_t type, size_t itemSize, size_t& count) const {
        if (entry == 0 || U16(entry + 2) != type) {
            return nullptr;
        }
        count = U32(entry + 4);
        if (count > FSize / itemSize) {
            return nullptr;
        }
        if (count * itemSize <= 4) {
            return d + entry + 8;
        }
        const size_t at = U32(entry + 8);
        return at <= FSize && FSize - at >= count * itemSize ? d + at : nullptr;
    }

private:
    const unsigned char* d;
    size_t FSize;
    bool FLittle = false;
    bool FValid = false;
};

constexpr uint16_t LongType = 4;
constexpr uint16_t AsciiType = 2;
constexpr uint16_t ExifPointerTag = 0x8769;
constexpr uint16_t DateTimeOriginalTag = 0x9003;

// The TIFF block inside a PNG's eXIf chunk or a WebP's EXIF chunk; null for anything else.
const unsigned char* ContainerTiff(const unsigned char* d, size_t size, size_t& length) {
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(d, png, 8) == 0) {
        size_t at = 8;
        while (size - at >= 12) {
            length = Be32(d + at);
            if (length > size - at - 12) {
                return nullptr;
            }
            if (std::memcmp(d + at + 4, "eXIf", 4) == 0) {
                return d + at + 8;
            }
            if (std::memcmp(d + at + 4, "IEND", 4) == 0) {
                return nullptr;
            }
            at += 12 + length;
        }
        return nullptr;
    }
    if (size >= 12 && std::memcmp(d, "RIFF", 4) == 0 && std::memcmp(d + 8, "WEBP", 4) == 0) {
        size_t at = 12;
        while (size - at >= 8) {
            length = Le32(d + at + 4);
            if (length > size - at - 8) {
                return nullptr;
            }
            if (std::memcmp(d + at, "EXIF", 4) == 0) {
                // Some writers keep JPEG's "Exif\0\0" before the TIFF block.
                if (length >= 6 && std::memcmp(d + at + 8, "Exif\0\0", 6) == 0) {
                    length -= 6;
                    return d + at + 14;
                }
                return d + at + 8;
            }
            at += 8 + length + (length & 1);
        }
    }
    return nullptr;
}

}  // namespace

int OrientationFromTiff(const unsigned char* d, size_t size) {
    const TTiff tiff(d, size);
    if (!tiff.Valid()) {
        return 1;
    }
    size_t count = 0;
    const size_t entry = tiff.Find(tiff.FirstDirectory(), OrientationTag);
    const unsigned char* value = tiff.Value(entry, ShortType, 2, count);
    if (!value || count != 1) {
        return 1;
    }
    const int orientation = tiff.U16(static_cast<size_t>(value - d));
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

TDateTaken DateTakenFromTiff(const unsigned char* d, size_t size) {
    const TTiff tiff(d, size);
    size_t count = 0;
    const unsigned char* pointer =
        tiff.Value(tiff.Find(tiff.FirstDirectory(), ExifPointerTag), LongType, 4, count);
    if (!pointer || count != 1) {
        return {};
    }
    const size_t exif = tiff.U32(static_cast<size_t>(pointer - d));
    const auto* text = reinterpret_cast<const char*>(
        tiff.Value(tiff.Find(exif, DateTimeOriginalTag), AsciiType, 1, count));
    // "YYYY:MM:DD", then the time, which is not shown.
    if (!text || count < 10 || text[4] != ':' || text[7] != ':') {
        return {};
    }
    auto number = [text](int from, int digits) {
        int value = 0;
        for (int i = from; i < from + digits; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    TDateTaken date{number(0, 4), number(5, 2), number(8, 2)};
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.Year < 1 || date.Month < 1 || date.Month > 12 || date.Day < 1 ||
        date.Day > days[date.Month - 1]) {
        return {};
    }
    date.Stamp.assign(text, strnlen(text, std::min<size_t>(count, 19)));
    return date;
}

std::string UprightExifTiff(const std::string& stamp) {
    // Little-endian: the first directory at 8 holds the orientation and, with a stamp, the
    // pointer to the EXIF directory at 38, whose one entry points to the text at 56.
    auto u16 = [](unsigned v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    auto u32 = [&](unsigned v) { return u16(v & 0xFFFF) + u16(v >> 16); };
    const bool date = !stamp.empty();
    std::string tiff = "II" + u16(42) + u32(8) + u16(date ? 2 : 1);
    tiff += u16(OrientationTag) + u16(ShortType) + u32(1) + u16(1) + u16(0);
    if (date) {
        tiff += u16(ExifPointerTag) + u16(LongType) + u32(1) + u32(38);
    }
    tiff += u32(0);
    if (date) {
        tiff += u16(1) + u16(DateTimeOriginalTag) + u16(AsciiType) + u32(20) + u32(56) + u32(0);
        std::string text = stamp.substr(0, 19);
        text.resize(20, '\0');
        tiff += text;
    }
    return tiff;
}

TDateTaken DateTakenFromExifSegment(const unsigned char* data, size_t size) {
    if (size < 6 || std::memcmp(data, "Exif\0\0", 6) != 0) {
        return {};
    }
    return DateTakenFromTiff(data + 6, size - 6);
}

TDateTaken DateTakenFromContainer(const unsigned char* data, size_t size) {
    size_t length = 0;
    const unsigned char* tiff = ContainerTiff(data, size, length);
    return tiff ? DateTakenFromTiff(tiff, length) : TDateTaken{};
}

int OrientationFromExifSegment(const unsigned char* data, size_t size) {
    if (size < 6 || std::memcmp(data, "Exif\0\0", 6) != 0) {
        return 1;
    }
    return OrientationFromTiff(data + 6, size - 6);
}

int OrientationFromContainer(const unsigned char* d, size_t size) {
    size_t length = 0;
    const unsigned char* tiff = ContainerTiff(d, size, length);
    return tiff ? OrientationFromTiff(tiff, length) : 1;
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
