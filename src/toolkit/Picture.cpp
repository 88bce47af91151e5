#include "toolkit/Picture.h"

#include <jerror.h>
#include <jpeglib.h>

#include <QBuffer>
#include <QImageReader>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "toolkit/FileExt.h"
#include "toolkit/PictureFormats.h"

namespace {

constexpr int MaxSide = 20000;
constexpr uint64_t MaxBytes = uint64_t{1} << 30;

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
    throw std::runtime_error("无法载入图片 \"" + fileName + "\"：" + reason);
}

const TPictureFormat& CheckExtension(std::string_view ext, const std::string& fileName) {
    const TPictureFormat* format = FindPictureFormat(ext);
    if (format == nullptr) {
        Fail(fileName,
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

// libjpeg reports a fatal error by jumping back into the function that called it; those
// functions hold only C data, so the jump skips no destructor.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<TJpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->Message);
    std::longjmp(error->Jump, 1);
}

// Warnings (a truncated file among them) are not errors and are not printed.
extern "C" void JpegOutputMessage(j_common_ptr) {}

// What libjpeg's error means to the user, in their language. Its own English text follows only
// for damaged data, where it tells a bug report what went wrong.
std::string JpegReason(int code, const char* libraryText) {
    switch (code) {
        case JERR_NO_SOI:
            return "不是 JPEG 文件";
        case JERR_INPUT_EMPTY:
            return "文件是空的";
        case JERR_OUT_OF_MEMORY:
            return "内存不足";
        default:
            return std::string("文件已损坏或不完整（") + libraryText + "）";
    }
}

// Runs one libjpeg call; false when libjpeg reported a fatal error in it.
template <class TStep>
bool JpegRun(TJpegError* error, TStep&& step) {
    if (setjmp(error->Jump)) {
        return false;
    }
    step();
    return true;
}

// Decodes every row into rows first .. first + stride * (height - 1).
bool JpegReadRows(jpeg_decompress_struct* cinfo,
                  TJpegError* error,
                  unsigned char* first,
                  ptrdiff_t stride) {
    if (setjmp(error->Jump)) {
        return false;
    }
    enum { Batch = 16 };
    JSAMPROW rows[Batch];
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION count = cinfo->output_height - cinfo->output_scanline;
        if (count > Batch) {
            count = Batch;
        }
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = first + stride * static_cast<ptrdiff_t>(cinfo->output_scanline + i);
        }
        jpeg_read_scanlines(cinfo, rows, count);
    }
    return true;
}

struct TJpegDecompressor {
    // Zeroed, so that destroying it is safe even when creating it failed.
    jpeg_decompress_struct Info{};
    ~TJpegDecompressor() { jpeg_destroy_decompress(&Info); }
};

// CMYK rows as libjpeg gives them, 4 bytes a pixel, into RGB32 in place. Adobe writers store
// CMYK inverted (0 = full ink), which is what nearly every CMYK JPEG holds.
void CmykToRgb32(QImage& image, bool inverted) {
    for (int y = 0; y < image.height(); ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                ye = 255 - ye;
                k = 255 - k;
            }
            const int r = (c * k + 127) / 255;
            const int g = (m * k + 127) / 255;
            const int b = (ye * k + 127) / 255;
            reinterpret_cast<uint32_t*>(p)[0] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
}

void LoadJpeg(const unsigned char* data,
              size_t size,
              const std::string& fileName,
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
    if (!JpegRun(&error, [&] { jpeg_mem_src(&jpeg.Info, data, size); }) ||
        !JpegRun(&error, [&] { jpeg_read_header(&jpeg.Info, TRUE); })) {
        jpegFail();
    }
    CheckSize(fileName, jpeg.Info.image_width, jpeg.Info.image_height);
    const bool cmyk =
        jpeg.Info.jpeg_color_space == JCS_CMYK || jpeg.Info.jpeg_color_space == JCS_YCCK;
    // BGRA rather than BGRX: libjpeg-turbo then sets the fourth byte to 0xFF, as RGB32 wants.
    jpeg.Info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg.Info.dct_method = JDCT_ISLOW;
    jpeg.Info.do_fancy_upsampling = TRUE;
    jpeg.Info.scale_num = 1;
    jpeg.Info.scale_denom = 1;
    if (!JpegRun(&error, [&] { jpeg_start_decompress(&jpeg.Info); })) {
        jpegFail();
    }
    if (jpeg.Info.output_components != 4) {
        Fail(fileName, "不支持的 JPEG 颜色空间");
    }
    bitmap.SetSize(static_cast<int>(jpeg.Info.output_width),
                   static_cast<int>(jpeg.Info.output_height));
    QImage& image = bitmap.Image();
    if (!JpegReadRows(&jpeg.Info, &error, image.bits(), image.bytesPerLine())) {
        jpegFail();
    }
    if (cmyk) {
        CmykToRgb32(image, jpeg.Info.saw_Adobe_marker);
    }
    // Trailing garbage after the picture is no reason to refuse it.
    JpegRun(&error, [&] { jpeg_finish_decompress(&jpeg.Info); });
}

// Width and height from a BMP header; Qt gives top-down pictures a negative height.
bool BmpSize(const unsigned char* h, size_t size, int64_t& width, int64_t& height) {
    if (size < 26 || h[0] != 'B' || h[1] != 'M') {
        return false;
    }
    auto u16 = [&](int i) { return static_cast<uint32_t>(h[i] | (h[i + 1] << 8)); };
    auto i32 = [&](int i) { return static_cast<int32_t>(u16(i) | (u16(i + 2) << 16)); };
    if (i32(14) == 12) {
        width = u16(18);
        height = u16(20);
    } else {
        width = i32(18);
        height = i32(22);
        height = height < 0 ? -height : height;
    }
    return true;
}

void LoadBmp(const unsigned char* data, size_t size, const std::string& fileName, TBitmap& bitmap) {
    int64_t width = 0, height = 0;
    if (!BmpSize(data, size, width, height)) {
        Fail(fileName, "BMP 数据无法解码（文件头不完整）");
    }
    if (width > 0 && height > 0) {
        CheckSize(fileName, width, height);
    }
    // The bytes are only borrowed for the read, not copied.
    const QByteArray borrowed =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(borrowed);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoTransform(false);
    // Qt's own limit is lower than ours; the size is already checked.
    if (QImageReader::allocationLimit() < static_cast<int>(MaxBytes >> 20)) {
        QImageReader::setAllocationLimit(static_cast<int>(MaxBytes >> 20));
    }
    QImage decoded;
    if (!reader.read(&decoded) || decoded.isNull()) {
        Fail(fileName, "BMP 数据无法解码（" + reader.errorString().toStdString() + "）");
    }
    if (decoded.format() != QImage::Format_RGB32) {
        decoded = decoded.convertToFormat(QImage::Format_RGB32);
    }
    bitmap.SetSize(decoded.width(), decoded.height());
    QImage& image = bitmap.Image();
    const size_t bytes = static_cast<size_t>(decoded.width()) * 4;
    for (int y = 0; y < decoded.height(); ++y) {
        std::memcpy(image.scanLine(y), decoded.constScanLine(y), bytes);
    }
}

}  // namespace

TPicture::TPicture() : FBitmap(0, 0) {}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string ext = FileExtLower(fileName);
    CheckExtension(ext, fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(fileName), ec)) {
        Fail(fileName, "文件不存在");
    }
    std::string bytes;
    const uintmax_t expected = std::filesystem::file_size(std::filesystem::path(fileName), ec);
    if (!ec && expected < MaxBytes) {
        bytes.reserve(expected);
    }
    {
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(fileName.c_str(), "rb"), std::fclose);
        if (!file) {
            Fail(fileName, std::generic_category().message(errno));
        }
        char chunk[65536];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
            bytes.append(chunk, got);
        }
        if (std::ferror(file.get())) {
            Fail(fileName, std::generic_category().message(errno));
        }
    }
    LoadFromBytes(bytes.data(), bytes.size(), ext, fileName);
}

void TPicture::LoadFromBytes(const void* data,
                             size_t size,
                             std::string_view ext,
                             const std::string& displayName) {
    const TPictureFormat& format = CheckExtension(ext, displayName);
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (format.Decoder == TPictureDecoder::Jpeg) {
        LoadJpeg(bytes, size, displayName, FBitmap);
    } else {
        LoadBmp(bytes, size, displayName, FBitmap);
    }
}
