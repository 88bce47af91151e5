#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "toolkit/Bitmap.h"

// What TPicture throws when a file's content cannot be decoded, as opposed to a file that
// cannot be read or an extension without a decoder (std::runtime_error).
class TPictureDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture loaded from a file or from bytes, upright as its EXIF orientation says. The
// extension must be one of PictureFormats; the decoder is chosen by the content, and by the
// extension only when the content is none it knows: JPEG through libjpeg, BMP, PNG and WebP
// through Qt's readers, HEIC/HEIF through libheif. Transparent pixels are drawn over the back
// colour. A load replaces the previous picture and reuses its pixel buffer when the size allows.
class TPicture {
public:
    TPicture();

    // Throws std::runtime_error naming the file and the reason when the file is missing or no
    // regular file or its extension has no decoder; TPictureDecodeError when its data cannot be
    // decoded or it is too large.
    void LoadFromFile(const std::string& fileName);
    // Decodes size bytes at data; ext is the lower-cased extension with its dot, as FileExtLower
    // gives it. Throws as LoadFromFile does, naming displayName, for every reason but a missing
    // file. The bytes are not kept.
    void LoadFromBytes(const void* data,
                       size_t size,
                       std::string_view ext,
                       const std::string& displayName);

    // Says that later loads will be fitted into width x height keeping their shape, so that a
    // decoder may give a large picture at a smaller size that is still at least the fitted size.
    // 0 x 0, the default, decodes at full size; so do pictures that would not be shrunk.
    void SetTargetSize(int width, int height);
    // The colour transparent pixels are drawn over; white unless set.
    void SetBackColor(TColor color) { FBackColor = color; }
    // The target size and background colour of other, for a loader on another thread.
    void CopyOptions(const TPicture& other) {
        FTargetWidth = other.FTargetWidth;
        FTargetHeight = other.FTargetHeight;
        FBackColor = other.FBackColor;
    }

    // Keeps transparent pixels as they are instead of drawing them over the back colour: the
    // bitmap's pixels then carry their alpha in the top byte, to be read as ARGB32 when
    // Transparent says that any pixel is not opaque. For re-encoding, not for drawing.
    void SetKeepTransparency(bool keep) { FKeepTransparency = keep; }
    bool Transparent() const { return FTransparent; }

    int Width() const { return FBitmap.Width(); }
    int Height() const { return FBitmap.Height(); }
    const TBitmap& Graphic() const { return FBitmap; }
    TBitmap& Graphic() { return FBitmap; }

private:
    TBitmap FBitmap;
    int FTargetWidth = 0;
    int FTargetHeight = 0;
    TColor FBackColor = clWhite;
    bool FKeepTransparency = false;
    bool FTransparent = false;
};
