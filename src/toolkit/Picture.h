#pragma once

#include <string>

#include "toolkit/Bitmap.h"

// A picture loaded from a file, its decoder chosen by the extension: ".jpg" and ".jpeg" through
// libjpeg, ".bmp" through the bitmap reader. A load replaces the previous picture and reuses its
// pixel buffer when the size allows.
class TPicture {
public:
    TPicture();

    // Throws std::runtime_error naming the file and the reason when the file is missing, its
    // extension has no decoder, its data cannot be decoded or it is too large.
    void LoadFromFile(const std::string& fileName);

    int Width() const { return FBitmap.Width(); }
    int Height() const { return FBitmap.Height(); }
    const TBitmap& Graphic() const { return FBitmap; }
    TBitmap& Graphic() { return FBitmap; }

private:
    TBitmap FBitmap;
};
