#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class QImage;

// What a BMP file's headers say, checked against the file's length.
struct TBmpHeader {
    int Width = 0;
    int Height = 0;
    bool TopDown = false;
    int Bits = 0;
    // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields.
    int Compression = 0;
    uint32_t Masks[3] = {};
    size_t PaletteAt = 0;
    int PaletteCount = 0;
    int PaletteEntrySize = 4;
    size_t PixelsAt = 0;
};

// Reads and checks the headers of size bytes at data. Answers the reason in Chinese when the
// file is no BMP we decode, or when its pixel data lies outside the file or is shorter than the
// header claims (for run-length data, too short for a picture past 4096 x 4096); empty on
// success.
std::string ReadBmpHeader(const unsigned char* data, size_t size, TBmpHeader& header);

// Decodes the pixels into image, which has the header's size in RGB32. Every pixel is written:
// pixels that run-length data skips or never reaches, and palette indices past the palette,
// are black. Answers a reason when the data cannot be decoded, else empty.
std::string DecodeBmpPixels(const unsigned char* data,
                            size_t size,
                            const TBmpHeader& header,
                            QImage& image);
