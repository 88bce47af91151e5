#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "toolkit/Bitmap.h"

// A picture loaded from a file or from bytes, its decoder chosen by the extension among
// PictureFormats: ".jpg" and ".jpeg" through libjpeg, ".bmp" through the bitmap reader. A load
// replaces the previous picture and reuses its pixel buffer when the size allows.
class TPicture {
public:
    TPicture();

    // Throws std::runtime_error naming the file and the reason when the file is missing, its
    // extension has no decoder, its data cannot be decoded or it is too large.
    void LoadFromFile(const std::string& fileName);
    // Decodes size bytes at data; ext is the lower-cased extension with its dot, as FileExtLower
    // gives it. Throws as LoadFromFile does, naming displayName, for every reason but a missing
    // file. The bytes are not kept.
    void LoadFromBytes(const void* data,
                       size_t size,
                       std::string_view ext,
                       const std::string& displayName);

    int Width() const { return FBitmap.Width(); }
    int Height() const { return FBitmap.Height(); }
    const TBitmap& Graphic() const { return FBitmap; }
    TBitmap& Graphic() { return FBitmap; }

private:
    TBitmap FBitmap;
};
