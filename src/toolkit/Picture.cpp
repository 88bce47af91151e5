#include "toolkit/Picture.h"

#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "toolkit/BmpDecoder.h"
#include "toolkit/FileExt.h"
#include "toolkit/FitRect.h"
#include "toolkit/HeifDecoder.h"
#include "toolkit/JpegDecoder.h"
#include "toolkit/Orientation.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/UserFile.h"

namespace {

constexpr int MaxSide = 20000;
constexpr uint64_t MaxBytes = uint64_t{1} << 30;

std::string LoadMessage(const std::string& fileName, const std::string& reason) {
    return "无法载入图片 \"" + fileName + "\"：" + reason;
}

// The content cannot be decoded.
[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
    throw TPictureDecodeError(LoadMessage(fileName, reason));
}

// The file cannot be read, or its extension has no decoder.
[[noreturn]] void FailFile(const std::string& fileName, const std::string& reason) {
    throw std::runtime_error(LoadMessage(fileName, reason));
}

const TPictureFormat& CheckExtension(std::string_view ext, const std::string& fileName) {
    const TPictureFormat* format = FindPictureFormat(ext);
    if (format == nullptr) {
        FailFile(fileName,
                 ext.empty() ? "文件没有扩展名" : "不支持的文件类型 \"" + std::string(ext) + "\"");
    }
    return *format;
}

void CheckSize(const std::string& fileName, uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) {
        Fail(fileName, "图片的宽或高为零");
    }
    if (width > MaxSide || height > MaxSide || width * height * 4 > MaxBytes) {
        Fail(fileName,
             "图片太大（" + std::to_string(width) + " × " + std::to_string(height) + " 像素）");
    }
}

// The stored size a picture needs at least to be drawn into the target box: the fitted size,
// turned back to the stored picture's sides. Zero when it needs its full size.
bool NeededSize(int storedWidth,
                int storedHeight,
                int orientation,
                int boxWidth,
                int boxHeight,
                int& neededWidth,
                int& neededHeight) {
    if (boxWidth <= 0 || boxHeight <= 0) {
        return false;
    }
    const bool swap = SwapsSides(orientation);
    const int uprightWidth = swap ? storedHeight : storedWidth;
    const int uprightHeight = swap ? storedWidth : storedHeight;
    const TRect fitted = FitRect(boxWidth, boxHeight, uprightWidth, uprightHeight);
    const int fw = fitted.Width();
    const int fh = fitted.Height();
    if (fw >= uprightWidth || fh >= uprightHeight) {
        return false;
    }
    neededWidth = std::max(1, swap ? fh : fw);
    neededHeight = std::max(1, swap ? fw : fh);
    return true;
}

uint32_t Over(uint32_t argb, uint32_t back) {
    const uint32_t a = argb >> 24;
    if (a == 255) {
        return argb;
    }
    auto mix = [&](int shift) {
        const uint32_t f = (argb >> shift) & 0xFF, b = (back >> shift) & 0xFF;
        return ((f * a + b * (255 - a) + 127) / 255) << shift;
    };
    return 0xFF000000u | mix(16) | mix(8) | mix(0);
}

// Sizes bitmap for the upright picture and writes the stored rows into it, each row fetched as
// ARGB32 by fetch(y, row), transparent pixels drawn over back; or, with transparent given, kept
// as they are, *transparent then telling whether any pixel is not opaque.
template <class TFetch>
void Compose(TBitmap& bitmap,
             int storedWidth,
             int storedHeight,
             int orientation,
             bool alpha,
             TColor back,
             bool* transparent,
             TFetch&& fetch) {
    const bool swap = SwapsSides(orientation);
    bitmap.SetSize(swap ? storedHeight : storedWidth, swap ? storedWidth : storedHeight);
    const uint32_t backRgb =
        0xFF000000u | (ColorRed(back) << 16) | (ColorGreen(back) << 8) | ColorBlue(back);
    std::vector<uint32_t> row(storedWidth);
    for (int y = 0; y < storedHeight; ++y) {
        fetch(y, row.data());
        for (uint32_t& p : row) {
            if (alpha && transparent) {
                *transparent = *transparent || (p >> 24) != 0xFF;
            } else {
                p = alpha ? Over(p, backRgb) : p | 0xFF000000u;
            }
        }
        WriteStoredRow(bitmap.Image(), orientation, storedWidth, storedHeight, y, row.data());
    }
}

// Decodes the size bytes at data or, when file is given, what it reads from file.
void LoadJpeg(const unsigned char* data,
              size_t size,
              FILE* file,
              const std::string& fileName,
              int boxWidth,
              int boxHeight,
              TBitmap& bitmap) {
    TJpegError error;
    TJpegDecompressor jpeg;
    jpeg.Info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegOutputMessage;
    error.Message[0] = 0;
    auto jpegFail = [&] { Fail(fileName, JpegReason(error.Manager.msg_code, error.Message)); };
    if (!JpegRun(&error, [&] { jpeg_create_decompress(&jpeg.Info); })) {
        jpegFail();
    }
    // Without a backing store, libjpeg refuses to allocate past this instead of trying.
    jpeg.Info.mem->max_memory_to_use = static_cast<long>(MaxBytes);
    // The source refuses empty input with a fatal error of its own.
    if (!JpegRun(&error,
                 [&] {
                     if (file) {
                         jpeg_stdio_src(&jpeg.Info, file);
                     } else {
                         jpeg_mem_src(&jpeg.Info, data, size);
                     }
                 }) ||
        !JpegRun(&error, [&] { jpeg_save_markers(&jpeg.Info, JPEG_APP0 + 1, 0xFFFF); }) ||
        !JpegRun(&error, [&] { jpeg_read_header(&jpeg.Info, TRUE); })) {
        jpegFail();
    }
    CheckSize(fileName, jpeg.Info.image_width, jpeg.Info.image_height);
    int orientation = 1;
    bitmap.TakenOn = {};
    for (jpeg_saved_marker_ptr m = jpeg.Info.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            if (orientation == 1) {
                orientation = OrientationFromExifSegment(m->data, m->data_length);
            }
            if (!bitmap.TakenOn.Known()) {
                bitmap.TakenOn = DateTakenFromExifSegment(m->data, m->data_length);
            }
        }
    }
    const bool cmyk =
        jpeg.Info.jpeg_color_space == JCS_CMYK || jpeg.Info.jpeg_color_space == JCS_YCCK;
    // BGRA rather than BGRX: libjpeg-turbo then sets the fourth byte to 0xFF, as RGB32 wants.
    jpeg.Info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg.Info.dct_method = JDCT_ISLOW;
    jpeg.Info.do_fancy_upsampling = TRUE;
    jpeg.Info.scale_num = 1;
    jpeg.Info.scale_denom = 1;
    // The smallest of libjpeg's fast scales that still gives the size the picture is drawn at.
    int neededWidth, neededHeight;
    if (NeededSize(jpeg.Info.image_width,
                   jpeg.Info.image_height,
                   orientation,
                   boxWidth,
                   boxHeight,
                   neededWidth,
                   neededHeight)) {
        for (unsigned denom : {8u, 4u, 2u}) {
            if ((jpeg.Info.image_width + denom - 1) / denom >= unsigned(neededWidth) &&
                (jpeg.Info.image_height + denom - 1) / denom >= unsigned(neededHeight)) {
                jpeg.Info.scale_denom = denom;
                break;
            }
        }
    }
    if (!JpegRun(&error, [&] { jpeg_start_decompress(&jpeg.Info); })) {
        jpegFail();
    }
    if (jpeg.Info.output_components != 4) {
        Fail(fileName, "不支持的 JPEG 颜色空间");
    }
    const int width = static_cast<int>(jpeg.Info.output_width);
    const int height = static_cast<int>(jpeg.Info.output_height);
    const bool swap = SwapsSides(orientation);
    bitmap.SetSize(swap ? height : width, swap ? width : height);
    QImage& image = bitmap.Image();
    std::vector<uint32_t> batch(static_cast<size_t>(width) * JpegBatch);
    const bool inverted = jpeg.Info.saw_Adobe_marker;
    auto sink = [&](int y, uint32_t* row) {
        if (cmyk) {
            CmykRowToRgb32(row, width, inverted);
        }
        WriteStoredRow(image, orientation, width, height, y, row);
    };
    if (!JpegReadRows(&jpeg.Info, &error, batch.data(), sink)) {
        jpegFail();
    }
    // Trailing garbage after the picture is no reason to refuse it.
    JpegRun(&error, [&] { jpeg_finish_decompress(&jpeg.Info); });
}

void LoadBmp(const unsigned char* data, size_t size, const std::string& fileName, TBitmap& bitmap) {
    bitmap.TakenOn = {};
    TBmpHeader header;
    std::string reason = ReadBmpHeader(data, size, header);
    // A picture too large is refused for that, whatever else is wrong with it.
    if (header.Width > 0 && header.Height > 0) {
        CheckSize(fileName, header.Width, header.Height);
    }
    if (!reason.empty()) {
        Fail(fileName, "BMP 数据无法解码（" + reason + "）");
    }
    CheckSize(fileName, header.Width, header.Height);
    bitmap.SetSize(header.Width, header.Height);
    reason = DecodeBmpPixels(data, size, header, bitmap.Image());
    if (!reason.empty()) {
        Fail(fileName, "BMP 数据无法解码（" + reason + "）");
    }
}

// PNG and WebP through Qt's readers. WebP's reader is a plugin that a machine may lack.
void LoadWithQt(const unsigned char* data,
                size_t size,
                TPictureDecoder decoder,
                const std::string& fileName,
                int boxWidth,
                int boxHeight,
                TColor back,
                bool* transparent,
                TBitmap& bitmap) {
    const QByteArray format = decoder == TPictureDecoder::Png ? "png" : "webp";
    const char* name = decoder == TPictureDecoder::Png ? "PNG" : "WebP";
    if (!QImageReader::supportedImageFormats().contains(format)) {
        Fail(fileName,
             std::string("本机无法解码 ") + name + " 图片，请安装软件包 " +
                 (decoder == TPictureDecoder::Png ? "libqt6gui6" : "qt6-image-formats-plugins"));
    }
    // The bytes are only borrowed for the read, not copied.
    const QByteArray borrowed =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(borrowed);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    auto qtFail = [&] {
        Fail(fileName,
             std::string(name) + " 数据无法解码（" + reader.errorString().toStdString() + "）");
    };
    const QSize stored = reader.size();
    if (!stored.isValid()) {
        qtFail();
    }
    CheckSize(fileName, stored.width(), stored.height());
    // Qt's own limit is lower than ours; the size is already checked.
    if (QImageReader::allocationLimit() < static_cast<int>(MaxBytes >> 20)) {
        QImageReader::setAllocationLimit(static_cast<int>(MaxBytes >> 20));
    }
    const int orientation = OrientationFromContainer(data, size);
    bitmap.TakenOn = DateTakenFromContainer(data, size);
    int neededWidth, neededHeight;
    if (NeededSize(stored.width(),
                   stored.height(),
                   orientation,
                   boxWidth,
                   boxHeight,
                   neededWidth,
                   neededHeight)) {
        reader.setScaledSize(QSize(neededWidth, neededHeight));
    }
    QImage decoded;
    if (!reader.read(&decoded) || decoded.isNull()) {
        qtFail();
    }
    const bool alpha = decoded.hasAlphaChannel();
    decoded =
        std::move(decoded).convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Compose(bitmap,
            decoded.width(),
            decoded.height(),
            orientation,
            alpha,
            back,
            transparent,
            [&](int y, uint32_t* row) {
                std::memcpy(row, decoded.constScanLine(y), decoded.width() * sizeof(uint32_t));
            });
}

void LoadHeif(const unsigned char* data,
              size_t size,
              const std::string& fileName,
              TColor back,
              bool* transparent,
              TBitmap& bitmap) {
    THeifPicture heif;
    int width = 0, height = 0;
    std::string reason = heif.Open(data, size, width, height);
    if (!reason.empty()) {
        Fail(fileName, reason);
    }
    CheckSize(fileName, width, height);
    reason = heif.Decode();
    if (!reason.empty()) {
        Fail(fileName, reason);
    }
    CheckSize(fileName, heif.Width(), heif.Height());
    const std::string exif = heif.ExifTiff();
    bitmap.TakenOn =
        DateTakenFromTiff(reinterpret_cast<const unsigned char*>(exif.data()), exif.size());
    const bool alpha = heif.HasAlpha();
    const int channels = alpha ? 4 : 3;
    Compose(bitmap,
            heif.Width(),
            heif.Height(),
            1,
            alpha,
            back,
            transparent,
            [&](int y, uint32_t* row) {
                const uint8_t* s = heif.Row(y);
                for (int x = 0; x < heif.Width(); ++x, s += channels) {
                    const uint32_t a = alpha ? s[3] : 255;
                    row[x] = (a << 24) | (s[0] << 16) | (s[1] << 8) | s[2];
                }
            });
}

// The decoder the content asks for, whatever the extension says; fallback when none is known.
TPictureDecoder DecoderByContent(const unsigned char* d, size_t size, TPictureDecoder fallback) {
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) {
        return TPictureDecoder::Jpeg;
    }
    if (size >= 8 && std::memcmp(d, png, 8) == 0) {
        return TPictureDecoder::Png;
    }
    if (size >= 12 && std::memcmp(d, "RIFF", 4) == 0 && std::memcmp(d + 8, "WEBP", 4) == 0) {
        return TPictureDecoder::WebP;
    }
    if (THeifPicture::Sniff(d, size)) {
        return TPictureDecoder::Heif;
    }
    // Two letters are a weak sign: a BMP is only taken for one when its header is whole.
    if (size >= 26 && d[0] == 'B' && d[1] == 'M' && d[14] <= 124 && d[15] == 0 && d[16] == 0 &&
        d[17] == 0) {
        return TPictureDecoder::Bmp;
    }
    return fallback;
}

}  // namespace

TPicture::TPicture() : FBitmap(0, 0) {}

void TPicture::SetTargetSize(int width, int height) {
    FTargetWidth = std::max(width, 0);
    FTargetHeight = std::max(height, 0);
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string ext = FileExtLower(fileName);
    CheckExtension(ext, fileName);
    std::string reason;
    const int fd = OpenRegularFile(fileName, reason);
    if (fd < 0) {
        FailFile(fileName, reason);
    }
    // A JPEG is decoded as it is read: a picture of hundreds of megabytes shown at screen size
    // then never holds its file in memory. Everything else is read whole first.
    std::unique_ptr<FILE, int (*)(FILE*)> file(::fdopen(fd, "rb"), std::fclose);
    if (!file) {
        ::close(fd);
        FailFile(fileName, FileErrorReason(errno));
    }
    unsigned char head[3] = {};
    const bool jpeg = std::fread(head, 1, 3, file.get()) == 3 && head[0] == 0xFF &&
                      head[1] == 0xD8 && head[2] == 0xFF;
    if (jpeg) {
        FTransparent = false;
        std::rewind(file.get());
        LoadJpeg(nullptr, 0, file.get(), fileName, FTargetWidth, FTargetHeight, FBitmap);
        return;
    }
    file.reset();
    std::string bytes;
    if (!ReadRegularFile(fileName, bytes, reason)) {
        FailFile(fileName, reason);
    }
    LoadFromBytes(bytes.data(), bytes.size(), ext, fileName);
}

void TPicture::LoadFromBytes(const void* data,
                             size_t size,
                             std::string_view ext,
                             const std::string& displayName) {
    const TPictureFormat& format = CheckExtension(ext, displayName);
    FTransparent = false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    switch (DecoderByContent(bytes, size, format.Decoder)) {
        case TPictureDecoder::Jpeg:
            LoadJpeg(bytes, size, nullptr, displayName, FTargetWidth, FTargetHeight, FBitmap);
            break;
        case TPictureDecoder::Bmp:
            LoadBmp(bytes, size, displayName, FBitmap);
            break;
        case TPictureDecoder::Png:
        case TPictureDecoder::WebP:
            LoadWithQt(bytes,
                       size,
                       DecoderByContent(bytes, size, format.Decoder),
                       displayName,
                       FTargetWidth,
                       FTargetHeight,
                       FBackColor,
                       FKeepTransparency ? &FTransparent : nullptr,
                       FBitmap);
            break;
        case TPictureDecoder::Heif:
            LoadHeif(bytes,
                     size,
                     displayName,
                     FBackColor,
                     FKeepTransparency ? &FTransparent : nullptr,
                     FBitmap);
            break;
    }
}
