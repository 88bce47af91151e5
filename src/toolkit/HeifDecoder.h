#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct heif_context;
struct heif_image_handle;
struct heif_image;

// A HEIC or HEIF picture decoded by libheif, which turns it upright by the container's own
// rotation and mirroring. Rows are 8-bit R, G, B and, when HasAlpha, A.
class THeifPicture {
public:
    THeifPicture() = default;
    ~THeifPicture();
    THeifPicture(const THeifPicture&) = delete;
    THeifPicture& operator=(const THeifPicture&) = delete;

    // Reads the container of size bytes at data (kept borrowed until Decode ends) and answers its
    // primary picture's upright size; a reason in Chinese when it cannot be read.
    std::string Open(const unsigned char* data, size_t size, int& width, int& height);
    // Decodes the primary picture; a reason in Chinese when it cannot be decoded.
    std::string Decode();

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool HasAlpha() const { return FHasAlpha; }
    const uint8_t* Row(int y) const { return FPlane + static_cast<ptrdiff_t>(y) * FStride; }

    // The TIFF block of the primary picture's EXIF metadata, or empty; after a successful Open.
    std::string ExifTiff() const;

    // Whether the first bytes are those of a HEIF container (HEIC, HEIF, AVIF).
    static bool Sniff(const unsigned char* data, size_t size);

private:
    heif_context* FContext = nullptr;
    heif_image_handle* FHandle = nullptr;
    heif_image* FImage = nullptr;
    const uint8_t* FPlane = nullptr;
    int FStride = 0;
    int FWidth = 0;
    int FHeight = 0;
    bool FHasAlpha = false;
};
