#include "toolkit/BmpDecoder.h"

#include <QImage>
#include <bit>
#include <climits>
#include <vector>

namespace {

constexpr uint32_t Black = 0xFF000000u;
// The run-length picture, 4096 x 4096, that may claim any size of pixel data.
constexpr uint64_t RleFreePixels = uint64_t{4096} * 4096;

uint32_t U16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}

uint32_t U32(const unsigned char* p) {
    return U16(p) | (U16(p + 2) << 16);
}

// One colour channel of a bit-field pixel, scaled from its own width to 0..255 so that the
// channel's full value is 255 whatever its width (31 of five bits and 63 of six alike).
class TChannel {
public:
    explicit TChannel(uint32_t mask) : FMask(mask) {
        FShift = mask == 0 ? 0 : std::countr_zero(mask);
        FMax = mask >> FShift;
        if (FMax != 0 && FMax <= 0xFFFF) {
            FTable.resize(FMax + 1);
            for (uint32_t v = 0; v <= FMax; ++v) {
                FTable[v] = static_cast<uint8_t>(Scale(v));
            }
        }
    }
    uint32_t operator()(uint32_t pixel) const {
        const uint32_t v = (pixel & FMask) >> FShift;
        // A mask with gaps can give values past its run of ones: clamp those to full.
        if (!FTable.empty()) {
            return v <= FMax ? FTable[v] : 255;
        }
        return FMax == 0 ? 0 : Scale(v);
    }

private:
    uint32_t Scale(uint32_t v) const {
        return static_cast<uint32_t>((uint64_t{v} * 255 + FMax / 2) / FMax);
    }
    uint32_t FMask;
    int FShift;
    uint32_t FMax;
    std::vector<uint8_t> FTable;
};

std::string Unsupported(int bits, int compression) {
    return "不支持的 BMP 格式（" + std::to_string(bits) + " 位，压缩方式 " +
           std::to_string(compression) + "）";
}

bool BitsFit(int bits, int compression) {
    switch (compression) {
        case 0:
            return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case 1:
            return bits == 8;
        case 2:
            return bits == 4;
        case 3:
            return bits == 16 || bits == 32;
        default:
            return false;
    }
}

void ReadPalette(const unsigned char* data,
                 size_t size,
                 const TBmpHeader& header,
                 uint32_t (&palette)[256]) {
    std::fill(std::begin(palette), std::end(palette), Black);
    for (int i = 0; i < header.PaletteCount; ++i) {
        const size_t at = header.PaletteAt + static_cast<size_t>(i) * header.PaletteEntrySize;
        if (at + 3 > size) {
            break;
        }
        palette[i] = Black | (data[at + 2] << 16) | (data[at + 1] << 8) | data[at];
    }
}

// Run-length data, bottom-up as the format has it unless the header says top-down. The image
// is black beforehand, so that skipped and missing pixels are black.
void DecodeRle(const unsigned char* data,
               size_t size,
               const TBmpHeader& header,
               const uint32_t (&palette)[256],
               QImage& image) {
    const bool rle8 = header.Compression == 1;
    const int64_t w = header.Width, h = header.Height;
    int64_t x = 0, y = 0;
    uint32_t* row = nullptr;
    int64_t rowY = -1;
    auto put = [&](int index) {
        if (x < w && y < h) {
            if (rowY != y) {
                rowY = y;
                row = reinterpret_cast<uint32_t*>(
                    image.scanLine(static_cast<int>(header.TopDown ? y : h - 1 - y)));
            }
            row[x] = palette[index];
        }
        ++x;
    };
    size_t p = header.PixelsAt;
    while (p + 1 < size && y < h) {
        const int n = data[p], c = data[p + 1];
        p += 2;
        if (n > 0) {
            for (int i = 0; i < n && x < w; ++i) {
                put(rle8 ? c : (i % 2 == 0 ? c >> 4 : c & 15));
            }
        } else if (c == 0) {
            x = 0;
            ++y;
        } else if (c == 1) {
            break;
        } else if (c == 2) {
            if (p + 1 >= size) {
                break;
            }
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else {
            const size_t bytes = rle8 ? c : (c + 1) / 2;
            const size_t have = std::min(bytes, size - p);
            for (int i = 0; i < c; ++i) {
                const size_t at = rle8 ? i : i / 2;
                if (at >= have) {
                    break;
                }
                const int b = data[p + at];
                put(rle8 ? b : (i % 2 == 0 ? b >> 4 : b & 15));
            }
            if (have < bytes) {
                break;
            }
            // Absolute runs are padded to a whole 16-bit word.
            p += bytes + (bytes & 1);
        }
    }
}

}  // namespace

std::string ReadBmpHeader(const unsigned char* d, size_t size, TBmpHeader& h) {
    h = TBmpHeader{};
    if (size < 18 || d[0] != 'B' || d[1] != 'M') {
        return "不是 BMP 文件或文件头不完整";
    }
    const size_t pixelsAt = U32(d + 10);
    const uint32_t infoSize = U32(d + 14);
    if (infoSize != 12 && infoSize != 16 && (infoSize < 40 || infoSize > 124)) {
        return "不支持的 BMP 文件头（" + std::to_string(infoSize) + " 字节）";
    }
    if (14 + infoSize > size) {
        return "文件头不完整";
    }
    uint32_t colorsUsed = 0;
    int64_t height;
    if (infoSize == 12) {
        h.Width = static_cast<int>(U16(d + 18));
        height = U16(d + 20);
        h.Bits = static_cast<int>(U16(d + 24));
        h.PaletteEntrySize = 3;
    } else {
        const int64_t width = static_cast<int32_t>(U32(d + 18));
        height = static_cast<int32_t>(U32(d + 22));
        if (width < 0) {
            return "宽度为负数";
        }
        h.Width = static_cast<int>(width);
        h.Bits = static_cast<int>(U16(d + 28));
        if (infoSize >= 40) {
            h.Compression = static_cast<int>(std::min<uint32_t>(U32(d + 30), INT_MAX));
            colorsUsed = U32(d + 46);
        }
    }
    h.TopDown = height < 0;
    height = height < 0 ? -height : height;
    if (height > INT_MAX) {
        return "高度无效";
    }
    h.Height = static_cast<int>(height);
    // Bit fields with an alpha mask read like bit fields: pictures are drawn opaque.
    const bool alphaFields = h.Compression == 6;
    const bool os2v2 = infoSize == 16 || infoSize == 64;
    if (alphaFields) {
        h.Compression = 3;
    }
    if ((os2v2 && h.Compression >= 3) || !BitsFit(h.Bits, h.Compression)) {
        return Unsupported(h.Bits, alphaFields ? 6 : h.Compression);
    }
    size_t tableAt = 14 + infoSize;
    if (h.Compression == 3) {
        if (infoSize >= 52) {
            tableAt = 14 + 40;
        } else if (tableAt + (alphaFields ? 16 : 12) > size) {
            return "文件头不完整";
        }
        for (int i = 0; i < 3; ++i) {
            h.Masks[i] = U32(d + tableAt + 4 * i);
        }
        tableAt = 14 + infoSize + (infoSize < 52 ? (alphaFields ? 16 : 12) : 0);
    } else if (h.Bits == 16) {
        h.Masks[0] = 0x7C00;
        h.Masks[1] = 0x03E0;
        h.Masks[2] = 0x001F;
    } else if (h.Bits == 32) {
        h.Masks[0] = 0xFF0000;
        h.Masks[1] = 0x00FF00;
        h.Masks[2] = 0x0000FF;
    }
    h.PaletteAt = tableAt;
    if (h.Bits <= 8) {
        const uint32_t full = 1u << h.Bits;
        uint32_t count = colorsUsed != 0 && colorsUsed < full ? colorsUsed : full;
        // The palette may not overlap the pixels nor run past the file: what is missing is black.
        const size_t end = pixelsAt > tableAt ? std::min(pixelsAt, size) : size;
        const size_t room = end > tableAt ? (end - tableAt) / h.PaletteEntrySize : 0;
        h.PaletteCount = static_cast<int>(std::min<size_t>(count, room));
    }
    if (pixelsAt < tableAt || pixelsAt >= size) {
        return pixelsAt >= size ? "像素数据的位置在文件末尾之外" : "像素数据的位置无效";
    }
    h.PixelsAt = pixelsAt;
    if (h.Compression == 0 || h.Compression == 3) {
        // The last row may go without its padding.
        const uint64_t rowBits = uint64_t{static_cast<uint32_t>(h.Width)} * h.Bits;
        const uint64_t stride = (rowBits + 31) / 32 * 4;
        const uint64_t have = size - pixelsAt;
        const uint64_t last = (rowBits + 7) / 8;
        const bool fits =
            h.Height == 0 || stride == 0 ||
            (uint64_t(h.Height - 1) <= (have - std::min(have, last)) / stride && last <= have);
        if (!fits) {
            return "文件比文件头声明的短，像素数据不完整";
        }
    } else if (h.Compression == 1 || h.Compression == 2) {
        // Run-length data may leave any part of a picture out, to the end of a row or of the
        // bitmap, so a few bytes could claim a gigabyte of pixels. Up to RleFreePixels that is
        // allowed; past it the data must hold a byte for each 255 pixels, half of what full runs
        // of 255 pixels need, so pictures that compress well still load.
        const uint64_t pixels = uint64_t{static_cast<uint32_t>(h.Width)} * h.Height;
        if (pixels > RleFreePixels && pixels > uint64_t{size - pixelsAt} * 255) {
            return "文件比文件头声明的短，像素数据不完整";
        }
    }
    return {};
}

std::string DecodeBmpPixels(const unsigned char* data,
                            size_t size,
                            const TBmpHeader& h,
                            QImage& image) {
    if (image.width() != h.Width || image.height() != h.Height || image.depth() != 32) {
        return "内部错误：位图大小不符";
    }
    uint32_t palette[256];
    ReadPalette(data, size, h, palette);
    if (h.Compression == 1 || h.Compression == 2) {
        image.fill(Black);
        DecodeRle(data, size, h, palette, image);
        return {};
    }
    const size_t stride = (static_cast<size_t>(h.Width) * h.Bits + 31) / 32 * 4;
    const TChannel red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]);
    for (int r = 0; r < h.Height; ++r) {
        const unsigned char* s = data + h.PixelsAt + static_cast<size_t>(r) * stride;
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(h.TopDown ? r : h.Height - 1 - r));
        switch (h.Bits) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / h.Bits;
                const int mask = (1 << h.Bits) - 1;
                for (int x = 0; x < h.Width; ++x) {
                    const int shift = 8 - h.Bits * (x % perByte + 1);
                    out[x] = palette[(s[x / perByte] >> shift) & mask];
                }
                break;
            }
            case 16:
                for (int x = 0; x < h.Width; ++x) {
                    const uint32_t p = U16(s + 2 * x);
                    out[x] = Black | (red(p) << 16) | (green(p) << 8) | blue(p);
                }
                break;
            case 24:
                for (int x = 0; x < h.Width; ++x, s += 3) {
                    out[x] = Black | (s[2] << 16) | (s[1] << 8) | s[0];
                }
                break;
            case 32:
                for (int x = 0; x < h.Width; ++x) {
                    const uint32_t p = U32(s + 4 * x);
                    out[x] = Black | (red(p) << 16) | (green(p) << 8) | blue(p);
                }
                break;
        }
    }
    return {};
}
