#pragma once

#include <array>
#include <string_view>

// The decoders TPicture has. The extension picks one only when the content is none it knows.
enum class TPictureDecoder { Jpeg, Bmp, Png, WebP, Heif };

// One accepted picture extension: lower-case with its dot, its decoder, and the name of the
// file type as the picture dialog lists it.
struct TPictureFormat {
    std::string_view Ext;
    TPictureDecoder Decoder;
    std::string_view TypeName;
};

// Every picture extension Kavro accepts, in the order the picture dialog lists them. The loader,
// the dialog's filter and the demo's folder scan all derive from this list.
inline constexpr std::array<TPictureFormat, 7> PictureFormats = {{
    {".jpg", TPictureDecoder::Jpeg, "JPEG 图象文件"},
    {".jpeg", TPictureDecoder::Jpeg, "JPEG 图象文件"},
    {".bmp", TPictureDecoder::Bmp, "位图文件"},
    {".png", TPictureDecoder::Png, "PNG 图象文件"},
    {".webp", TPictureDecoder::WebP, "WebP 图象文件"},
    {".heic", TPictureDecoder::Heif, "HEIC 图象文件"},
    {".heif", TPictureDecoder::Heif, "HEIF 图象文件"},
}};

// The format of a lower-cased extension, or nullptr when no decoder takes it.
constexpr const TPictureFormat* FindPictureFormat(std::string_view extLower) {
    for (const TPictureFormat& format : PictureFormats) {
        if (format.Ext == extLower) {
            return &format;
        }
    }
    return nullptr;
}
